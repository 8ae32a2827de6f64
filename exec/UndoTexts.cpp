#include "UndoTexts.h"

#include "NameText.h"
#include "RunReport.h"

namespace torvel {

namespace {

const char* kindText(JournalKind kind)
{
    switch (kind) {
    case JournalKind::Rename:
        return "名前の変更";
    case JournalKind::Move:
        return "移動";
    case JournalKind::Copy:
        return "コピー";
    case JournalKind::TimeStamp:
        return "更新日時の変更";
    case JournalKind::Attributes:
        break;
    }
    return "属性の変更";
}

// What taking the run back does to its files, one line a kind of step.
std::string takeBackSteps(const JournalRecord& record)
{
    std::string text;
    switch (record.kind) {
    case JournalKind::Rename:
        text = "新しい名前のファイルを元の名前に戻します。";
        break;
    case JournalKind::Move:
        text = "移動したファイルを元のフォルダの元の名前に戻します。";
        break;
    case JournalKind::Copy:
        text = "コピーしてできたファイルをごみ箱に移動します。";
        break;
    case JournalKind::TimeStamp:
        text = "ファイルの更新日時を元の日時に戻します。";
        break;
    case JournalKind::Attributes:
        text = "ファイルの属性を元に戻します。";
        break;
    }
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
    return when + " に " + displayName(record.from) + " で行った "
           + std::to_string(record.files.size()) + " 個のファイルの" + kindText(record.kind);
}

std::string takeBackQuestion(const JournalRecord& record)
{
    return runDescription(record) + "を元に戻しますか？\n\n" + takeBackSteps(record);
}

std::string unfinishedRunQuestion(const JournalRecord& record)
{
    return runDescription(record)
           + "は、途中で終わっています。\n\n"
             "「続行」: 残りのファイルを予定どおり変換します。\n"
             "「元に戻す」: 変換済みのファイルも元に戻します。\n"
             "「後で」: 今は何もしません。次の起動時にもう一度たずねます。\n\n"
             "どちらを選んでも、途中で残った一時的な名前やファイルは片付けます。";
}

std::string convertedText(int count)
{
    return std::to_string(count) + "個のファイルを変換しました。";
}

std::string runSummary(const RunResult& result, std::string_view takeBackHint)
{
    std::string text = convertedText(result.converted);
    if (!result.failures.empty())
        text += std::to_string(result.failures.size()) + " 個のファイルは変換できませんでした。";
    text += takeBackHint;
    return text;
}

} // namespace torvel
