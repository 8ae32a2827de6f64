#include "Texts.h"

#include "IoError.h"
#include "JournalFolder.h"
#include "NameText.h"

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
