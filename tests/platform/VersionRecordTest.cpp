#include "VersionRecord.h"
#include "VersionRecordImage.h"

#include "common/ElfFile.h"
#include "TestVersionRecord.h"
#include "common/ScratchDir.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <vector>

namespace torvel {
namespace {

using test::ElfSection;
using test::makeElf;
using test::writeFile;

constexpr VersionRecordField kFields[] = {
    {"FileVersion", "1.2.3.4"},
    {"ProductName", "トルベリオ"},
};
constexpr auto kRecord = makeVersionRecord<versionRecordLength(kFields)>(0x0409, 0x04B0, kFields);

std::string recordBytes()
{
    return std::string(reinterpret_cast<const char*>(kRecord.data()), kRecord.size());
}

std::vector<unsigned char> readAll(const std::string& file)
{
    const std::uint32_t size = versionRecordSize(file);
    std::vector<unsigned char> block(size);
    if (size == 0 || !readVersionRecord(file, size, block.data()))
        block.clear();
    return block;
}

std::optional<std::string> query(const std::vector<unsigned char>& block, std::string_view path)
{
    const auto value =
        queryVersionValue(block.data(), static_cast<std::uint32_t>(block.size()), path);
    return value ? std::optional<std::string>(std::string(*value)) : std::nullopt;
}

class VersionRecordFiles : public ::testing::Test
{
protected:
    std::string write(const std::string& name, const std::string& bytes)
    {
        const std::string path = m_folder.path() + name;
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    ScratchDir m_folder;
};

TEST(VersionRecord, ReadsTheRecordOfThisProgram)
{
    const std::string self = "/proc/self/exe";
    EXPECT_EQ(versionRecordSize(self), test::ownRecordSize());
    const auto block = readAll(self);
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(query(block, "\\VarFileInfo\\Translation"), std::string("\x11\x04\xA4\x03", 4));
    EXPECT_EQ(query(block, "\\StringFileInfo\\041103A4\\FileVersion"), " 3.1.4.1 \t");
    EXPECT_EQ(query(block, "\\StringFileInfo\\041103A4\\Comments"), std::string("1.0\0tail", 8));
    EXPECT_EQ(query(block, "\\StringFileInfo\\041103A4\\Empty"), "");
    EXPECT_EQ(query(block, "\\StringFileInfo\\041103A4\\ProductName"), "トルベリオ試験");
}

TEST(VersionRecord, PathsMatchWithoutRegardToCaseButExactly)
{
    const auto block = readAll("/proc/self/exe");
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(query(block, "\\stringfileinfo\\041103a4\\FILEVERSION"), " 3.1.4.1 \t");
    EXPECT_EQ(query(block, "\\VARFILEINFO\\translation")->size(), 4u);

    for (const char* missing :
         {"\\StringFileInfo\\040904B0\\FileVersion", // another translation
          "\\StringFileInfo\\041103A4\\FileVersio", "\\StringFileInfo\\041103A4\\FileVersionX",
          "\\StringFileInfo\\041103A4\\", "\\StringFileInfo\\041103A4",
          "StringFileInfo\\041103A4\\FileVersion", "\\StringFileInfo\\\\041103A4\\FileVersion",
          "\\StringFileInfo\\041103A4\\FileVersion\\x", "\\VarFileInfo", "\\", ""})
        EXPECT_FALSE(query(block, missing)) << missing;
}

TEST_F(VersionRecordFiles, FilesWithoutARecordHaveNone)
{
    const std::string text = write("notes.txt", "FileVersion 1.0\n");
    const std::string empty = write("empty", "");
    const std::string elf =
        write("plain.elf", makeElf({{".text", "\x90\x90"}, {".data", "1234"}}).bytes);
    const std::string fifo = m_folder.path() + "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    for (const std::string& file :
         {text, empty, elf, fifo, m_folder.path(), m_folder.path() + "missing"}) {
        EXPECT_EQ(versionRecordSize(file), 0u) << file;
        unsigned char block[64] = {};
        EXPECT_FALSE(readVersionRecord(file, sizeof block, block)) << file;
    }
}

TEST_F(VersionRecordFiles, FindsTheRecordInEitherClassAndByteOrder)
{
    for (bool is64 : {true, false}) {
        for (bool big : {false, true}) {
            const auto elf =
                makeElf({{".text", "code"}, {".torvel_version", recordBytes()}}, is64, big);
            const std::string file = write("prog", elf.bytes);
            const auto block = readAll(file);
            ASSERT_EQ(block.size(), kRecord.size()) << is64 << big;
            EXPECT_EQ(query(block, "\\StringFileInfo\\040904B0\\FileVersion"), "1.2.3.4");
            EXPECT_EQ(query(block, "\\StringFileInfo\\040904b0\\ProductName"), "トルベリオ");
        }
    }
}

TEST_F(VersionRecordFiles, ReadsAFileWhoseNameIsNotUtf8)
{
    // "テスト" in Shift-JIS
    const std::string file =
        write("\x83\x65\x83\x58\x83\x67.bin", makeElf({{".torvel_version", recordBytes()}}).bytes);
    EXPECT_EQ(versionRecordSize(file), kRecord.size());
}

TEST_F(VersionRecordFiles, ASimilarSectionNameIsNotTheRecord)
{
    for (const char* name : {".torvel_versio", ".torvel_version2", ".TORVEL_VERSION"}) {
        const std::string file = write("prog", makeElf({{name, recordBytes()}}).bytes);
        EXPECT_EQ(versionRecordSize(file), 0u) << name;
    }
    // A section without bytes in the file holds no record.
    const std::string file = write("prog", makeElf({{".torvel_version", recordBytes(), 8}}).bytes);
    EXPECT_EQ(versionRecordSize(file), 0u);
}

TEST_F(VersionRecordFiles, ReadingWithAnotherSizeFails)
{
    const std::string file = write("prog", makeElf({{".torvel_version", recordBytes()}}).bytes);
    std::vector<unsigned char> block(kRecord.size() + 8);
    EXPECT_FALSE(
        readVersionRecord(file, static_cast<std::uint32_t>(kRecord.size() - 1), block.data()));
    EXPECT_FALSE(
        readVersionRecord(file, static_cast<std::uint32_t>(kRecord.size() + 8), block.data()));
    EXPECT_TRUE(readVersionRecord(file, static_cast<std::uint32_t>(kRecord.size()), block.data()));
}

// Every cut of a good file loses at least the section table at its end: none
// of them may be read past its end or taken for a record.
TEST_F(VersionRecordFiles, EveryTruncatedFileHasNone)
{
    const auto elf = makeElf({{".torvel_version", recordBytes()}});
    for (std::size_t cut = 0; cut < elf.bytes.size(); ++cut) {
        const std::string file = write("cut", elf.bytes.substr(0, cut));
        ASSERT_EQ(versionRecordSize(file), 0u) << cut;
    }
}

TEST_F(VersionRecordFiles, DamagedSectionTablesAreRefused)
{
    auto damaged = [&](auto change) {
        auto elf = makeElf({{".torvel_version", recordBytes()}});
        change(elf);
        return versionRecordSize(write("bad", elf.bytes));
    };
    EXPECT_EQ(damaged([](auto&) {}), kRecord.size());           // the undamaged file, for contrast
    EXPECT_EQ(damaged([](auto& e) { e.put(0x3E, 7, 2); }), 0u); // name table index past the table
    EXPECT_EQ(damaged([](auto& e) { e.put(0x3C, 0xFFFF, 2); }),
              0u); // more sections than the file holds
    EXPECT_EQ(damaged([](auto& e) { e.put(0x3A, 32, 2); }), 0u); // wrong header size
    EXPECT_EQ(damaged([](auto& e) { e.put(0x28, 0, 8); }), 0u);  // no section table
    EXPECT_EQ(damaged([](auto& e) { e.put(0x28, ~0ull - 8, 8); }),
              0u); // table offset that wraps around
    EXPECT_EQ(damaged([](auto& e) { e.put(e.sectionHeaderField(1, 24, 16), ~0ull - 4, 8); }), 0u);
    EXPECT_EQ(damaged([](auto& e) { e.put(e.sectionHeaderField(1, 32, 20), 1ull << 40, 8); }), 0u);
    EXPECT_EQ(damaged([](auto& e) { e.put(e.sectionHeaderField(1, 0, 0), 1u << 30, 4); }),
              0u); // name off the table
    EXPECT_EQ(damaged([](auto& e) { e.put(e.sectionHeaderField(2, 32, 20), 1ull << 40, 8); }),
              0u);                                           // huge name table
    EXPECT_EQ(damaged([](auto& e) { e.bytes[4] = 3; }), 0u); // unknown class
}

// A section's name offset may point anywhere into the name table, its last
// bytes included; only the offset of the real name finds the record.
TEST_F(VersionRecordFiles, NameOffsetsNearTheEndOfTheNameTableStayInside)
{
    auto elf = makeElf({{".torvel_version", recordBytes()}});
    const std::uint64_t nameField = elf.sectionHeaderField(1, 0, 0);
    const std::uint64_t tableSize = 1 + sizeof ".torvel_version" + sizeof ".shstrtab";
    for (std::uint64_t nameAt = 0; nameAt < tableSize + 4; ++nameAt) {
        elf.put(nameField, nameAt, 4);
        EXPECT_EQ(versionRecordSize(write("names", elf.bytes)), nameAt == 1 ? kRecord.size() : 0u)
            << nameAt;
    }
}

TEST_F(VersionRecordFiles, DamagedRecordsAreRefused)
{
    auto withRecord = [&](std::string record, std::size_t sectionSize) {
        record.resize(sectionSize, '\0');
        return versionRecordSize(write("bad", makeElf({{".torvel_version", record}}).bytes));
    };
    const std::string good = recordBytes();
    auto patched = [&](std::size_t at, std::string bytes) {
        std::string r = good;
        r.replace(at, bytes.size(), bytes);
        return r;
    };
    EXPECT_EQ(withRecord(good, good.size() + 16), good.size()); // padding after it is no harm
    EXPECT_EQ(withRecord(good, good.size() - 1), 0u);           // record longer than its section
    EXPECT_EQ(withRecord(good, 10), 0u);                        // section shorter than a header
    EXPECT_EQ(withRecord(patched(0, "X"), good.size()), 0u);    // magic
    EXPECT_EQ(withRecord(patched(12, std::string("\x02\x00", 2)), good.size()), 0u); // layout
    EXPECT_EQ(withRecord(patched(8, std::string("\x05\x00\x00\x00", 4)), good.size()),
              0u); // length below header
    EXPECT_EQ(withRecord(patched(8, std::string("\xFF\xFF\xFF\x7F", 4)), good.size()),
              0u); // absurd length
    EXPECT_EQ(withRecord(patched(14, std::string("\x03\x00", 2)), good.size()),
              0u); // one field too many
    EXPECT_EQ(withRecord(patched(14, std::string("\x01\x00", 2)), good.size()),
              0u); // bytes left over
    EXPECT_EQ(withRecord(patched(22, std::string("\xFF\x00", 2)), good.size()),
              0u); // value runs past the end
    EXPECT_EQ(withRecord(patched(20, std::string("\x00\x00", 2)), good.size()),
              0u); // field without a name
}

// Whatever single byte of the record is damaged, the reader neither crashes nor
// reads outside the block, and what it accepts is sound.
TEST_F(VersionRecordFiles, NoSingleDamagedByteLeadsOutOfBounds)
{
    const std::string good = recordBytes();
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (char value : {'\x00', '\x7F', '\xFF'}) {
            std::string record = good;
            record[at] = value;
            const auto block = readAll(write("fuzz", makeElf({{".torvel_version", record}}).bytes));
            if (block.empty())
                continue;
            EXPECT_TRUE(
                isSoundVersionRecord(block.data(), static_cast<std::uint32_t>(block.size())));
            (void)query(block, "\\StringFileInfo\\040904B0\\ProductName");
            (void)query(block, "\\VarFileInfo\\Translation");
        }
    }
}

TEST(VersionRecord, QueriesRefuseBlocksThatAreNotSound)
{
    std::vector<unsigned char> block(kRecord.begin(), kRecord.end());
    EXPECT_TRUE(query(block, "\\VarFileInfo\\Translation"));
    EXPECT_FALSE(queryVersionValue(block.data(), static_cast<std::uint32_t>(block.size() - 1),
                                   "\\VarFileInfo\\Translation"));
    EXPECT_FALSE(queryVersionValue(nullptr, 0, "\\VarFileInfo\\Translation"));
    block[0] = 'x';
    EXPECT_FALSE(query(block, "\\VarFileInfo\\Translation"));
}

} // namespace
} // namespace torvel
