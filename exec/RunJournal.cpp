#include "RunJournal.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileInfo.h"
#include "PosixFileOps.h"
#include "UniqueFd.h"
#include "ByteText.h"

namespace torvel {

namespace {

constexpr std::string_view magic = "torvel-journal 1";
constexpr std::string_view suffix = ".journal";

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

enum class TimeForm : std::uint8_t
{
    FileName, // YYYYMMDD-hhmmss: journals sort by their names
    Record,   // YYYY-MM-DDThh:mm:ss
};

std::string localNow(TimeForm form)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    if (form == TimeForm::FileName)
        std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    else
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

bool readFile(const std::vector<std::string_view>& f, JournalFile& file,
              std::vector<timespec>& stamps)
{
    if (f.size() == 11) { // with the file's own time stamp
        timespec stamp{};
        if (!numberOf(f[9], stamp.tv_sec) || !numberOf(f[10], stamp.tv_nsec))
            return false;
        stamps.push_back(stamp);
    } else if (f.size() != 9) {
        return false;
    }
    file.oldName = percentDecoded(f[5]);
    file.temporary = percentDecoded(f[6]);
    file.newName = percentDecoded(f[7]);
    return numberOf(f[1], file.inode) && numberOf(f[2], file.size)
           && numberOf(f[3], file.mtimeSeconds) && numberOf(f[4], file.mtimeNanoseconds)
           && numberOf(f[8], file.attributes);
}

// One line of a journal into out; false for a line that is not one.
bool readLine(std::string_view line, JournalRecord& out)
{
    const std::vector<std::string_view> f = fieldsOf(line);
    const std::string_view word = f[0];
    if (word == "file") {
        JournalFile file;
        if (!readFile(f, file, out.stamps))
            return false;
        out.files.push_back(std::move(file));
    } else if (word == "run" && f.size() == 2) {
        for (const JournalKind kind : {JournalKind::Rename, JournalKind::Move, JournalKind::Copy,
                                       JournalKind::TimeStamp, JournalKind::Attributes}) {
            if (f[1] == kindWord(kind))
                out.kind = kind;
        }
    } else if (word == "stamp" && f.size() == 3) {
        return numberOf(f[1], out.stamp.tv_sec) && numberOf(f[2], out.stamp.tv_nsec);
    } else if (word == "masks" && f.size() == 3) {
        return numberOf(f[1], out.keepMask) && numberOf(f[2], out.setMask);
    } else if (word == "started" && f.size() == 2) {
        out.started = std::string(f[1]);
    } else if (word == "from" && f.size() == 2) {
        out.from = percentDecoded(f[1]);
    } else if (word == "to" && f.size() == 2) {
        out.to = percentDecoded(f[1]);
    } else if (word == "planned" && f.size() == 2) {
        std::size_t count = 0;
        out.planned = numberOf(f[1], count) && count == out.files.size()
                      && (out.stamps.empty() || out.stamps.size() == count);
    } else if (word == "trash" && f.size() == 5) {
        out.trashed.push_back({percentDecoded(f[1]), percentDecoded(f[2]), percentDecoded(f[3]),
                               percentDecoded(f[4])});
    } else if (word == "finished") {
        out.finished = true;
    } else if (word == "undone") {
        out.undone = true;
    } else {
        return false;
    }
    return true;
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

int RunJournal::open(const JournalRecord& head)
{
    if (int rc = makeFolders(m_folder, 0700))
        return rc;
    static std::atomic<unsigned> counter{0};
    const std::string name = localNow(TimeForm::FileName) + "-" + std::to_string(::getpid()) + "-"
                             + std::to_string(counter++) + std::string(suffix);
    if (int rc = m_file.create(m_folder, name))
        return rc;
    m_path = m_folder + name;
    m_files = 0;
    m_pending.clear();
    m_pending.append(magic).append("\nrun ").append(kindWord(head.kind));
    m_pending.append("\nstarted ").append(localNow(TimeForm::Record));
    m_pending.append("\nfrom ").append(encoded(head.from));
    m_pending.append("\nto ").append(encoded(head.to)).append("\n");
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
    text.append(std::to_string(file.attributes));
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
    text.append(encoded(newName)).append(" 0\n");
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
    if (!rest.starts_with(magic))
        return 0; // not planned: not a journal of a run that touched anything
    rest.remove_prefix(std::min(rest.size(), magic.size() + 1));
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos)
            break; // a line cut short by a crash
        const bool known = readLine(rest.substr(0, end), out);
        rest.remove_prefix(end + 1);
        if (!known && !out.planned)
            return 0;
    }
    return 0;
}

namespace {

int appendLine(const std::string& path, std::string_view line)
{
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

void pruneJournals(const std::string& folder, std::size_t keep)
{
    std::vector<std::string> paths = journalPaths(folder);
    if (paths.size() <= keep)
        return;
    paths.resize(paths.size() - keep);
    for (const std::string& path : paths) {
        // A run that never came to its end is kept until it is dealt with.
        if (journalEnd(path) != JournalEnd::Open)
            (void)::unlink(path.c_str()); // an old journal left over is harmless
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
