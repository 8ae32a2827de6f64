#pragma once

// The folder the program was started in, by a path that leads back to it.

#include <string>

namespace torvel {

struct WorkingFolder
{
    std::string path; // absolute, ends in "/"; empty when the folder has no such path
    int error = 0;    // why it has none: an errno value
};

// Opens "." once and names it. The name is taken only when it opens to the
// very folder of that handle (device and inode), so a folder that was removed,
// one outside the root, or one whose path is too long to open has no name.
// There is no stand-in: a relative path with no folder to start from names
// nothing, and must never be taken from the root.
WorkingFolder currentWorkingFolder();

} // namespace torvel
