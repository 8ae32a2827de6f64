#pragma once
// Minimal ELF files made byte by byte, to give the version record reader
// files of every shape: either class, either byte order, damaged on purpose.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
    std::uint64_t sectionHeaderField(std::size_t index, std::size_t field64,
                                     std::size_t field32) const
    {
        return sectionTableOffset + index * sectionHeaderSize() + (is64 ? field64 : field32);
    }
    void put(std::uint64_t at, std::uint64_t value, int width);
};

inline void ElfFile::put(std::uint64_t at, std::uint64_t value, int width)
{
    for (int i = 0; i < width; ++i) {
        const int shift = bigEndian ? 8 * (width - 1 - i) : 8 * i;
        bytes.at(at + static_cast<std::uint64_t>(i)) = static_cast<char>((value >> shift) & 0xFF);
    }
}

// An ELF file with a null section, the given sections and the section name table last.
inline ElfFile makeElf(const std::vector<ElfSection>& sections, bool is64 = true,
                       bool bigEndian = false)
{
    ElfFile elf;
    elf.is64 = is64;
    elf.bigEndian = bigEndian;
    const std::size_t headerSize = is64 ? 64 : 52;
    elf.bytes.assign(headerSize, '\0');
    elf.bytes.replace(0, 4,
                      "\x7f"
                      "ELF");
    elf.bytes[4] = is64 ? 2 : 1;
    elf.bytes[5] = bigEndian ? 2 : 1;
    elf.bytes[6] = 1;

    std::string names(1, '\0');
    std::vector<std::uint64_t> nameOffsets;
    for (const ElfSection& s : sections) {
        nameOffsets.push_back(names.size());
        elf.dataOffsets.push_back(elf.bytes.size());
        elf.bytes += s.data;
        names += s.name + '\0';
    }
    const std::uint64_t namesNameAt = names.size();
    names += std::string(".shstrtab") + '\0';
    const std::uint64_t namesAt = elf.bytes.size();
    elf.bytes += names;
    while (elf.bytes.size() % 8 != 0)
        elf.bytes += '\0';

    const std::size_t count = sections.size() + 2;
    elf.sectionTableOffset = elf.bytes.size();
    elf.bytes.append(count * elf.sectionHeaderSize(), '\0');
    const int addr = is64 ? 8 : 4;
    elf.put(is64 ? 0x28 : 0x20, elf.sectionTableOffset, addr);
    elf.put(is64 ? 0x3A : 0x2E, elf.sectionHeaderSize(), 2);
    elf.put(is64 ? 0x3C : 0x30, count, 2);
    elf.put(is64 ? 0x3E : 0x32, count - 1, 2);

    auto header = [&](std::size_t index, std::uint64_t nameAt, std::uint32_t type,
                      std::uint64_t offset, std::uint64_t size) {
        elf.put(elf.sectionHeaderField(index, 0, 0), nameAt, 4);
        elf.put(elf.sectionHeaderField(index, 4, 4), type, 4);
        elf.put(elf.sectionHeaderField(index, 24, 16), offset, addr);
        elf.put(elf.sectionHeaderField(index, 32, 20), size, addr);
    };
    for (std::size_t i = 0; i < sections.size(); ++i)
        header(i + 1, nameOffsets[i], sections[i].type, elf.dataOffsets[i],
               sections[i].data.size());
    header(count - 1, namesNameAt, 3 /* SHT_STRTAB */, namesAt, names.size());
    return elf;
}

// A file with these bytes; true when written.
inline bool writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace torvel::test
