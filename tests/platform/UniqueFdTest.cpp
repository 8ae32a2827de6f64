#include "UniqueFd.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <fcntl.h>

namespace torvel {
namespace {

bool isOpenDescriptor(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

TEST(UniqueFd, ClosesWhatItHoldsExactlyOnce)
{
    int raw = -1;
    {
        const UniqueFd fd(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ASSERT_TRUE(fd.isOpen());
        raw = fd.get();
        EXPECT_TRUE(isOpenDescriptor(raw));
    }
    EXPECT_FALSE(isOpenDescriptor(raw)) << "closed when it goes";

    UniqueFd first(::open("/", O_RDONLY | O_CLOEXEC));
    UniqueFd second(::open("/", O_RDONLY | O_CLOEXEC));
    const int firstRaw = first.get();
    const int secondRaw = second.get();
    second = std::move(first);
    EXPECT_FALSE(isOpenDescriptor(secondRaw)) << "a move into it closes what it held";
    EXPECT_EQ(second.get(), firstRaw);
    EXPECT_FALSE(first.isOpen());

    const int kept = second.release();
    EXPECT_FALSE(second.isOpen());
    EXPECT_TRUE(isOpenDescriptor(kept)) << "a released descriptor stays open";
    EXPECT_EQ(UniqueFd(kept).close(), 0);
    EXPECT_FALSE(isOpenDescriptor(kept));
    EXPECT_EQ(UniqueFd().close(), 0) << "nothing held, nothing to fail";
}

TEST(UniqueFd, QuietCloseKeepsTheErrorBeingReported)
{
    UniqueFd fd(::open("/", O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(fd.isOpen());
    errno = ENOSPC;
    fd.reset();
    EXPECT_EQ(errno, ENOSPC);
}

TEST(UniqueFd, ListingTakesTheDescriptorOver)
{
    UniqueFd folder(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const int raw = folder.get();
    {
        const DirStream listing = openDirStream(std::move(folder));
        ASSERT_TRUE(listing);
        EXPECT_EQ(::dirfd(listing.get()), raw);
    }
    EXPECT_FALSE(isOpenDescriptor(raw)) << "closed with the listing";

    UniqueFd file(::open("/proc/self/exe", O_RDONLY | O_CLOEXEC));
    const int fileRaw = file.get();
    ASSERT_TRUE(file.isOpen());
    EXPECT_FALSE(openDirStream(std::move(file)));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(isOpenDescriptor(fileRaw)) << "closed when no listing can be made";
    EXPECT_FALSE(openDirStream(UniqueFd()));
}

} // namespace
} // namespace torvel
