#include "FileAttributes.h"

#include "ByteText.h"
#include "FolderHandle.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>

namespace torvel {

namespace {

constexpr std::uint32_t xattrBits = FileAttr::Hidden | FileAttr::System | FileAttr::Archive;
constexpr std::uint32_t changeableBits = xattrBits | FileAttr::ReadOnly;
constexpr std::uint32_t sambaValidAttrib = 0x1; // "attrib" field is valid

std::uint32_t readLe16(std::string_view v, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(v[at]))
           | static_cast<std::uint32_t>(static_cast<unsigned char>(v[at + 1])) << 8;
}

std::uint32_t readLe32(std::string_view v, std::size_t at)
{
    return readLe16(v, at) | readLe16(v, at + 2) << 16;
}

void writeLe32(std::string& v, std::size_t at, std::uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + static_cast<std::size_t>(i)] = static_cast<char>((x >> (8 * i)) & 0xFF);
}

// Samba's record: an optional NUL-terminated hex text, then (aligned to 2) a
// version and a union level, then (aligned to 4) the version's info, whose
// attribute word sits at a version-dependent place.
struct SambaLayout
{
    std::size_t hexLength = 0; // characters of the leading hex text
    std::size_t attribOffset = 0;
};

std::optional<SambaLayout> sambaLayout(std::string_view v)
{
    const std::size_t nul = v.find('\0');
    if (nul == std::string_view::npos || nul > 64)
        return std::nullopt;
    const std::size_t ndr = (nul + 1 + 1) & ~std::size_t{1};
    if (ndr + 4 > v.size())
        return std::nullopt;
    const std::uint32_t version = readLe16(v, ndr);
    if (readLe16(v, ndr + 2) != version)
        return std::nullopt;
    const std::size_t info = (ndr + 4 + 3) & ~std::size_t{3};
    std::size_t attrib = 0;
    if (version == 1) {
        attrib = info;
    } else if (version == 2) {
        attrib = info + 4;
    } else if (version >= 3 && version <= 5) {
        if (info + 4 > v.size() || (readLe32(v, info) & sambaValidAttrib) == 0)
            return std::nullopt;
        attrib = info + 4;
    } else {
        return std::nullopt;
    }
    if (attrib + 4 > v.size())
        return std::nullopt;
    return SambaLayout{nul, attrib};
}

// "0x1f" (possibly followed by a NUL and more): the number, or nothing.
std::optional<std::uint32_t> parseHexText(std::string_view v)
{
    if (v.size() < 3 || v[0] != '0' || (v[1] != 'x' && v[1] != 'X'))
        return std::nullopt;
    std::uint32_t value = 0;
    std::size_t i = 2;
    for (; i < v.size() && v[i] != '\0'; ++i) {
        const int digit = hexDigitValue(v[i]);
        if (digit < 0 || value > 0x0FFFFFFF)
            return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    if (i == 2)
        return std::nullopt;
    return value;
}

std::string hexText(std::uint32_t value, std::size_t minDigits)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%x", value);
    std::string text(digits);
    if (text.size() < minDigits)
        text.insert(0, minDigits - text.size(), '0');
    return "0x" + text;
}

// The hex text of a Samba record with its new value. It keeps its length when
// the value fits, else grows by whole 8 characters so that every aligned field
// after it keeps its alignment.
std::string sambaHexText(std::uint32_t value, std::size_t oldLength)
{
    const std::size_t oldDigits = oldLength > 2 ? oldLength - 2 : 0;
    std::size_t digits = oldDigits;
    while (hexText(value, 0).size() - 2 > digits)
        digits += 8;
    return hexText(value, digits);
}

// Since Linux 6.13 an attribute can be read relative to a folder handle,
// which spares the walk down the whole path for every file of a large list.
// C libraries do not wrap the call yet; where the kernel lacks it, the path is
// used.
#ifndef SYS_getxattrat
#if defined(__x86_64__) || defined(__aarch64__) || defined(__riscv)
#define SYS_getxattrat 464
#endif
#endif

struct XattrArgs
{
    std::uint64_t value;
    std::uint32_t size;
    std::uint32_t flags;
};

std::atomic<bool> getxattratMissing{false};

// getxattrat(2): the value size, or -1 with errno (ENOSYS when unavailable).
ssize_t getxattrAt(int folderFd, const char* name, void* value, std::size_t size)
{
#ifdef SYS_getxattrat
    if (!getxattratMissing.load(std::memory_order_relaxed)) {
        XattrArgs args{reinterpret_cast<std::uintptr_t>(value), static_cast<std::uint32_t>(size),
                       0};
        const long n =
            syscall(SYS_getxattrat, folderFd, name, 0u, dosAttribXattrName, &args, sizeof args);
        if (n >= 0 || (errno != ENOSYS && errno != EINVAL))
            return static_cast<ssize_t>(n);
        getxattratMissing.store(true, std::memory_order_relaxed);
    }
#else
    (void)folderFd;
    (void)name;
    (void)value;
    (void)size;
#endif
    errno = ENOSYS;
    return -1;
}

