// The version record this test program carries, with the awkward values the
// reader must cope with: blanks and a tab around a value, a NUL inside one, an
// empty one.
#include "TestVersionRecord.h"

#include "VersionRecordImage.h"

namespace {

constexpr torvel::VersionRecordField kFields[] = {
    {"FileVersion", " 3.1.4.1 \t"},
    {"Comments", std::string_view("1.0\0tail", 8)},
    {"Empty", ""},
    {"ProductName", "トルベリオ試験"},
};

constexpr auto kRecord =
    torvel::makeVersionRecord<torvel::versionRecordLength(kFields)>(0x0411, 0x03A4, kFields);

} // namespace

TORVEL_EMBED_VERSION_RECORD(kRecord);

namespace torvel::test {

std::uint32_t ownRecordSize()
{
    return static_cast<std::uint32_t>(kRecord.size());
}

} // namespace torvel::test
