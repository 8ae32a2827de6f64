#include "RunJournal.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ByteText.h"
#include "FileInfo.h"
#include "FolderHandle.h"
#include "JournalFormat.h"
#include "PosixFileOps.h"
#include "UniqueFd.h"

namespace torvel {

namespace {

using namespace journal;

constexpr std::string_view sequencePrefix = "run-";
constexpr std::size_t sequenceDigits = 10;

std::string encoded(std::string_view bytes)
{
    return percentEncodedPath(bytes);
}

// The local time a run began, YYYY-MM-DDThh:mm:ss, for the person to read.
std::string localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

std::string sequenceName(std::uint64_t number)
{
    std::string digits = std::to_string(number);
    if (digits.size() < sequenceDigits)
        digits.insert(0, sequenceDigits - digits.size(), '0');
    return std::string(sequencePrefix) + digits + std::string(suffix);
}

// The number after the last journal written in the folder, those set aside
// included: the order of the numbers is the order of the runs.
std::uint64_t nextSequence(const std::string& folder)
{
    std::vector<ListedEntry> entries;
    std::uint64_t last = 0;
    if (listFolder(folder, entries) != 0)
        return 1;
    for (const ListedEntry& entry : entries) {
        std::string_view name = entry.name;
        if (!name.starts_with(sequencePrefix)
            || name.size() < sequencePrefix.size() + sequenceDigits)
            continue;
        std::uint64_t number = 0;
        if (numberOf(name.substr(sequencePrefix.size(), sequenceDigits), number))
            last = std::max(last, number);
    }
    return last + 1;
}

std::optional<FolderId> folderIdOf(const std::string& path)
{
    struct stat st
    {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace

RunJournal::RunJournal(std::string folder)
    : m_folder(std::move(folder))
{}

int RunJournal::begin(const JournalRecord& plan)
{
    if (int rc = open(plan))
        return rc;
    const bool ownStamps = !plan.stamps.empty() && plan.stamps.size() == plan.files.size();
    for (std::size_t i = 0; i < plan.files.size(); ++i) {
        if (int rc = add(plan.files[i], ownStamps ? &plan.stamps[i] : nullptr))
            return rc;
    }
    return planned();
}

void RunJournal::settling(const std::string& path, bool back)
{
    m_settles = namePart(path);
    m_settlesBack = back;
}

int RunJournal::open(const JournalRecord& head)
{
    if (int rc = makeFolders(m_folder, 0700))
        return rc;
    // Named by the order of writing, not by the clock: two runs in one
    // second, or under two time zones, still come in the order they ran.
    std::string name;
    int made = EEXIST;
    for (std::uint64_t number = nextSequence(m_folder); made == EEXIST; ++number) {
        name = sequenceName(number);
        made = m_file.create(m_folder, name);
    }
    if (made != 0)
        return made;
    m_path = m_folder + name;
    m_files = 0;
    m_pending.clear();
    m_pending.append(magic).append("\nrun ").append(runKind(head.kind).word);
    m_pending.append("\nstarted ").append(localNow());
    m_pending.append("\nby ").append(encoded(program_invocation_short_name));
    m_pending.append("\nfrom ").append(encoded(head.from));
    m_pending.append("\nto ").append(encoded(head.to)).append("\n");
    const std::optional<FolderId> from = folderIdOf(head.from);
    const std::optional<FolderId> to = folderIdOf(head.to);
    if (from && to) {
        m_pending.append("folders ").append(std::to_string(from->device)).append(" ");
        m_pending.append(std::to_string(from->inode)).append(" ");
        m_pending.append(std::to_string(to->device)).append(" ");
        m_pending.append(std::to_string(to->inode)).append("\n");
    }
    if (!m_settles.empty()) {
        m_pending.append("settles ").append(encoded(m_settles));
        m_pending.append(m_settlesBack ? " back\n" : " finish\n");
    }
    if (const RunKind& kind = runKind(head.kind); kind.writeHead != nullptr)
        kind.writeHead(head, m_pending);
    return 0;
}

int RunJournal::add(const JournalFile& file, const timespec* stamp)
{
    std::string& text = m_pending;
    text.append("file ").append(std::to_string(file.inode)).append(" ");
    text.append(std::to_string(file.size)).append(" ");
    text.append(std::to_string(file.mtimeSeconds)).append(" ");
    text.append(std::to_string(file.mtimeNanoseconds)).append(" ");
    text.append(encoded(file.oldName)).append(" ").append(encoded(file.temporary)).append(" ");
    text.append(encoded(file.newName)).append(" ");
    text.append(std::to_string(file.attributes)).append(" ");
    text.append(std::to_string(file.mode));
    if (stamp != nullptr) {
        text.append(" ").append(std::to_string(stamp->tv_sec)).append(" ");
        text.append(std::to_string(stamp->tv_nsec));
    }
    text.append("\n");
    ++m_files;
    return flush(std::size_t{1} << 20);
}

int RunJournal::add(std::string_view oldName, std::string_view temporary, std::string_view newName,
                    std::uint64_t inode)
{
    std::string& text = m_pending;
    text.append("file ").append(std::to_string(inode)).append(" 0 0 0 ");
    text.append(encoded(oldName)).append(" ").append(encoded(temporary)).append(" ");
    text.append(encoded(newName)).append(" 0 0\n");
    ++m_files;
    return flush(std::size_t{1} << 20);
}

int RunJournal::flush(std::size_t above)
{
    if (m_pending.size() < above)
        return 0;
    const int rc = m_file.append(m_pending);
    m_pending.clear();
    return rc;
}

// The last line of the plan: a journal cut short by a crash while it was
// written has none, and its run never touched a file.
int RunJournal::planned()
{
    m_pending.append("planned ").append(std::to_string(m_files)).append("\n");
    if (int rc = flush(0))
        return rc;
    m_pending.shrink_to_fit();
    return m_file.sync();
}

int RunJournal::trashed(const TrashedFile& file)
{
    const std::string line = "trash " + encoded(file.folder) + " " + encoded(file.name) + " "
                             + encoded(file.trashFolder) + " " + encoded(file.trashName) + "\n";
    if (int rc = m_file.append(line))
        return rc;
    return m_file.sync();
}

int RunJournal::arrived(std::string_view newName, const Arrival& file)
{
    return m_file.append("arrived " + encoded(newName) + " " + std::to_string(file.device) + " "
                         + std::to_string(file.inode) + "\n");
}

// Not written through: on a file system with one journal for all its files
// that would force every rename of the run to the disk at once. A crash that
// loses the line only makes the next start offer to finish a run whose files
// are all in place, which finds nothing to do.
int RunJournal::finish()
{
    return m_file.append("finished\n");
}

namespace {

// A line that a kill cut short goes before a line is added after it: the
// two would otherwise read as one line that is not one.
int dropCutLine(const std::string& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    struct stat st
    {};
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0)
        return errno;
    char tail[4096];
    const off_t at = std::max<off_t>(0, st.st_size - static_cast<off_t>(sizeof tail));
    const ssize_t n = ::pread(fd.get(), tail, sizeof tail, at);
    if (n <= 0 || tail[n - 1] == '\n')
        return n < 0 ? errno : 0;
    const std::string_view read(tail, static_cast<std::size_t>(n));
    const std::size_t lastEnd = read.rfind('\n');
    if (lastEnd == std::string_view::npos)
        return 0; // a line longer than the tail: left for the reader to stop at
    return ::ftruncate(fd.get(), at + static_cast<off_t>(lastEnd) + 1) == 0 ? 0 : errno;
}

int appendLine(const std::string& path, std::string_view line)
{
    if (int rc = dropCutLine(path))
        return rc;
    DurableFile file;
    if (int rc = file.openToAppend(path))
        return rc;
    if (int rc = file.append(line))
        return rc;
    return file.sync();
}

} // namespace

int markUndone(const std::string& path)
{
    return appendLine(path, "undone\n");
}

int markFinished(const std::string& path)
{
    return appendLine(path, "finished\n");
}

// Journals of earlier versions were named by the local time ("2026...")
// and come before those named by number ("run-..."), as they were written
// before them.
std::vector<std::string> journalPaths(const std::string& folder)
{
    std::vector<ListedEntry> entries;
    std::vector<std::string> paths;
    if (listFolder(folder, entries) != 0)
        return paths;
    for (const ListedEntry& entry : entries) {
        if (!entry.isFolder && std::string_view(entry.name).ends_with(suffix))
            paths.push_back(folder + entry.name);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

int setAside(const std::string& path, std::string& asidePath)
{
    FolderHandle folder{std::string(folderPart(path))};
    const std::string name(namePart(path));
    int rc = EEXIST;
    for (int n = 0; rc == EEXIST && n < 100; ++n) {
        const std::string aside = name + ".damaged" + (n == 0 ? "" : "." + std::to_string(n));
        rc = renameNoReplaceAt(folder.fd(), name.c_str(), folder.fd(), aside.c_str());
        if (rc == 0)
            asidePath = folder.path() + aside;
    }
    return rc;
}

JournalEnd journalEnd(const std::string& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st
    {};
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0)
        return JournalEnd::Open;
    char tail[16] = {};
    const off_t at = st.st_size > static_cast<off_t>(sizeof tail)
                         ? st.st_size - static_cast<off_t>(sizeof tail)
                         : 0;
    const ssize_t n = ::pread(fd.get(), tail, sizeof tail, at);
    const std::string_view end(tail, n > 0 ? static_cast<std::size_t>(n) : 0);
    if (end.ends_with("\nundone\n"))
        return JournalEnd::Undone;
    if (end.ends_with("\nfinished\n"))
        return JournalEnd::Finished;
    return JournalEnd::Open;
}

void pruneJournals(const std::string& folder, std::size_t keep, std::uint64_t keepBytes)
{
    const std::vector<std::string> paths = journalPaths(folder);
    std::uint64_t bytes = 0;
    std::size_t kept = 0;
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
        struct stat st
        {};
        const std::uint64_t size =
            ::stat(it->c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
        const bool newest = it == paths.rbegin();
        if (newest || (kept < keep && bytes + size <= keepBytes)) {
            ++kept;
            bytes += size;
            continue;
        }
        // A run that never came to its end is kept until it is dealt with.
        if (journalEnd(*it) != JournalEnd::Open)
            (void)::unlink(it->c_str()); // an old journal left over is harmless
    }
}

InodesByName inodesByName(const std::vector<std::string>& names,
                          const std::vector<std::uint64_t>& inodes)
{
    InodesByName byName;
    byName.reserve(names.size());
    for (std::size_t i = 0; i < names.size() && i < inodes.size(); ++i)
        byName.emplace(names[i], inodes[i]);
    return byName;
}

} // namespace torvel