std::string pathOf(const FolderHandle& folder, const std::string& name)
{
    return folder.path() + name;
}

// The stored raw value: 0 when there is one, ENODATA when there is none, or
// the errno of the failed read (ENOTSUP on file systems without them).
int readRawDosAttrib(const std::string& path, std::string& value)
{
    value.resize(256);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t n = getxattr(path.c_str(), dosAttribXattrName, value.data(), value.size());
        if (n >= 0) {
            value.resize(static_cast<std::size_t>(n));
            return 0;
        }
        if (errno != ERANGE)
            return errno;
        const ssize_t needed = getxattr(path.c_str(), dosAttribXattrName, nullptr, 0);
        if (needed < 0)
            return errno;
        value.resize(static_cast<std::size_t>(needed) + 16);
    }
    return ERANGE;
}

// The same, relative to the folder handle where the kernel allows it.
int readRawDosAttribAt(const FolderHandle& folder, const std::string& name, std::string& value)
{
    char buffer[256];
    const ssize_t n = getxattrAt(folder.fd(), name.c_str(), buffer, sizeof buffer);
    if (n >= 0) {
        value.assign(buffer, static_cast<std::size_t>(n));
        return 0;
    }
    if (errno != ENOSYS && errno != ERANGE)
        return errno;
    return readRawDosAttrib(pathOf(folder, name), value);
}

int statOf(const FolderHandle& folder, const std::string& name, struct stat& st)
{
    if (!folder.isOpen())
        return folder.error() != 0 ? folder.error() : EBADF;
    if (fstatat(folder.fd(), name.c_str(), &st, 0) != 0)
        return errno;
    return 0;
}

int setRawDosAttrib(const std::string& path, const std::string& value)
{
    if (setxattr(path.c_str(), dosAttribXattrName, value.data(), value.size(), 0) != 0)
        return errno;
    return 0;
}

// Writes the value; a file without write permission (which an ordinary user
// may not give attributes) is opened up for the owner just for the write.
int storeDosAttrib(const FolderHandle& folder, const std::string& name, const struct stat& st,
                   const std::string& value)
{
    const std::string path = pathOf(folder, name);
    int rc = setRawDosAttrib(path, value);
    if ((rc == EACCES || rc == EPERM) && (st.st_mode & S_IWUSR) == 0) {
        if (fchmodat(folder.fd(), name.c_str(), (st.st_mode & 07777) | S_IWUSR, 0) != 0)
            return rc;
        rc = setRawDosAttrib(path, value);
        if (fchmodat(folder.fd(), name.c_str(), st.st_mode & 07777, 0) != 0 && rc == 0)
            rc = errno;
    }
    return rc;
}

void restoreDosAttrib(const std::string& path, bool hadValue, const std::string& oldValue)
{
    if (hadValue)
        (void)setxattr(path.c_str(), dosAttribXattrName, oldValue.data(), oldValue.size(), 0);
    else
        (void)removexattr(path.c_str(), dosAttribXattrName);
}

} // namespace

StoredDosAttrib parseDosAttrib(std::string_view value)
{
    if (const auto layout = sambaLayout(value))
        return {true, readLe32(value, layout->attribOffset)};
    if (const auto text = parseHexText(value))
        return {true, *text};
    return {};
}

std::uint32_t attributeWord(const struct stat& st, std::string_view bareName,
                            const StoredDosAttrib& stored)
{
    std::uint32_t word = 0;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        word |= FileAttr::ReadOnly;
    if (S_ISDIR(st.st_mode))
        word |= FileAttr::Folder;
    if (stored.valid)
        return word | (stored.attributes & changeableBits);
    return unstoredAttributeWord(word, bareName);
}

std::uint32_t unstoredAttributeWord(std::uint32_t word, std::string_view bareName)
{
    const bool folder = (word & FileAttr::Folder) != 0;
    word &= FileAttr::ReadOnly | FileAttr::Folder;
    if (!bareName.empty() && bareName.front() == '.')
        word |= FileAttr::Hidden;
    if (!folder)
        word |= FileAttr::Archive;
    return word;
}

