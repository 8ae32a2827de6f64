#include "Texts.h"

#include "IoError.h"
#include "JournalFolder.h"
#include "DatePattern.h"
#include "NameText.h"

#include <cstdio>

namespace torvel {

const char* nameStatusText(NameStatus status)
{
    switch (status) {
    case NameStatus::Converting:
        return "ファイル名を変換中。しばらくお待ちください。";
    case NameStatus::NumberTooLong:
        return "【注意】連番が指定桁数を超えています。";
    case NameStatus::UnusableCharacter:
        return "【注意】 識別名にファイル名に使えない文字が含まれています。";
    case NameStatus::BadDatePattern:
        return "【注意】日付の書式が正しくありません。";
    case NameStatus::NameTooLong:
        break;
    }
    return "【注意】変換後のファイル名が長すぎます。";
}

std::string readingFilesText()
{
    return "ファイルを読込んでいます。しばらくお待ちください。";
}

std::string readingShootingDatesText(std::size_t done, std::size_t total)
{
    return "撮影日時を読込んでいます（" + std::to_string(done) + "/" + std::to_string(total)
           + "）。しばらくお待ちください。";
}

std::string runStatusText(const RunStatus& status)
{
    switch (status.activity) {
    case RunActivity::Preparing:
        return "しばらくお待ちください。";
    case RunActivity::Renaming:
        return "ファイル名を変更しています。";
    case RunActivity::Transferring:
        return displayName(status.name) + " を " + displayName(status.target)
               + " に転送しています。";
    case RunActivity::ChangingStamp:
        return displayName(status.name) + " の 更新日時を変更しています。";
    case RunActivity::ChangingAttrs:
        return displayName(status.name) + " の 属性を変更しています。";
    }
    return {};
}

std::string withoutShootingDateText(int count)
{
    return std::to_string(count) + "個のファイルは撮影日時がないため、更新日時を使いました。";
}

std::string datePatternRefusal(std::string_view pattern, std::string_view label)
{
    DatePatternProblem problem = DatePatternProblem::None;
    std::string_view culprit;
    if (DatePattern::parse(pattern, &problem, &culprit))
        return {};
    switch (problem) {
    case DatePatternProblem::BadCharacter: {
        const auto byte = static_cast<unsigned char>(culprit.front());
        char shown[8];
        if (byte < 0x20 || byte == 0x7f)
            std::snprintf(shown, sizeof shown, "U+%04X", byte);
        else
            std::snprintf(shown, sizeof shown, "%c", byte);
        return std::string(label) + "にファイル名に使えない文字「" + shown + "」があります";
    }
    case DatePatternProblem::BadField:
        return std::string(label) + "の「" + std::string(culprit)
               + "」は使えません (年は yyyy か yy、月日時分秒は 1 文字か 2 文字)";
    default:
        return std::string(label) + "に日付の部分 (yyyy MM dd HH mm ss など) がありません";
    }
}

namespace {

std::string dateTimeText(const LocalDateTime& t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

} // namespace

std::string fileDatesText(const std::optional<ShootingDate>& shot,
                          const std::optional<LocalDateTime>& modified)
{
    std::string text = "撮影日時: " + (shot ? dateTimeText(wallClockOf(*shot)) : "なし");
    if (modified)
        text += "\n更新日時: " + dateTimeText(*modified);
    return text;
}

std::string journalFolderRefusal(const JournalFolder& folder)
{
    switch (folder.state()) {
    case JournalFolder::State::Held:
        return {};
    case JournalFolder::State::NotOwn:
        return "フォルダ " + displayPath(folder.folder())
               + " は、ほかのユーザーのものか、ほかのユーザーも書き込めるため、使いません。"
                 "このフォルダを自分だけのもの（chmod 700）にしてから、もう一度実行してください。";
    case JournalFolder::State::Busy:
        return "ほかの実行（元に戻す・続行を含む）が進行中です。終わってから、もう一度実行して"
               "ください。";
    case JournalFolder::State::Failed:
        break;
    }
    return "実行の記録のフォルダ " + displayPath(folder.folder()) + " を使えません。（"
           + ioErrorText(folder.error()) + "）";
}

std::string workingFolderText(int error)
{
    return "作業フォルダを開けませんでした。" + ioErrorText(error);
}

} // namespace torvel
