#include <cerrno>
#include <cstdio>

#include "RunTestSupport.h"
#include "TrashOperation.h"
#include "common/FaultyFileSystem.h"

using namespace torvel;

namespace {

using Answer = RunFeedback::TrashAnswer;
using Names = std::vector<std::string>;
using Result = FileOpOutcome::Result;

class TrashOperationTest : public RunTest
{
protected:
    // Offers the file name of the source folder to the trash as a run does:
    // through the opened folder, for the entry the name held when asked.
    Result offer(TFileOperation& operation, const std::string& name, bool* cancelled = nullptr)
    {
        FolderHandle dir;
        EntryId asked;
        EXPECT_EQ(real.openFolder(src.path(), dir), 0);
        EXPECT_EQ(real.probe(dir, name, asked), 0);
        const bool aborted = operation.Delete(dir, name, asked);
        if (cancelled != nullptr)
            *cancelled = aborted;
        EXPECT_EQ(operation.lastOutcomes().size(), 1u);
        return operation.lastOutcomes().empty() ? Result::Failed
                                                : operation.lastOutcomes()[0].result;
    }
};

TEST_F(TrashOperationTest, AsksThenSendsToTheTrash)
{
    const std::string name = "a file with blanks " + sjisPhoto;
    src.write(name, "x");
    TFileOperation operation(real, &feedback);
    feedback.answers = {Answer::Yes};

    EXPECT_EQ(offer(operation, name), Result::Done);
    EXPECT_EQ(feedback.asked, Names{src / name}); // one name, blanks and all
    EXPECT_FALSE(src.has(name));
    EXPECT_EQ(trashed(), Names{name});
}

TEST_F(TrashOperationTest, YesToAllAsksNoMoreUntilTheNextRun)
{
    writeAll(src, {"a", "b", "c", "d"});
    TFileOperation operation(real, &feedback);
    feedback.answers = {Answer::YesToAll, Answer::No};

    for (const char* name : {"a", "b", "c"})
        EXPECT_EQ(offer(operation, name), Result::Done) << name;
    EXPECT_EQ(feedback.asked.size(), 1u);
    EXPECT_EQ(src.names(), Names{"d"});

    operation.beginRun();
    EXPECT_EQ(offer(operation, "d"), Result::Declined);
    EXPECT_EQ(feedback.asked.size(), 2u);
    EXPECT_EQ(src.names(), Names{"d"});
}

TEST_F(TrashOperationTest, AfterCancelNothingMoreIsAskedUntilTheNextRun)
{
    writeAll(src, {"a", "b", "c"});
    TFileOperation operation(real, &feedback);
    feedback.answers = {Answer::Cancel, Answer::Yes, Answer::Yes};

    bool cancelled = false;
    EXPECT_EQ(offer(operation, "a", &cancelled), Result::Cancelled);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(offer(operation, "b", &cancelled), Result::Cancelled);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(feedback.asked, Names{src / "a"}); // b is not asked about
    EXPECT_EQ(src.names(), (Names{"a", "b", "c"}));
    EXPECT_TRUE(trashed().empty());

    operation.beginRun();
    EXPECT_EQ(offer(operation, "c", &cancelled), Result::Done);
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(feedback.asked.size(), 2u);
    EXPECT_EQ(src.names(), (Names{"a", "b"}));
}

TEST_F(TrashOperationTest, TrashesFromTheOpenedFolderEvenWhenItsPathNamesAnotherNow)
{
    src.makeFolder("work");
    src.write("work/" + sjisPhoto, "ours");
    FolderHandle dir;
    ASSERT_EQ(real.openFolder(src / "work/", dir), 0);
    ASSERT_EQ(::rename((src / "work").c_str(), (src / "moved").c_str()), 0);
    src.makeFolder("work");
    src.write("work/" + sjisPhoto, "someone else's");
    TFileOperation operation(real, &feedback);
    feedback.answers = {Answer::Yes};
    EntryId asked;
    ASSERT_EQ(real.probe(dir, sjisPhoto, asked), 0);

    EXPECT_FALSE(operation.Delete(dir, sjisPhoto, asked));
    EXPECT_EQ(feedback.asked,
              Names{src / ("work/" + sjisPhoto)}); // the path as the person knows it
    EXPECT_TRUE(src.names("moved").empty());
    EXPECT_EQ(src.read("work/" + sjisPhoto), "someone else's");
    EXPECT_EQ(data.read("Trash/files/" + sjisPhoto), "ours");
}

TEST_F(TrashOperationTest, NobodyToAskOrATrashThatRefusesLeavesTheFile)
{
    src.write("a", "x");
    TFileOperation unasked(real, nullptr);
    EXPECT_EQ(offer(unasked, "a"), Result::Declined);
    EXPECT_TRUE(src.has("a"));

    FaultyFileSystem fs(real);
    fs.fail(FsCall::Trash, EACCES);
    TFileOperation refused(fs, &feedback);
    feedback.answers = {Answer::Yes};
    EXPECT_EQ(offer(refused, "a"), Result::Failed);
    EXPECT_EQ(refused.lastOutcomes()[0].error, EACCES);
    EXPECT_TRUE(src.has("a"));
}

} // namespace
