#include "RunJournal.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileInfo.h"
#include "FolderHandle.h"
#include "Trash.h"
#include "PosixFileOps.h"
#include "UniqueFd.h"
#include "ByteText.h"

namespace torvel {

namespace {

// Version 2 adds the folders' identities, the permission bits of a file,
// the files that arrived as new files, and the run a run settles.
constexpr std::string_view magicPrefix = "torvel-journal ";
constexpr std::string_view magic = "torvel-journal 2";
constexpr std::string_view suffix = ".journal";
constexpr std::string_view sequencePrefix = "run-";
constexpr std::size_t sequenceDigits = 10;

const char* kindWord(JournalKind kind)
{
    switch (kind) {
    case JournalKind::Rename:
        return "rename";
    case JournalKind::Move:
        return "move";
    case JournalKind::Copy:
        return "copy";
    case JournalKind::TimeStamp:
        return "stamp";
    case JournalKind::Attributes:
        break;
    }
    return "attributes";
}

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

std::vector<std::string_view> fieldsOf(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t blank = line.find(' ');
        fields.push_back(line.substr(0, blank));
        if (blank == std::string_view::npos)
            return fields;
        line.remove_prefix(blank + 1);
    }
}

template <typename Number>
bool numberOf(std::string_view text, Number& out)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

// A name a journal may hold for a file: one name in its folder, never a path.
bool bareName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos
           && name.find('\0') == std::string_view::npos;
}

// A folder a journal may name: absolute, ending in "/", without "." or "..".
bool plainFolder(std::string_view path)
{
    if (!path.starts_with('/') || !path.ends_with('/'))
        return false;
    return path.find("/./") == std::string_view::npos && path.find("/../") == std::string_view::npos
           && path.find('\0') == std::string_view::npos;
}

// A trash folder of this person's: the home trash, or a device's own.
bool ownTrash(std::string_view folder)
{
    const std::string uid = std::to_string(::geteuid());
    return plainFolder(folder)
           && (folder == Trash::homeFolder() || folder.ends_with("/.Trash-" + uid + "/")
               || folder.ends_with("/.Trash/" + uid + "/"));
}

bool readFile(const std::vector<std::string_view>& f, int version, JournalFile& file,
              std::vector<timespec>& stamps)
{
    const std::size_t plain = version >= 2 ? 10 : 9;
    if (f.size() == plain + 2) { // with the file's own time stamp
        timespec stamp{};
        if (!numberOf(f[plain], stamp.tv_sec) || !numberOf(f[plain + 1], stamp.tv_nsec))
            return false;
        stamps.push_back(stamp);
    } else if (f.size() != plain) {
        return false;
    }
    file.oldName = percentDecoded(f[5]);
    file.temporary = percentDecoded(f[6]);
    file.newName = percentDecoded(f[7]);
    file.modeKnown = version >= 2;
    if (file.modeKnown && !numberOf(f[9], file.mode))
        return false;
    return numberOf(f[1], file.inode) && numberOf(f[2], file.size)
           && numberOf(f[3], file.mtimeSeconds) && numberOf(f[4], file.mtimeNanoseconds)
           && numberOf(f[8], file.attributes);
}

bool trusted(const JournalFile& file)
{
    return bareName(file.oldName) && (file.temporary.empty() || bareName(file.temporary))
           && (file.newName.empty() || bareName(file.newName));
}

bool readFolderId(std::string_view device, std::string_view inode, std::optional<FolderId>& out)
{
    FolderId id;
    if (!numberOf(device, id.device) || !numberOf(inode, id.inode))
        return false;
    out = id;
    return true;
}

// What a line of a journal is: one to act on, one that cannot be read (a
// damaged disk block), or one that names what the run could not have
// touched (a file outside its folders, a trash that is not the person's).
enum class LineRead : std::uint8_t
{
    Good,
    Unreadable,
    Untrusted,
};

LineRead readIf(bool readable, bool trustworthy = true)
{
    if (!readable)
        return LineRead::Unreadable;
    return trustworthy ? LineRead::Good : LineRead::Untrusted;
}

// The lines of the head, before the first file.
LineRead readHeadLine(const std::vector<std::string_view>& f, JournalRecord& out)
{
    const std::string_view word = f[0];
    if (word == "run" && f.size() == 2) {
        for (const JournalKind kind : {JournalKind::Rename, JournalKind::Move, JournalKind::Copy,
                                       JournalKind::TimeStamp, JournalKind::Attributes}) {
            if (f[1] == kindWord(kind)) {
                out.kind = kind;
                return LineRead::Good;
            }
        }
        return LineRead::Unreadable;
    }
    if (word == "stamp" && f.size() == 3)
        return readIf(numberOf(f[1], out.stamp.tv_sec) && numberOf(f[2], out.stamp.tv_nsec));
    if (word == "masks" && f.size() == 3)
        return readIf(numberOf(f[1], out.keepMask) && numberOf(f[2], out.setMask));
    if (word == "started" && f.size() == 2) {
        out.started = std::string(f[1]);
        return LineRead::Good;
    }
    if (word == "by" && f.size() == 2) {
        out.by = percentDecoded(f[1]);
        return LineRead::Good;
    }
    if ((word == "from" || word == "to") && f.size() == 2) {
        std::string& folder = word == "from" ? out.from : out.to;
        folder = percentDecoded(f[1]);
        return readIf(true, plainFolder(folder));
    }
    if (word == "folders" && f.size() == 5)
        return readIf(readFolderId(f[1], f[2], out.fromId) && readFolderId(f[3], f[4], out.toId));
    if (word == "settles" && f.size() == 3 && (f[2] == "back" || f[2] == "finish")) {
        out.settles = percentDecoded(f[1]);
        out.settlesBack = f[2] == "back";
        return readIf(true,
                      bareName(out.settles) && std::string_view(out.settles).ends_with(suffix));
    }
    return LineRead::Unreadable;
}

