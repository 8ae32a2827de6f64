#pragma once
// Minimal ELF files made byte by byte, to give the version record reader
// files of every shape: either class, either byte order, damaged on purpose.

#include <cstdint>
#include <string>
#include <vector>

namespace torvel::test {

struct ElfSection
{
    std::string name;
    std::string data;
    std::uint32_t type = 1; // SHT_PROGBITS
};

struct ElfFile
{
    std::string bytes;
    std::uint64_t sectionTableOffset = 0;
    std::vector<std::uint64_t> dataOffsets; // of each given section, in order
    bool is64 = true;
    bool bigEndian = false;

    std::size_t sectionHeaderSize() const { return is64 ? 64 : 40; }
    // Offset of a field of the header of section `index` (0 is the null section).
    std::uint64_t sectionHeaderField(std::size_t index, std::size_t field64, std::size_t field32) const
    {
        return sectionTableOffset + index * sectionHeaderSize() + (is64 ? field64 : field32);
    }
    void put(std::uint64_t at, std::uint64_t value, int width);
};

// An ELF file with a null section, the given sections and the section name table last.
ElfFile makeElf(const std::vector<ElfSection>& sections, bool is64 = true, bool bigEndian = false);

// A file with these bytes; true when written.
bool writeFile(const std::string& path, const std::string& bytes);

// A fresh temporary folder, ending in "/", removed by the destructor.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace torvel::test
