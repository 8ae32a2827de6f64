#pragma once

#include <string>

namespace torvel {

// A message for the status line: kind 0 ready, 1 working, 2 warning,
// 3 waiting for the person.
struct StatusMessage {
    int kind = 1;
    std::string text;

    bool operator==(const StatusMessage&) const = default;
};

namespace StatusText {
inline constexpr const char* ReadingFiles = "ファイルを読込んでいます。しばらくお待ちください。";
inline constexpr const char* ConvertingNames = "ファイル名を変換中。しばらくお待ちください。";
inline constexpr const char* NumberTooLong = "【注意】連番が指定桁数を超えています。";
inline constexpr const char* UnusableCharacter = "【注意】 識別名にファイル名に使えない文字が含まれています。";
inline constexpr const char* NameTooLong = "【注意】変換後のファイル名が長すぎます。";
}  // namespace StatusText

}  // namespace torvel