// The lines written while the run goes and after it.
LineRead readProgressLine(const std::vector<std::string_view>& f, JournalRecord& out)
{
    const std::string_view word = f[0];
    if (word == "trash" && f.size() == 5) {
        TrashedFile file{percentDecoded(f[1]), percentDecoded(f[2]), percentDecoded(f[3]),
                         percentDecoded(f[4])};
        const bool ours = (file.folder == out.from || file.folder == out.to) && bareName(file.name)
                          && ownTrash(file.trashFolder) && bareName(file.trashName);
        if (ours)
            out.trashed.push_back(std::move(file));
        return readIf(true, ours);
    }
    if (word == "arrived" && f.size() == 4) {
        Arrival arrival;
        std::string name = percentDecoded(f[1]);
        if (!numberOf(f[2], arrival.device) || !numberOf(f[3], arrival.inode))
            return LineRead::Unreadable;
        if (!bareName(name))
            return LineRead::Untrusted;
        out.arrivals[std::move(name)] = arrival;
        return LineRead::Good;
    }
    if (word == "finished" && f.size() == 1) {
        out.finished = true;
        return LineRead::Good;
    }
    if (word == "undone" && f.size() == 1) {
        out.undone = true;
        return LineRead::Good;
    }
    return LineRead::Unreadable;
}

// One line of a journal into out.
LineRead readLine(std::string_view line, int version, JournalRecord& out)
{
    const std::vector<std::string_view> f = fieldsOf(line);
    if (f[0] == "file" && !out.planned) {
        JournalFile file;
        if (!readFile(f, version, file, out.stamps))
            return LineRead::Unreadable;
        if (!trusted(file))
            return LineRead::Untrusted;
        out.files.push_back(std::move(file));
        return LineRead::Good;
    }
    if (f[0] == "planned" && f.size() == 2 && !out.planned) {
        std::size_t count = 0;
        if (!numberOf(f[1], count))
            return LineRead::Unreadable;
        // A damaged journal offers the files it could read.
        out.planned =
            out.damaged
            || (count == out.files.size() && (out.stamps.empty() || out.stamps.size() == count));
        return out.planned ? LineRead::Good : LineRead::Unreadable;
    }
    if (out.planned)
        return readProgressLine(f, out);
    return out.files.empty() ? readHeadLine(f, out) : LineRead::Unreadable;
}

// A run of a rename, move or copy names a new name for every file, in
// folders its head names.
bool wholeHead(const JournalRecord& record)
{
    if (record.from.empty() || record.to.empty())
        return false;
    if (record.kind == JournalKind::TimeStamp || record.kind == JournalKind::Attributes)
        return record.from == record.to;
    for (const JournalFile& file : record.files) {
        if (file.newName.empty())
            return false;
    }
    return true;
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
    m_settles = path.substr(path.rfind('/') + 1);
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
    m_pending.append(magic).append("\nrun ").append(kindWord(head.kind));
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
    if (head.kind == JournalKind::TimeStamp) {
        m_pending.append("stamp ").append(std::to_string(head.stamp.tv_sec)).append(" ");
        m_pending.append(std::to_string(head.stamp.tv_nsec)).append("\n");
    } else if (head.kind == JournalKind::Attributes) {
        m_pending.append("masks ").append(std::to_string(head.keepMask)).append(" ");
        m_pending.append(std::to_string(head.setMask)).append("\n");
    }
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

int readJournal(const std::string& path, JournalRecord& out)
{
    out = JournalRecord{};
    out.path = path;
    std::string text;
    if (int rc = readWholeFile(path, text))
        return rc;
    std::string_view rest(text);
    const std::size_t firstEnd = rest.find('\n');
    if (firstEnd == std::string_view::npos) {
        // Made, and killed before its first line was whole: it touched nothing.
        out.damaged = !magic.starts_with(rest);
        out.damagedLine = out.damaged ? 1 : 0;
        return 0;
    }
    const std::string_view first = rest.substr(0, firstEnd);
    int version = 0;
    if (!first.starts_with(magicPrefix) || !numberOf(first.substr(magicPrefix.size()), version)
        || version < 1 || version > 2) {
        out.damaged = true;
        out.damagedLine = 1;
        return 0;
    }
    rest.remove_prefix(firstEnd + 1);
    for (std::size_t line = 2; !rest.empty(); ++line) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos)
            break; // a line cut short by a crash
        const LineRead read = readLine(rest.substr(0, end), version, out);
        if (read != LineRead::Good && !out.damaged)
            out.damagedLine = line;
        out.damaged = out.damaged || read != LineRead::Good;
        out.untrusted = out.untrusted || read == LineRead::Untrusted;
        rest.remove_prefix(end + 1);
    }
    if (out.planned && !wholeHead(out)) {
        out.damaged = out.untrusted = true;
        out.damagedLine = out.damagedLine == 0 ? 1 : out.damagedLine;
    }
    return 0;
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
    FolderHandle folder(path.substr(0, path.rfind('/') + 1));
    const std::string name = path.substr(path.rfind('/') + 1);
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
