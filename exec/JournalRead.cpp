// Reading a run's journal back, and telling whether it can be trusted: a
// journal names the files undo will rename, so it may name nothing but
// files in the folders of its own head.
#include "RunJournal.h"

#include <string>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "ByteText.h"
#include "DurableFile.h"
#include "JournalFormat.h"
#include "Trash.h"
#include "UniqueFd.h"

namespace torvel {

namespace {

using namespace journal;

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
        const RunKind* kind = runKindOfWord(f[1]);
        if (kind != nullptr)
            out.kind = kind->id;
        return readIf(kind != nullptr);
    }
    if (const RunKind& kind = runKind(out.kind); kind.readHead != nullptr) {
        if (const HeadLine line = kind.readHead(f, out); line != HeadLine::Other)
            return readIf(line == HeadLine::Read);
    }
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

// A run whose files get new names names one for every file; one whose
// files stay where they are has one folder. Both in folders its head names.
bool wholeHead(const JournalRecord& record)
{
    if (record.from.empty() || record.to.empty())
        return false;
    if (runKind(record.kind).perFile != nullptr)
        return record.from == record.to;
    for (const JournalFile& file : record.files) {
        if (file.newName.empty())
            return false;
    }
    return true;
}

} // namespace

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

bool settlesAnother(const std::string& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    char head[4096];
    const ssize_t n = fd.isOpen() ? ::pread(fd.get(), head, sizeof head, 0) : -1;
    const std::string_view text(head, n > 0 ? static_cast<std::size_t>(n) : 0);
    const std::size_t settles = text.find("\nsettles ");
    return settles != std::string_view::npos && settles < text.find("\nfile ");
}

} // namespace torvel