std::uint32_t completeAttributeWord(std::uint32_t withoutStored, const StoredDosAttrib& stored)
{
    if (!stored.valid)
        return withoutStored;
    // Without a stored value only the permission bits and the folder bit come
    // from stat; the defaults give way to what is stored.
    return (stored.attributes & changeableBits)
           | (withoutStored & (FileAttr::ReadOnly | FileAttr::Folder));
}

StoredDosAttrib readDosAttrib(const FolderHandle& folder, const std::string& name)
{
    std::string value;
    if (readRawDosAttribAt(folder, name, value) != 0)
        return {};
    return parseDosAttrib(value);
}

int readAttributes(const FolderHandle& folder, const std::string& name, std::uint32_t& attributes)
{
    struct stat st
    {};
    if (const int rc = statOf(folder, name, st); rc != 0)
        return rc;
    attributes = attributeWord(st, name, readDosAttrib(folder, name));
    return 0;
}

std::optional<std::string> composeDosAttrib(std::string_view oldValue, std::uint32_t attributes)
{
    if (oldValue.empty())
        return hexText(attributes & xattrBits, 0);
    if (const auto layout = sambaLayout(oldValue)) {
        const std::uint32_t old = readLe32(oldValue, layout->attribOffset);
        const std::uint32_t word = (old & ~changeableBits) | (attributes & changeableBits);
        std::string value(oldValue);
        std::size_t attribOffset = layout->attribOffset;
        if (layout->hexLength > 0) {
            const std::string text = sambaHexText(word, layout->hexLength);
            attribOffset += text.size() - layout->hexLength;
            value = text + std::string(oldValue.substr(layout->hexLength));
        }
        writeLe32(value, attribOffset, word);
        return value;
    }
    if (const auto old = parseHexText(oldValue)) {
        // A stored read-only bit stays only while the file stays read-only.
        const std::uint32_t readOnly = *old & attributes & FileAttr::ReadOnly;
        return hexText((*old & ~changeableBits) | (attributes & xattrBits) | readOnly, 0);
    }
    return std::nullopt;
}

namespace {

// Gives the file of `st` the word (current & keepMask) | setMask for the
// changeable bits. The extended attribute is written only when hidden, system
// or archive change (or a stored read-only bit must follow the permission
// bits); the permission bits only when read-only changes.
int applyAttributes(const FolderHandle& folder, const std::string& name, const struct stat& st,
                    std::uint32_t keepMask, std::uint32_t setMask)
{
    const std::string path = pathOf(folder, name);
    std::string oldValue;
    const int readRc = readRawDosAttribAt(folder, name, oldValue);
    const bool hadValue = readRc == 0;
    if (!hadValue)
        oldValue.clear();
    // A value that exists but cannot be read must not be overwritten blindly.
    const bool unreadable = !hadValue && readRc != ENODATA && readRc != ENOTSUP;
    const StoredDosAttrib stored = hadValue ? parseDosAttrib(oldValue) : StoredDosAttrib{};
    if (hadValue && !stored.valid)
        return EINVAL; // not ours to overwrite

    const std::uint32_t current = attributeWord(st, name, stored);
    const std::uint32_t attributes = (current & keepMask) | (setMask & changeableBits);
    const bool wantReadOnly = (attributes & FileAttr::ReadOnly) != 0;
    const bool readOnlyChanges = wantReadOnly != ((current & FileAttr::ReadOnly) != 0);
    const bool xattrChanges =
        (attributes & xattrBits) != (current & xattrBits) || (readOnlyChanges && hadValue);

    if (xattrChanges) {
        if (unreadable)
            return readRc;
        const auto value = composeDosAttrib(oldValue, attributes);
        if (!value)
            return EINVAL;
        if (const int rc = storeDosAttrib(folder, name, st, *value); rc != 0)
            return rc;
    }
    if (!readOnlyChanges)
        return 0;
    mode_t mode = st.st_mode & 07777;
    if (wantReadOnly)
        mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
    else if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && fchmodat(folder.fd(), name.c_str(), mode, 0) != 0) {
        const int rc = errno;
        if (xattrChanges)
            restoreDosAttrib(path, hadValue, oldValue);
        return rc;
    }
    return 0;
}

} // namespace

int changeAttributes(const FolderHandle& folder, const std::string& name, std::uint32_t keepMask,
                     std::uint32_t setMask)
{
    if (!folder.isOpen())
        return folder.error() != 0 ? folder.error() : EBADF;
    struct stat st
    {};
    if (fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    // A link holds no attributes of its own here (user attributes are refused
    // on it, and its mode means nothing), and changing what it points at would
    // touch a file that was not chosen. Pipes and devices take no user
    // attributes either.
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return EPERM;
    return applyAttributes(folder, name, st, keepMask, setMask);
}

} // namespace torvel
