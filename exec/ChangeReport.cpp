#include "ChangeReport.h"

#include <algorithm>
#include <cerrno>

#include "NameText.h"
#include "RunReport.h"

namespace torvel {

namespace {

// The reasons these two runs meet that the rename page's words do not say.
std::string changeReason(int error)
{
    switch (error) {
    case ENOTSUP:
        return "このドライブには属性を保存できません";
    case ERANGE:
        return "1980年から2099年までの日付しか設定できません";
    case ENODATA:
        return "撮影日時が記録されていません";
    case EISDIR:
        return "フォルダは変更できません";
    case EINVAL:
        // The only EINVAL of these runs: a stored attribute value in a form
        // the program does not know, which it will not overwrite.
        return "属性が読み取れない形で保存されています";
    default:
        return failureReason(error);
    }
}

} // namespace

std::string changeFailureLine(const ChangeFailure& failure)
{
    return displayName(failure.name) + "：" + changeReason(failure.error);
}

std::string changeFailureReport(const ChangeResult& result)
{
    const auto& failures = result.failures;
    if (failures.empty())
        return {};
    std::string text =
        "次の " + std::to_string(failures.size()) + " 個のファイルは変更できませんでした。\n";
    const std::size_t shown = std::min<std::size_t>(failures.size(), maxReportLines);
    for (std::size_t i = 0; i < shown; ++i)
        text += "\n" + changeFailureLine(failures[i]);
    if (failures.size() > shown)
        text +=
            "\n\nほかに " + std::to_string(failures.size() - shown) + " 個のファイルがあります。";
    return text;
}

} // namespace torvel
