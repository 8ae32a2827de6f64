#include "WorkingFolder.h"

#include "ByteText.h"
#include "UniqueFd.h"

#include <cerrno>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvel {

WorkingFolder currentWorkingFolder()
{
    // O_PATH: a folder that may be entered but not listed is still a folder
    // to work in.
    const UniqueFd here(::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat opened
    {};
    if (!here.isOpen() || ::fstat(here.get(), &opened) != 0)
        return {{}, errno};
    const std::unique_ptr<char, decltype(&std::free)> name(::getcwd(nullptr, 0), &std::free);
    if (name == nullptr)
        return {{}, errno};
    if (name.get()[0] != '/')
        return {{}, ENOENT};
    // The name is looked up anew: a path longer than the system opens fails
    // here even when the C library could spell it out.
    struct stat named
    {};
    if (::stat(name.get(), &named) != 0)
        return {{}, errno};
    if (named.st_dev != opened.st_dev || named.st_ino != opened.st_ino)
        return {{}, ENOENT};
    return {withTrailingSlash(name.get()), 0};
}

} // namespace torvel
