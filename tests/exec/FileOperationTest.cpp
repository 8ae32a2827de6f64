#include <cerrno>
#include <cstdio>

#include "NewCtrls.h"
#include "RunTestSupport.h"
#include "common/FaultyFileSystem.h"

using namespace torvel;

namespace {

using Answer = RunFeedback::TrashAnswer;
using Names = std::vector<std::string>;
using Result = FileOpOutcome::Result;

TEST(FileOpFlagsTest, DefaultsAndTheFlagTable)
{
    PosixFileSystem fs;
    TFileOperation operation(fs);
    EXPECT_EQ(operation.Options.bits(), 192);
    EXPECT_EQ(shellFlags(operation.Options), 0x0040 | 0x0080);

    const std::pair<TFileOpFlag, std::uint16_t> table[] = {
        {TFileOpFlag::fofMultiDestFiles, 0x0001}, {TFileOpFlag::fofConfirmMouse, 0x0002},
        {TFileOpFlag::fofSilent, 0x0004},         {TFileOpFlag::fofRenameOnCollision, 0x0008},
        {TFileOpFlag::fofNoConfirmation, 0x0010}, {TFileOpFlag::fofAllowUndo, 0x0040},
        {TFileOpFlag::fofFilesOnly, 0x0080},      {TFileOpFlag::fofSimpleProgress, 0x0100},
        {TFileOpFlag::fofNoConfirmMkdir, 0x0200}, {TFileOpFlag::fofNoErrorUI, 0x0400},
    };
    for (auto [flag, bit] : table)
        EXPECT_EQ(shellFlags(TFileOpFlags{flag}), bit) << static_cast<int>(flag);

    TFileOpFlags withMapping = TFileOperation::defaultOptions;
    withMapping.insert(TFileOpFlag::fofWantMappingHandle);
    EXPECT_TRUE(withMapping.contains(TFileOpFlag::fofWantMappingHandle));
    EXPECT_EQ(shellFlags(withMapping), shellFlags(TFileOperation::defaultOptions));
}

class FileOperationTest : public RunTest
{};

TEST_F(FileOperationTest, DeleteAsksThenSendsToTheTrash)
{
    const std::string name = "a file with blanks " + sjisPhoto;
    src.write(name, "x");
    TFileOperation operation(real, &feedback);
    feedback.answers = {Answer::Yes};

    EXPECT_FALSE(operation.Delete(src / name));
    EXPECT_EQ(feedback.asked, Names{src / name}); // one name, blanks and all
    EXPECT_FALSE(src.has(name));
    EXPECT_EQ(trashed(), Names{name});
    ASSERT_EQ(operation.lastOutcomes().size(), 1u);
    EXPECT_EQ(operation.lastOutcomes()[0].result, Result::Done);
}

TEST_F(FileOperationTest, YesToAllAsksNoMoreUntilTheNextRun)
{
    writeAll(src, {"a", "b", "c", "d"});
    TFileOperation operation(real, &feedback);
    feedback.answers = {Answer::YesToAll, Answer::No};

    EXPECT_FALSE(operation.Delete(src / "a"));
    EXPECT_FALSE(operation.Delete(src / "b"));
    EXPECT_FALSE(operation.Delete(src / "c"));
    EXPECT_EQ(feedback.asked.size(), 1u);
    EXPECT_EQ(src.names(), Names{"d"});

    operation.beginRun();
    EXPECT_FALSE(operation.Delete(src / "d"));
    EXPECT_EQ(feedback.asked.size(), 2u);
    EXPECT_EQ(src.names(), Names{"d"});
    EXPECT_EQ(operation.lastOutcomes()[0].result, Result::Declined);
}

TEST_F(FileOperationTest, CancelIsTheAbortedFlagAndEndsTheOperation)
{
    writeAll(src, {"a", "b"});
    TFileOperation operation(real, &feedback);
    feedback.answers = {Answer::Cancel, Answer::Yes};

    EXPECT_TRUE(operation.Execute(foDelete, {src / "a", src / "b"}, {}));
    EXPECT_EQ(feedback.asked.size(), 1u); // b is not asked about
    EXPECT_EQ(src.names(), (Names{"a", "b"}));
    ASSERT_EQ(operation.lastOutcomes().size(), 2u);
    EXPECT_EQ(operation.lastOutcomes()[1].result, Result::Cancelled);
    EXPECT_TRUE(trashed().empty());
}

TEST_F(FileOperationTest, AfterCancelNothingMoreIsAskedUntilTheNextRun)
{
    writeAll(src, {"a", "b", "c"});
    TFileOperation operation(real, &feedback);
    feedback.answers = {Answer::Cancel, Answer::Yes, Answer::Yes};

    EXPECT_TRUE(operation.Delete(src / "a"));
    EXPECT_TRUE(operation.Delete(src / "b"));
    EXPECT_EQ(operation.lastOutcomes()[0].result, Result::Cancelled);
    EXPECT_EQ(feedback.asked, Names{src / "a"});
    EXPECT_EQ(src.names(), (Names{"a", "b", "c"}));

    operation.beginRun();
    EXPECT_FALSE(operation.Delete(src / "c"));
    EXPECT_EQ(feedback.asked.size(), 2u);
    EXPECT_EQ(src.names(), (Names{"a", "b"}));
}

TEST_F(FileOperationTest, DeleteInAnOpenFolderTrashesFromThatFolder)
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

TEST_F(FileOperationTest, NoConfirmationAndNobodyToAsk)
{
    writeAll(src, {"a", "b"});
    {
        TFileOperation operation(real, nullptr);
        EXPECT_FALSE(operation.Delete(src / "a"));
        EXPECT_EQ(operation.lastOutcomes()[0].result, Result::Declined);
        EXPECT_TRUE(src.has("a"));
    }
    {
        TFileOperation operation(real, &feedback);
        operation.Options.insert(TFileOpFlag::fofNoConfirmation);
        EXPECT_FALSE(operation.Delete(src / "b"));
        EXPECT_TRUE(feedback.asked.empty());
        EXPECT_FALSE(src.has("b"));
    }
}

TEST_F(FileOperationTest, ATrashThatRefusesAndCodesNotCarriedOut)
{
    src.write("a", "x");
    FaultyFileSystem fs(real);
    fs.fail(FsCall::Trash, EACCES);
    TFileOperation operation(fs, &feedback);
    feedback.answers = {Answer::Yes};

    EXPECT_FALSE(operation.Delete(src / "a"));
    EXPECT_EQ(operation.lastOutcomes()[0].result, Result::Failed);
    EXPECT_EQ(operation.lastOutcomes()[0].error, EACCES);
    EXPECT_TRUE(src.has("a"));

    EXPECT_FALSE(operation.Execute(foMove, {src / "a"}, {dst / "a"}));
    EXPECT_EQ(operation.lastOutcomes()[0].result, Result::Unsupported);
    EXPECT_TRUE(src.has("a"));
}

} // namespace
