// The one report of every kind of run: its heading, its lines and its limit.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "RunReport.h"
#include "RunTypes.h"
#include "common/SampleNames.h"

using namespace torvel;

namespace {

RunResult failed(std::optional<JournalKind> kind, std::vector<FileFailure> failures)
{
    RunResult result;
    result.kind = kind;
    result.failures = std::move(failures);
    return result;
}

} // namespace

TEST(RunReport, EveryKindIsReportedInOneBoxWithItsOwnWords)
{
    struct Case
    {
        const char* name;
        RunResult result;
        std::string text;
    };
    const Case cases[] = {
        {"nothing failed, no box", failed(JournalKind::TimeStamp, {}), ""},
        {"a move: the target, the step and the system's reason",
         failed(JournalKind::Move, {{sjisPhoto, "x.jpg", {}, RunStep::Move, ENOSPC}}),
         "次の 1 個のファイルは変換できませんでした。\n"
         "\n写真.jpg → x.jpg：移動できませんでした（ディスクに空きがありません）"},
        {"a time stamp or attribute run: the name and the reason alone",
         failed(JournalKind::Attributes, {{"a.txt", {}, {}, RunStep::Change, ENOTSUP},
                                          {sjisPhoto, {}, {}, RunStep::Change, EACCES},
                                          {"b.txt", {}, {}, RunStep::Change, ERANGE}}),
         "次の 3 個のファイルは変更できませんでした。\n"
         "\na.txt：このドライブには属性を保存できません"
         "\n写真.jpg：ﾌｧｲﾙへのｱｸｾｽが拒否されました"
         "\nb.txt：1980年から2099年までの日付しか設定できません"},
        {"taking a time stamp run back says what taking a rename back says",
         failed(std::nullopt, {{"a.txt", {}, {}, RunStep::RestoreTimeStamp, EPERM}}),
         "次の 1 個のファイルは変換できませんでした。\n"
         "\na.txt：更新日時を元に戻せませんでした（"
             + failureReason(EPERM) + "）"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(failureReport(c.result), c.text) << c.name;

    EXPECT_EQ(failureReason(ENOENT), "ﾌｧｲﾙが見つかりません");
    EXPECT_EQ(failureReason(EIO), "I/O ｴﾗｰ (5)");
}

TEST(RunReport, ListsAtMostTwentyFilesThenCountsTheOthers)
{
    RunResult many;
    many.kind = JournalKind::TimeStamp;
    for (int i = 0; i < 1000; ++i)
        many.failures.push_back(
            {"f" + std::to_string(i) + ".txt", {}, {}, RunStep::Change, EACCES});
    const std::string text = failureReport(many);
    EXPECT_EQ(text.rfind("次の 1000 個のファイルは変更できませんでした。\n", 0), 0u);
    EXPECT_NE(text.find("\nf19.txt："), std::string::npos);
    EXPECT_EQ(text.find("\nf20.txt："), std::string::npos);
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), "ほかに 980 個のファイルがあります。");
}

// A run that could not start names the journal it refused, else says the
// system's reason alone.
TEST(RunReport, ARunThatCouldNotStartSaysWhy)
{
    const auto notStarted = [](int error, std::optional<RefusedJournal> journal) {
        RunResult result;
        result.error = error;
        result.refusedJournal = std::move(journal);
        return notStartedText(result);
    };
    const RefusedJournal journal{"/s/j.log", "/home/u/" + sjisPhotoBase + "/"};
    EXPECT_EQ(notStarted(ENOENT, std::nullopt), "ﾌｧｲﾙが見つかりません");
    EXPECT_EQ(notStarted(EBADMSG, journal),
              "実行の記録が壊れているか、実行したフォルダの外のファイルを指しているため、何も変更"
              "しませんでした。（実行の記録: /s/j.log）");
    EXPECT_EQ(notStarted(ESTALE, journal),
              "/home/u/写真/ は、実行したときのフォルダと別のフォルダになっているため、何も変更"
              "しませんでした。（実行の記録: /s/j.log）");
    EXPECT_EQ(
        notStarted(EACCES, journal),
        "/home/u/写真/ を開けないため、何も変更しませんでした。（ﾌｧｲﾙへのｱｸｾｽが拒否されました）"
        "（実行の記録: /s/j.log）");
}
