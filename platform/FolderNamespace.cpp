#include "FolderNamespace.h"
#include "ByteText.h"
#include "FolderIdentity.h"
#include "NameText.h"
#include "PosixFileOps.h"
#include "UniqueFd.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace torvel {

namespace {

// The first byte of an item says what it names; the rest is its name (a
// folder), its mount point without the final "/" (a volume) or nothing.
enum ItemKind : std::uint8_t
{
    kindHome = 'h',
    kindRoot = 'r',
    kindVolume = 'v',
    kindFolder = 'f'
};

constexpr std::string_view desktopName = "デスクトップ";
constexpr std::string_view homeName = "ホーム";
constexpr std::string_view rootName = "/";

ItemIdList makeItem(ItemKind kind, std::string_view name = {})
{
    std::vector<std::uint8_t> payload;
    payload.reserve(name.size() + 1);
    payload.push_back(kind);
    payload.insert(payload.end(), name.begin(), name.end());
    return ItemIdList::single(payload);
}

std::uint8_t kindAt(const ItemIdList& list, std::size_t offset)
{
    const auto payload = list.payloadAt(offset);
    return payload.empty() ? 0 : payload[0];
}

std::string nameAt(const ItemIdList& list, std::size_t offset)
{
    const auto payload = list.payloadAt(offset);
    return payload.empty() ? std::string() : std::string(payload.begin() + 1, payload.end());
}

// Sorts the places of the Desktop before one another, and all of them apart
// from plain folders.
char kindRank(std::uint8_t kind)
{
    switch (kind) {
    case kindHome:
        return '\x01';
    case kindRoot:
        return '\x02';
    case kindVolume:
        return '\x03';
    default:
        return '\x04';
    }
}

// Whether the entry `name` of the open folder `dirFd` is a folder, following
// a symbolic link to what it points at.
bool entryIsFolder(int dirFd, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat st
    {};
    return ::fstatat(dirFd, entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

// Stops at the first subfolder. A folder that cannot be opened may still have
// subfolders: say so, so that its expand button stays and a later try can
// succeed.
bool folderHasSubfolders(UniqueFd fd)
{
    const DirStream dir = openDirStream(std::move(fd));
    if (!dir)
        return true;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!isDotOrDotDot(entry->d_name) && entryIsFolder(::dirfd(dir.get()), *entry))
            return true;
    }
    return false;
}

UniqueFd openFolder(int dirFd, const char* name)
{
    return UniqueFd(::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

bool isValidName(std::string_view name)
{
    return !name.empty() && !isDotOrDotDot(name) && name.find('/') == std::string_view::npos
           && name.find('\0') == std::string_view::npos;
}

// Splits an absolute path into its names, dropping empty and "." parts and
// taking ".." back one level.
std::vector<std::string> pathNames(std::string_view path)
{
    const std::vector<std::string_view> names = resolvedNamesInPath(path);
    return {names.begin(), names.end()};
}

} // namespace

struct FolderNamespace::Collation
{
    std::unique_ptr<icu::Collator> collator;
};

FolderNamespace::FolderNamespace()
    : FolderNamespace(detectFolderPlaces())
{}

FolderNamespace::FolderNamespace(FolderPlaces places)
    : m_places(std::move(places))
    , m_collation(std::make_unique<Collation>())
{
    // The POSIX locale's collation puts every capital before every small
    // letter, which would undo the case-blind order; the root order serves.
    icu::Locale locale = icu::Locale::getDefault();
    if (std::string_view(locale.getName()) == "en_US_POSIX")
        locale = icu::Locale::getRoot();
    UErrorCode status = U_ZERO_ERROR;
    m_collation->collator.reset(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status))
        m_collation->collator.reset();
    else
        m_collation->collator->setStrength(icu::Collator::SECONDARY);
}

FolderNamespace::~FolderNamespace() = default;

std::string FolderNamespace::collationKey(std::string_view bytes) const
{
    const std::string text = torvel::displayName(bytes);
    if (!m_collation->collator) {
        std::string key = text;
        std::transform(key.begin(), key.end(), key.begin(), asciiLower);
        return key;
    }
    const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
    std::string key(64, '\0');
    for (;;) {
        const std::int32_t needed =
            m_collation->collator->getSortKey(unicode, reinterpret_cast<std::uint8_t*>(key.data()),
                                              static_cast<std::int32_t>(key.size()));
        if (needed <= static_cast<std::int32_t>(key.size())) {
            key.resize(needed > 0 ? static_cast<std::size_t>(needed) - 1
                                  : 0); // without its final zero
            return key;
        }
        key.resize(static_cast<std::size_t>(needed));
    }
}

std::string FolderNamespace::sortKey(const ItemIdList& item) const
{
    const auto last = item.lastOffset();
    if (!last)
        return {};
    const std::uint8_t kind = kindAt(item, *last);
    const auto payload = item.payloadAt(*last);
    std::string key(1, kindRank(kind));
    key +=
        collationKey(kind == kindFolder || kind == kindVolume ? displayName(item) : std::string());
    key += '\0';
    key.append(payload.begin(), payload.end());
    return key;
}

int FolderNamespace::compare(const ItemIdList& a, const ItemIdList& b) const
{
    const int order = sortKey(a).compare(sortKey(b));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

std::string FolderNamespace::displayName(const ItemIdList& item) const
{
    const auto last = item.lastOffset();
    if (!last)
        return std::string(desktopName);
    switch (kindAt(item, *last)) {
    case kindHome:
        return std::string(homeName);
    case kindRoot:
        return std::string(rootName);
    case kindVolume:
        return std::string(namePart(nameAt(item, *last)));
    default:
        return nameAt(item, *last);
    }
}

FolderIcon FolderNamespace::iconOf(const ItemIdList& absolute) const
{
    const auto first = absolute.firstOffset();
    if (!first)
        return FolderIcon::Desktop;
    if (absolute.nextItem(*first))
        return FolderIcon::Folder;
    switch (kindAt(absolute, *first)) {
    case kindHome:
        return FolderIcon::Home;
    case kindRoot:
        return FolderIcon::Root;
    case kindVolume:
        return FolderIcon::Volume;
    default:
        return FolderIcon::Folder;
    }
}

bool FolderNamespace::hasSubfolders(const ItemIdList& absolute) const
{
    if (iconOf(absolute) != FolderIcon::Folder)
        return true;
    const auto path = pathOf(absolute);
    if (!path)
        return false;
    return folderHasSubfolders(openFolder(AT_FDCWD, path->c_str()));
}

std::optional<std::string> FolderNamespace::pathOf(const ItemIdList& absolute) const
{
    auto at = absolute.firstOffset();
    if (!at)
        return absolute.isNull() ? std::nullopt : std::optional<std::string>(m_places.desktop);
    std::string path;
    switch (kindAt(absolute, *at)) {
    case kindHome:
        if (m_places.home.empty())
            return std::nullopt;
        path = m_places.home;
        break;
    case kindRoot:
        path.assign(1, '/');
        break;
    case kindVolume:
        path = nameAt(absolute, *at) + '/';
        break;
    default:
        return std::nullopt;
    }
    for (at = absolute.nextItem(*at); at; at = absolute.nextItem(*at)) {
        const std::string name = nameAt(absolute, *at);
        if (kindAt(absolute, *at) != kindFolder || !isValidName(name))
            return std::nullopt;
        path += name;
        path += '/';
    }
    return path;
}

FolderEntry FolderNamespace::specialEntry(ItemIdList item) const
{
    FolderEntry entry;
    entry.name = displayName(item);
    entry.icon = iconOf(item);
    entry.hasSubfolders = true;
    entry.sortKey = sortKey(item);
    entry.item = std::move(item);
    return entry;
}

std::vector<FolderEntry> FolderNamespace::desktopEntries() const
{
    std::vector<FolderEntry> entries;
    if (!m_places.home.empty() && m_places.home != "/")
        entries.push_back(specialEntry(makeItem(kindHome)));
    entries.push_back(specialEntry(makeItem(kindRoot)));
    for (const std::string& volume : m_places.volumes)
        entries.push_back(specialEntry(
            makeItem(kindVolume, std::string_view(volume).substr(0, volume.size() - 1))));
    return entries;
}

std::optional<std::vector<FolderEntry>>
FolderNamespace::listSubfolders(const ItemIdList& folder) const
{
    if (folder.isNull())
        return std::nullopt;
    if (folder.hasNoItems())
        return desktopEntries();
    const auto path = pathOf(folder);
    if (!path)
        return std::nullopt;
    const DirStream dir = openDirStream(openFolder(AT_FDCWD, path->c_str()));
    if (!dir)
        return std::nullopt;
    const int dirFd = ::dirfd(dir.get());
    std::vector<FolderEntry> entries;
    errno = 0;
    while (const dirent* found = ::readdir(dir.get())) {
        if (isDotOrDotDot(found->d_name) || !entryIsFolder(dirFd, *found))
            continue;
        FolderEntry entry;
        entry.name = found->d_name;
        entry.item = makeItem(kindFolder, entry.name);
        entry.hasSubfolders = folderHasSubfolders(openFolder(dirFd, found->d_name));
        entry.sortKey = sortKey(entry.item);
        entries.push_back(std::move(entry));
        errno = 0;
    }
    if (errno != 0)
        return std::nullopt;
    return entries;
}

std::optional<ItemIdList> FolderNamespace::parsePath(std::string_view path) const
{
    if (path.empty() || path[0] != '/')
        return std::nullopt;
    std::string normal = "/";
    for (const std::string& name : pathNames(path))
        normal += name + '/';
    if (!folderExists(normal))
        return std::nullopt;

    std::string anchor = "/";
    ItemIdList list = makeItem(kindRoot);
    const auto take = [&](const std::string& place, ItemIdList item) {
        if (place.size() > anchor.size() && normal.starts_with(place)) {
            anchor = place;
            list = std::move(item);
        }
    };
    if (m_places.home != "/")
        take(m_places.home, makeItem(kindHome));
    for (const std::string& volume : m_places.volumes)
        take(volume, makeItem(kindVolume, std::string_view(volume).substr(0, volume.size() - 1)));

    for (const std::string& name : pathNames(std::string_view(normal).substr(anchor.size())))
        list = concat(list, makeItem(kindFolder, name));
    return list;
}

FolderRenameResult FolderNamespace::rename(const ItemIdList& parent, const ItemIdList& item,
                                           std::string_view newName) const
{
    const auto at = item.firstOffset();
    if (!at || kindAt(item, *at) != kindFolder)
        return {{}, EPERM};
    if (!isValidName(newName))
        return {{}, EINVAL};
    const auto parentPath = pathOf(parent);
    if (!parentPath)
        return {{}, ENOENT};
    const UniqueFd dir = openFolder(AT_FDCWD, parentPath->c_str());
    if (!dir.isOpen())
        return {{}, errno};
    const int error = renameNoReplaceAt(dir.get(), nameAt(item, *at).c_str(), dir.get(),
                                        std::string(newName).c_str());
    if (error != 0)
        return {{}, error};
    return {makeItem(kindFolder, newName), 0};
}

} // namespace torvel
