#include "UndoTexts.h"

#include <algorithm>

#include "NameText.h"
#include "RunReport.h"

namespace torvel {

namespace {

// What taking the run back does to its files, one line a kind of step.
std::string takeBackSteps(const JournalRecord& record)
{
    std::string text = runKind(record.kind).takeBackSteps;
    if (!record.trashed.empty())
        text += "\nごみ箱に移動した " + std::to_string(record.trashed.size())
                + " 個のファイルを元の場所に戻します。";
    return text
           + "\nその後で変更された・別のファイルに置き換えられたファイルはそのままにし、最後に一覧"
             "で知らせます。";
}

} // namespace

std::string runDescription(const JournalRecord& record)
{
    std::string when = record.started;
    if (when.size() > 10 && when[10] == 'T')
        when[10] = ' ';
    const std::string what = !record.settlement() ? runKind(record.kind).what
                             : record.settlesBack ? "元に戻す処理"
                                                  : "続行の処理";
    return when + " に " + displayName(record.from) + " で行った "
           + std::to_string(record.files.size()) + " 個のファイルの" + what;
}

namespace {

// "300 個のうち 299 個まで変換しています。" where a run did not do all it
// planned.
std::string doneOfPlan(const JournalRecord& record, std::size_t done)
{
    if (done == record.files.size())
        return {};
    return std::to_string(record.files.size()) + " 個のうち " + std::to_string(done)
           + " 個まで変換しています。\n";
}

// How far a run got, and where a copy or move run's files went.
std::string howFar(const JournalRecord& record, std::size_t done)
{
    std::string text = doneOfPlan(record, done);
    if (record.from != record.to)
        text += "保存先: " + displayPath(record.to) + "\n";
    return text;
}

} // namespace

std::string takeBackQuestion(const JournalRecord& record, std::size_t done)
{
    return runDescription(record) + "を元に戻しますか？\n" + howFar(record, done) + "\n"
           + takeBackSteps(record);
}

namespace {

// "実行したプログラム: ...": which front end made the run.
std::string programLine(const JournalRecord& record)
{
    std::string program;
    if (record.by == "torvel")
        program = "TORVEL のウィンドウ (torvel)";
    else if (record.by.empty())
        program = "不明（以前の版の記録）";
    else
        program = displayName(record.by);
    return "実行したプログラム: " + program;
}

} // namespace

std::string takeBackQuestionWithProgram(const JournalRecord& record, std::size_t done)
{
    std::string question = takeBackQuestion(record, done);
    const std::size_t firstLine = std::min(question.find('\n'), question.size());
    return question.insert(firstLine, '\n' + programLine(record));
}

std::string takingBackText(const JournalRecord& record, std::size_t done)
{
    return runDescription(record) + "を元に戻します。\n" + programLine(record) + "\n"
           + doneOfPlan(record, done);
}

std::string unfinishedRunQuestion(const JournalRecord& record, std::size_t done)
{
    std::string choices;
    if (!record.settlement())
        choices = "「続行」: 残りのファイルを予定どおり変換します。\n"
                  "「元に戻す」: 変換済みのファイルも元に戻します。\n";
    else if (record.settlesBack)
        choices = "「続行」: 元に戻す処理を最後まで行います。\n"
                  "「元に戻す」: 元に戻す処理で戻したファイルを、その処理の前の名前にします。\n";
    else
        choices = "「続行」: 続行の処理を最後まで行います。\n"
                  "「元に戻す」: 続行の処理で変換したファイルを、その処理の前の名前にします。\n";
    return runDescription(record) + "は、途中で終わっています。\n" + howFar(record, done) + "\n"
           + choices
           + "「後で」: 今はすべてをそのままにします。次の起動時にもう一度たずねます。\n\n"
             "「続行」と「元に戻す」は、途中で残った一時的な名前やファイルも片付けます。";
}

std::string damagedJournalText(const JournalRecord& record)
{
    std::string text =
        "実行の記録が壊れているため、使わずに " + displayPath(record.path) + " に残しました。";
    if (!record.from.empty())
        text += "\n記録にあるのは、" + runDescription(record) + "です。";
    if (record.untrusted)
        return text + "\n実行したフォルダの外を指す行があるため、この記録では何も変更しません。";
    if (record.planned && !record.files.empty())
        return text + "\n読めた部分は、続行または元に戻すことができます。";
    return text;
}

std::string unfinishedRunsQuestion(const std::vector<JournalRecord>& runs)
{
    std::string text =
        "途中で終わった実行が " + std::to_string(runs.size()) + " 件あります（新しい順）。\n";
    const std::size_t shown = std::min<std::size_t>(runs.size(), maxReportLines);
    for (std::size_t i = 0; i < shown; ++i)
        text += "\n" + runDescription(runs[i]);
    if (runs.size() > shown)
        text += "\nほかに " + std::to_string(runs.size() - shown) + " 件";
    return text
           + "\n\n「続行」: すべての実行の残りのファイルを予定どおり変換します。\n"
             "「元に戻す」: すべての実行を元に戻します。\n"
             "「一つずつ」: 実行ごとにたずねます。\n"
             "「後で」: 今はすべてをそのままにします。次の起動時にもう一度たずねます。";
}

std::string convertedText(int count)
{
    return std::to_string(count) + "個のファイルを変換しました。";
}

std::string takenBackText(int count)
{
    return std::to_string(count) + "個のファイルを元に戻しました。";
}

std::string settledSummary(const RunResult& result, bool takenBack)
{
    // The failures were named in the box before; the count keeps the line
    // within the status line, as after a run.
    if (!takenBack)
        return runSummary(result, "");
    std::string text = takenBackText(result.converted);
    if (!result.failures.empty())
        text += std::to_string(result.failures.size()) + "個は失敗。";
    return text;
}

std::string runSummary(int converted, std::size_t failed, std::string_view takeBackHint)
{
    // The failure box that comes first names the files; here the count is
    // enough, in the form of the count before it.
    std::string text = convertedText(converted);
    if (failed > 0)
        text += std::to_string(failed) + "個は失敗。";
    text += takeBackHint;
    return text;
}

std::string runSummary(const RunResult& result, std::string_view takeBackHint)
{
    return runSummary(result.converted, result.failures.size(), takeBackHint);
}

} // namespace torvel
