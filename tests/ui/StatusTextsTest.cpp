// The words the status line gives to the codes of the layers below it.
#include <gtest/gtest.h>

#include "StatusTexts.h"
#include "common/SampleNames.h"

using namespace torvel;

TEST(StatusTexts, RunStatusesAreWordedWithTheirNamesShownDecoded)
{
    EXPECT_EQ(StatusText::of(RunStatus{RunActivity::Preparing, {}, {}}),
              QStringLiteral("しばらくお待ちください。"));
    EXPECT_EQ(StatusText::of(RunStatus{RunActivity::Renaming, {}, {}}),
              QStringLiteral("ファイル名を変更しています。"));
    EXPECT_EQ(StatusText::of(RunStatus{RunActivity::Transferring, "photo.jpg", "TOR01.jpg"}),
              QStringLiteral("photo.jpg を TOR01.jpg に転送しています。"));
    EXPECT_EQ(StatusText::of(RunStatus{RunActivity::ChangingStamp, sjisPhoto, {}}),
              QStringLiteral("写真.jpg の 更新日時を変更しています。"));
    EXPECT_EQ(StatusText::of(RunStatus{RunActivity::ChangingAttrs, sjisTable, {}}),
              QStringLiteral("表.txt の 属性を変更しています。"));
}

TEST(StatusTexts, NameStatusesAndCounts)
{
    EXPECT_EQ(StatusText::of(NameStatus::Converting),
              QStringLiteral("ファイル名を変換中。しばらくお待ちください。"));
    EXPECT_EQ(StatusText::of(NameStatus::NumberTooLong),
              QStringLiteral("【注意】連番が指定桁数を超えています。"));
    EXPECT_EQ(StatusText::of(NameStatus::UnusableCharacter),
              QStringLiteral("【注意】 識別名にファイル名に使えない文字が含まれています。"));
    EXPECT_EQ(StatusText::of(NameStatus::NameTooLong),
              QStringLiteral("【注意】変換後のファイル名が長すぎます。"));
    EXPECT_EQ(StatusText::readingFiles(),
              QStringLiteral("ファイルを読込んでいます。しばらくお待ちください。"));
    EXPECT_EQ(StatusText::converted(4), QStringLiteral("4個のファイルを変換しました。"));
}
