#include "RunReport.h"

#include <algorithm>
#include <cerrno>

#include "IoError.h"
#include "NameText.h"

namespace torvel {

namespace {

const char* stepText(RunStep step)
{
    switch (step) {
    case RunStep::BadName:
        return "新しい名前はファイル名に使えません";
    case RunStep::OutOfTheWay:
        return "一時的な名前に変更できませんでした";
    case RunStep::IntoPlace:
        return "新しい名前に変更できませんでした";
    case RunStep::Trash:
        return "同じ名前のファイルをごみ箱に移動できませんでした";
    case RunStep::Declined:
        return "同じ名前のファイルがあるため、変換しませんでした";
    case RunStep::Move:
        return "移動できませんでした";
    case RunStep::Copy:
        return "コピーできませんでした";
    case RunStep::SameNameRename:
        return "同名ファイルの名前を変更できませんでした";
    case RunStep::SameNameMove:
        return "同名ファイルを移動できませんでした";
    case RunStep::SameNameCopy:
        break;
    }
    return "同名ファイルをコピーできませんでした";
}

} // namespace

std::string convertedText(int count)
{
    return std::to_string(count) + "個のファイルを変換しました。";
}

std::string convertedText(const RunResult& result)
{
    return convertedText(result.converted);
}

std::string failureReason(int error)
{
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return "同じ名前のファイルがあります";
    case ENOSPC:
    case EDQUOT:
        return "ディスクに空きがありません";
    case EXDEV:
        return "別のドライブには移動できません";
    default:
        return ioErrorText(error);
    }
}

std::string failureLine(const FileFailure& failure)
{
    std::string line = displayName(failure.name);
    if (!failure.target.empty())
        line += " → " + displayName(failure.target);
    line += "：";
    line += stepText(failure.step);
    if (failure.step != RunStep::Declined)
        line += "（" + failureReason(failure.error) + "）";
    if (!failure.leftAs.empty())
        line += "。" + displayName(failure.leftAs) + " という名前のままです";
    return line;
}

std::string failureReport(const RunResult& result)
{
    const auto& failures = result.failures;
    if (failures.empty())
        return {};
    std::string text =
        "次の " + std::to_string(failures.size()) + " 個のファイルは変換できませんでした。\n";
    const std::size_t shown = std::min<std::size_t>(failures.size(), maxReportLines);
    for (std::size_t i = 0; i < shown; ++i)
        text += "\n" + failureLine(failures[i]);
    if (failures.size() > shown)
        text += "\n\nほかに " + std::to_string(failures.size() - shown) + " 個のファイルがあります。";
    return text;
}

} // namespace torvel
