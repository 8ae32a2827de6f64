#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "RunTypes.h"
#include "PerFileRunSupport.h"
#include "common/SampleNames.h"

using namespace torvel;

TEST(ChangeReport, OneBoxListsTheFirstFilesWithTheirReasonsAndCountsTheRest)
{
    EXPECT_EQ(changeFailureReport(ChangeResult{5, {}}), "") << "nothing failed, no box";

    EXPECT_EQ(changeFailureReport(
                  ChangeResult{1, {{"a.txt", ENOTSUP}, {sjisPhoto, EACCES}, {"b.txt", ERANGE}}}),
              "次の 3 個のファイルは変更できませんでした。\n"
              "\na.txt：このドライブには属性を保存できません"
              "\n写真.jpg：ﾌｧｲﾙへのｱｸｾｽが拒否されました"
              "\nb.txt：1980年から2099年までの日付しか設定できません");

    ChangeResult many;
    for (int i = 0; i < 1000; ++i)
        many.failures.push_back({"f" + std::to_string(i) + ".txt", ENOTSUP});
    const std::string text = changeFailureReport(many);
    EXPECT_EQ(text.rfind("次の 1000 個のファイルは変更できませんでした。\n", 0), 0u);
    EXPECT_NE(text.find("\nf19.txt："), std::string::npos);
    EXPECT_EQ(text.find("\nf20.txt："), std::string::npos);
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), "ほかに 980 個のファイルがあります。");
}
