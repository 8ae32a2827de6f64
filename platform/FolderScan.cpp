#include "FolderScan.h"

#include "ByteText.h"
#include "FileAttributes.h"
#include "FolderHandle.h"
#include "UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <system_error>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvel {

namespace {

enum class EntryKind
{
    File,
    NotAFile,
    Unreadable
};

EntryKind kindOfMode(mode_t mode)
{
    return S_ISREG(mode) ? EntryKind::File : EntryKind::NotAFile;
}

// What the entry is, from the listing where it tells, else from the entry
// itself. A link is judged by what it points to; one that points nowhere is
// a name in the folder like a file.
EntryKind kindOf(int folderFd, const dirent& entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
    case DT_FIFO:
    case DT_SOCK:
    case DT_CHR:
    case DT_BLK:
        return EntryKind::NotAFile;
    default:
        break;
    }
    struct stat st
    {};
    if (fstatat(folderFd, entry.d_name, &st, 0) == 0)
        return kindOfMode(st.st_mode);
    if (errno == ENOENT && fstatat(folderFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return S_ISLNK(st.st_mode) ? EntryKind::File : kindOfMode(st.st_mode);
    return EntryKind::Unreadable;
}

bool marksSystem(const StoredDosAttrib& stored)
{
    return stored.valid && (stored.attributes & (FileAttr::System | FileAttr::VolumeLabel)) != 0;
}

// Files read from the folder in a run, whether each is marked system, and
// when asked for what a look at each told.
struct Batch
{
    std::vector<std::string> names;
    std::vector<char> marks;
    std::vector<ScannedFile> files;

    void mark(const FolderHandle& folder, bool look)
    {
        marks.resize(names.size());
        if (!look) {
            for (std::size_t i = 0; i < names.size(); ++i)
                marks[i] = marksSystem(readDosAttrib(folder, names[i])) ? 1 : 0;
            return;
        }
        // The stat goes with the attribute read: the list read after a drop
        // then needs no look of its own at any file.
        files.resize(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            StoredDosAttrib stored;
            files[i].error = readFileFacts(folder, names[i], files[i].info, stored);
            marks[i] = marksSystem(stored) ? 1 : 0;
        }
    }
};

constexpr std::size_t kBatchSize = 8192;

// Reading a file's stored attributes (and its stat, when asked for) are
// system calls that wait on the kernel and need nothing else. In a large
// folder each full batch is marked on a helper thread while the folder is
// read on, with no more helpers at a time than there are cores. A helper
// touches only its own batch.
class BatchMarker
{
public:
    BatchMarker(const FolderHandle& folder, bool look)
        : m_folder(folder)
        , m_look(look)
        , m_limit(std::max(1U, std::thread::hardware_concurrency()))
    {}
    ~BatchMarker() { finish(); }
    BatchMarker(const BatchMarker&) = delete;
    BatchMarker& operator=(const BatchMarker&) = delete;

    // The batch must stay where it is until finish().
    void hand(Batch& batch)
    {
        if (m_running.size() >= m_limit) {
            m_running.front().join();
            m_running.pop_front();
        }
        try {
            m_running.emplace_back([this, &batch] { batch.mark(m_folder, m_look); });
        } catch (const std::system_error&) {
            batch.mark(m_folder, m_look); // no thread to be had: marked here
        }
    }

    void finish()
    {
        for (std::thread& helper : m_running)
            helper.join();
        m_running.clear();
    }

private:
    const FolderHandle& m_folder;
    bool m_look;
    std::size_t m_limit;
    std::deque<std::thread> m_running;
};

} // namespace

int scanFolderFiles(const std::string& folderPath, std::vector<std::string>& names,
                    FolderScanFacts* facts)
{
    const std::string path = withTrailingSlash(folderPath);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen())
        return errno;
    // A second descriptor of the same folder for the attribute lookups.
    UniqueFd lookupFd(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0));
    if (!lookupFd.isOpen())
        return errno;
    const FolderHandle folder(std::move(lookupFd), path);
    struct stat folderStat
    {};
    if (facts != nullptr && ::fstat(fd.get(), &folderStat) != 0)
        return errno;
    const DirStream dir = openDirStream(std::move(fd));
    if (!dir)
        return errno;
    // A deque keeps each batch in place while the next ones are added.
    std::deque<Batch> batches(1);
    const bool look = facts != nullptr;
    BatchMarker marker(folder, look);
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (entry == nullptr) {
            error = errno;
            break;
        }
        const std::string_view bare(entry->d_name);
        if (isDotOrDotDot(bare) || kindOf(folder.fd(), *entry) != EntryKind::File)
            continue;
        batches.back().names.emplace_back(bare);
        if (batches.back().names.size() == kBatchSize) {
            marker.hand(batches.back());
            batches.emplace_back();
        }
    }
    batches.back().mark(folder, look);
    marker.finish();
    if (look) {
        *facts = FolderScanFacts{folderStat.st_dev, folderStat.st_ino, {}};
        facts->files.reserve((batches.size() - 1) * kBatchSize + batches.back().names.size());
    }
    for (Batch& batch : batches) {
        for (std::size_t i = 0; i < batch.names.size(); ++i) {
            if (batch.marks[i] != 0)
                continue;
            names.push_back(std::move(batch.names[i]));
            if (look)
                facts->files.push_back(std::move(batch.files[i]));
        }
    }
    return error;
}

} // namespace torvel
