// The version record this test program carries: the program's own file
// version, followed by blanks and NULs that must not reach the window.
#include "VersionRecordImage.h"

namespace {

constexpr torvel::VersionRecordField kFields[] = {
    {"FileVersion", std::string_view("2.8.2.8  \0\0", 11)},
    {"FileDescription", "\t ファイル管理ユーティリティ \r\n"},
    {"Comments", std::string_view("\0hidden", 7)},
    {"ProductName", "トルベリオ"},
};

constexpr auto kRecord =
    torvel::makeVersionRecord<torvel::versionRecordLength(kFields)>(0x0411, 0x03A4, kFields);

} // namespace

TORVEL_EMBED_VERSION_RECORD(kRecord);
