#include "StatusMessages.h"

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
    case NameStatus::NameTooLong:
        break;
    }
    return "【注意】変換後のファイル名が長すぎます。";
}

} // namespace torvel
