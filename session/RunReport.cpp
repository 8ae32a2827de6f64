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
    case RunStep::Changed:
        return "実行の後で移動されたか、別のファイルに置き換えられたため、そのままにしました";
    case RunStep::SetTimeStamp:
        return "更新日時を変更できませんでした";
    case RunStep::RestoreTimeStamp:
        return "更新日時を元に戻せませんでした";
    case RunStep::SetAttributes:
        return "属性を変更できませんでした";
    case RunStep::RestoreAttributes:
        return "属性を元に戻せませんでした";
    case RunStep::SourceGone:
        return "元のファイルがなくなっているため、コピーを残しました";
    case RunStep::TakenByRun:
        return "この実行で変換したファイルと同じ名前になるため、変換しませんでした";
    case RunStep::Move:
        return "移動できませんでした";
    case RunStep::Copy:
        return "コピーできませんでした";
    case RunStep::SameNameRename:
        return "同名ファイルの名前を変更できませんでした";
    case RunStep::SameNameMove:
        return "同名ファイルを移動できませんでした";
    case RunStep::SameNameCopy:
        return "同名ファイルをコピーできませんでした";
    case RunStep::Change:
        break;
    }
    return ""; // the reason alone says it
}

// The reasons a time stamp or attribute run meets that the words of the
// other steps do not say.
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

const char* lostText(const MetadataLost& lost)
{
    if (lost.attributes && lost.mode)
        return "保存先では属性と読み取り専用を保てませんでした";
    if (lost.attributes)
        return "保存先では隠し・システム・アーカイブ属性を保てませんでした";
    return "保存先では読み取り専用を保てませんでした";
}

std::string nameAndTarget(const std::string& name, const std::string& target)
{
    std::string line = displayName(name);
    if (!target.empty())
        line += " → " + displayName(target);
    return line + "：";
}

// Why a journal is not acted on: damaged (EBADMSG), its folders are not
// those it was written for (ESTALE), or another error of opening them.
std::string refusedJournalText(const RefusedJournal& journal, int error)
{
    const std::string where = "（実行の記録: " + displayPath(journal.path) + "）";
    if (error == EBADMSG)
        return "実行の記録が壊れているか、実行したフォルダの外のファイルを指しているため、何も変更"
               "しませんでした。"
               + where;
    if (error == ESTALE)
        return displayPath(journal.from)
               + " は、実行したときのフォルダと別のフォルダになっているため、何も変更しませんでした"
                 "。"
               + where;
    return displayPath(journal.from) + " を開けないため、何も変更しませんでした。（"
           + ioErrorText(error) + "）" + where;
}

// A heading and one line per item, at most maxReportLines of them.
template <typename Item, typename LineOf>
std::string section(const std::string& heading, const std::vector<Item>& items, LineOf lineOf)
{
    std::string text = heading + "\n";
    const std::size_t shown = std::min<std::size_t>(items.size(), maxReportLines);
    for (std::size_t i = 0; i < shown; ++i)
        text += "\n" + lineOf(items[i]);
    if (items.size() > shown)
        text += "\n\nほかに " + std::to_string(items.size() - shown) + " 個のファイルがあります。";
    return text;
}

} // namespace

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
    case sourceReplacedCopyKept:
        return "移動の間に元の名前のファイルが置き換えられたため、移動先のコピーを残し、元の名前の"
               "ファイルはそのままにしました";
    case entryChangedSinceAsked:
        return "確認の後で、その名前のファイルが別のものに置き換えられました";
    default:
        return ioErrorText(error);
    }
}

std::string failureLine(const FileFailure& failure)
{
    std::string line = nameAndTarget(failure.name, failure.target);
    if (failure.step == RunStep::Change)
        return line + changeReason(failure.error);
    line += stepText(failure.step);
    if (failure.step != RunStep::Declined && failure.step != RunStep::TakenByRun
        && failure.step != RunStep::Changed && failure.step != RunStep::SourceGone)
        line += "（" + failureReason(failure.error) + "）";
    if (!failure.leftAs.empty())
        line += "。" + displayName(failure.leftAs) + " という名前のままです";
    return line;
}

std::string failureReport(const RunResult& result)
{
    std::string text;
    if (!result.failures.empty()) {
        // Taking runs back or finishing them goes through the engine of a
        // rename, and says what a rename says.
        const char* verb = result.kind ? runKind(*result.kind).failedVerb : "変換";
        text = section("次の " + std::to_string(result.failures.size()) + " 個のファイルは" + verb
                           + "できませんでした。",
                       result.failures, failureLine);
    }
    if (!result.warnings.empty()) {
        if (!text.empty())
            text += "\n\n";
        text +=
            section("次の " + std::to_string(result.warnings.size())
                        + " 個のファイルは変換しましたが、属性の一部を保てませんでした。",
                    result.warnings, [](const MetadataWarning& warning) {
                        return nameAndTarget(warning.name, warning.target) + lostText(warning.lost);
                    });
    }
    return text;
}

std::string notStartedText(const RunResult& result)
{
    if (result.refusedJournal)
        return refusedJournalText(*result.refusedJournal, result.error);
    return ioErrorText(result.error);
}

} // namespace torvel
