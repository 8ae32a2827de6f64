// The preview grid's cells on their own: what the run reads, what the person
// sees, and the model's consistency under every kind of rewrite.
#include <QAbstractItemModelTester>
#include <QLocale>
#include <QSignalSpy>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DosDateTime.h"
#include "FilesList.h"
#include "PreviewGrid.h"

namespace torvel {
namespace {

std::int64_t localInstant(int year, int month, int day, int hour, int minute, int second)
{
    std::int64_t seconds = 0;
    EXPECT_TRUE(
        instantFromLocal(LocalDateTime{year, month, day, hour, minute, second, 0}, seconds));
    return seconds;
}

std::int32_t packed(int year, int month, int day, int hour, int minute, int second)
{
    return static_cast<std::int32_t>(
        packDosDateTime(LocalDateTime{year, month, day, hour, minute, second, 0}));
}

// Collects what the model tester complains about.
class ModelWarnings
{
public:
    ModelWarnings()
    {
        s_seen.clear();
        s_previous = qInstallMessageHandler(&collect);
    }
    ~ModelWarnings() { qInstallMessageHandler(s_previous); }
    const QStringList& seen() const { return s_seen; }

private:
    static void collect(QtMsgType type, const QMessageLogContext&, const QString& text)
    {
        if (type != QtDebugMsg) {
            s_seen << text;
        }
    }
    static inline QStringList s_seen;
    static inline QtMessageHandler s_previous = nullptr;
};

QString shown(const PreviewGrid& grid, int row, int column)
{
    return grid.data(grid.index(row, column)).toString();
}

TEST(PreviewGrid, StaysAConsistentModelThroughEveryKindOfRewrite)
{
    ModelWarnings warnings;
    PreviewGrid grid;
    QAbstractItemModelTester tester(&grid, QAbstractItemModelTester::FailureReportingMode::Warning);
    grid.setHeader(0, QStringLiteral("   変換前ファイル"));
    grid.setHeader(1, QStringLiteral("   変換後ファイル"));

    TMyFileList list("");
    list.addItem("b.txt", 10, localInstant(2001, 5, 6, 7, 8, 10), 0x20);
    list.addItem("a.txt", 20, localInstant(2002, 5, 6, 7, 8, 10), 0x21);
    list.addItem("c.txt", 30, localInstant(2003, 5, 6, 7, 8, 10), 0x22);
    list.SetSortType(SortOrder::NameUp);
    list.SetNewName(0, "X01.txt");
    list.SetNewName(1, "X02.txt");
    list.SetNewName(2, "X03.txt");

    grid.setRowCount(list.Count() + 1);
    grid.writeNames(list, true);
    grid.writeNames(list, false);
    grid.writeTimeStamps(list);
    grid.writeAttributes(list);
    grid.setCell(1, 2, "typed");
    grid.setCell(0, 1, std::string());
    grid.setRowCount(2);
    grid.setRowCount(5);
    grid.setHeader(1, QStringLiteral("         属性"));
    list.DeleteItem(0);
    grid.writeNames(list, true);

    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(grid.RowCount(), 3);
}

TEST(PreviewGrid, RunReadsBytesWhileThePersonSeesText)
{
    PreviewGrid grid;
    grid.setHeader(0, QStringLiteral("   変換前ファイル"));
    TMyFileList list("");
    const std::string shiftJis = "\x83\x65\x83\x58\x83\x67.txt"; // "テスト.txt" in Shift-JIS
    list.addItem(shiftJis, 1, localInstant(2010, 1, 1, 12, 0, 0), 0x20);
    list.SetNewName(0, "CHGN01.txt");
    grid.setRowCount(2);
    grid.writeNames(list, true);

    EXPECT_EQ(grid.cell(0, 1), shiftJis);
    EXPECT_EQ(grid.currentName(1), shiftJis);
    EXPECT_EQ(shown(grid, 0, 0), QStringLiteral("テスト.txt"));
    EXPECT_EQ(grid.cell(1, 1), "CHGN01.txt");
    EXPECT_EQ(grid.cell(0, 0), "   変換前ファイル") << "row 0 is the header";
    EXPECT_EQ(grid.cell(0, 2), "") << "outside the grid";
    EXPECT_EQ(grid.cell(2, 1), "");

    const std::vector<RunRow> rows = grid.rows();
    ASSERT_EQ(rows.size(), 1U);
    EXPECT_EQ(rows[0].current, shiftJis);
    EXPECT_EQ(rows[0].newName, "CHGN01.txt");
}

TEST(PreviewGrid, OtherPagesTextsAreNeitherNewNamesNorAnEmptyColumn)
{
    PreviewGrid grid;
    TMyFileList list("");
    list.addItem("a.txt", 1, localInstant(1999, 12, 31, 23, 59, 58), 0x20);
    list.addItem("b.txt", 1, 0, 0x20); // 1970: no packed time stamp
    list.SetSortType(SortOrder::NameUp);
    grid.setRowCount(3);
    grid.writeTimeStamps(list);

    EXPECT_FALSE(grid.newNamesCleared()) << "a redraw of the rename page must rewrite these rows";
    EXPECT_EQ(grid.cell(1, 1), previewTimeText(list.GetFileTime(0), QLocale()).toStdString());
    EXPECT_EQ(grid.cell(1, 2), "") << "a time stamp before 1980 has no text";
    for (const RunRow& row : grid.rows()) {
        EXPECT_EQ(row.newName, "") << "the run never takes a page text for a name";
    }

    grid.writeAttributes(list);
    EXPECT_EQ(shown(grid, 0, 1), QStringLiteral("書可      アーカイブ"));
    EXPECT_FALSE(grid.newNamesCleared());

    grid.writeNames(list, false);
    EXPECT_TRUE(grid.newNamesCleared());
    EXPECT_EQ(grid.cell(1, 1), "");
}

TEST(PreviewGrid, WritingTheSameCellsAgainTellsTheViewNothing)
{
    PreviewGrid grid;
    TMyFileList list("");
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        list.addItem(name, 1, localInstant(2010, 1, 1, 12, 0, 0), 0x20);
    }
    list.SetSortType(SortOrder::NameUp);
    grid.setRowCount(4);
    grid.writeNames(list, false);

    QSignalSpy changes(&grid, &QAbstractItemModel::dataChanged);
    QSignalSpy resets(&grid, &QAbstractItemModel::modelReset);
    grid.writeNames(list, false);
    EXPECT_EQ(changes.count(), 0);

    list.SetSortType(SortOrder::NameDown);
    grid.writeNames(list, false);
    EXPECT_EQ(changes.count(), 1) << "a new order is a change";
    EXPECT_EQ(shown(grid, 0, 0), QStringLiteral("c.txt"));
    EXPECT_EQ(resets.count(), 0);
}

// A row's hint holds both of its cells whole, as plain text whatever the
// name holds; an empty row has none, so the grid's own hint shows there.
TEST(PreviewGrid, ARowsHintShowsBothCellsWhole)
{
    const std::string longName =
        "IMG_0001 <b>a &amp; b</b> taken on the long walk along the coast.jpg";
    TMyFileList list("");
    list.addItem(longName, 1, localInstant(1999, 12, 31, 23, 59, 58), 0x20);
    list.SetNewName(0, "CHGN01.jpg");
    PreviewGrid grid;
    grid.setHeader(0, QStringLiteral("   変換前ファイル"));
    grid.setHeader(1, QStringLiteral("   変換後ファイル"));
    grid.setRowCount(3);
    const QString name = QString::fromStdString(longName);
    const auto hint = [&grid](int row, int column) {
        QTextDocument shown;
        shown.setHtml(grid.data(grid.index(row, column), Qt::ToolTipRole).toString());
        return shown.toPlainText();
    };

    grid.writeNames(list, true);
    // On the rename page the file's dates follow, which a name may be made of.
    const QString dates = QStringLiteral("\n撮影日時: なし\n更新日時: 1999/12/31 23:59:58");
    const QString both = QStringLiteral("変換前ファイル: ") + name
                         + QStringLiteral("\n変換後ファイル: CHGN01.jpg") + dates;
    EXPECT_EQ(hint(0, 0).toStdString(), both.toStdString());
    EXPECT_EQ(hint(0, 1).toStdString(), both.toStdString()) << "the whole row has one hint";
    EXPECT_FALSE(grid.data(grid.index(1, 0), Qt::ToolTipRole).isValid()) << "an empty row";

    grid.writeNames(list, false);
    EXPECT_EQ(hint(0, 1), QStringLiteral("変換前ファイル: ") + name + dates) << "no new name yet";

    grid.setHeader(1, QStringLiteral("     更新日時"));
    grid.writeTimeStamps(list);
    EXPECT_EQ(hint(0, 0), QStringLiteral("変換前ファイル: ") + name + QStringLiteral("\n更新日時: ")
                              + previewTimeText(list.GetFileTime(0), QLocale()));
}

TEST(PreviewGrid, TimeTextFollowsTheLocaleAndTheMidnightRule)
{
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    const QLocale american(QLocale::English, QLocale::UnitedStates);

    EXPECT_EQ(previewTimeText(packed(1999, 12, 31, 23, 59, 58), japanese),
              QStringLiteral("1999/12/31 23:59:58"));
    EXPECT_EQ(previewTimeText(packed(2000, 1, 2, 3, 4, 6), japanese),
              QStringLiteral("2000/01/02 3:04:06"));
    // A ten-character date is long enough to stand alone at midnight.
    EXPECT_EQ(previewTimeText(packed(1999, 12, 31, 0, 0, 0), japanese),
              QStringLiteral("1999/12/31"));
    // A short date gets the time added back.
    EXPECT_EQ(previewTimeText(packed(1999, 12, 31, 0, 0, 0), american),
              QStringLiteral("12/31/99 0:00:00"));
    EXPECT_EQ(previewTimeText(packed(1999, 12, 31, 23, 59, 58), american),
              QStringLiteral("12/31/99 11:59:58 PM"));
    // One second past midnight is not midnight (stamps count in two seconds).
    EXPECT_EQ(previewTimeText(packed(1999, 12, 31, 0, 0, 2), japanese),
              QStringLiteral("1999/12/31 0:00:02"));

    EXPECT_EQ(previewTimeText(0, japanese), QString()) << "no time stamp";
    EXPECT_EQ(previewTimeText(static_cast<std::int32_t>((20U << 25) | (13U << 21) | (1U << 16)),
                              japanese),
              QString())
        << "month 13";
    EXPECT_EQ(previewTimeText(static_cast<std::int32_t>(0xFFFFFFFFU), japanese), QString());
    EXPECT_FALSE(previewTimeText(packed(2100, 2, 28, 12, 0, 0), japanese).isEmpty())
        << "stamps from 2044 on are negative words and still dates";
}

TEST(PreviewGrid, TimeFormHasSecondsAndNoTimeZone)
{
    EXPECT_EQ(timeFormWithSeconds(QLocale(QLocale::Japanese, QLocale::Japan)),
              QStringLiteral("H:mm:ss"));
    EXPECT_EQ(timeFormWithSeconds(QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("HH:mm:ss"));
    EXPECT_EQ(timeFormWithSeconds(QLocale(QLocale::Finnish, QLocale::Finland)),
              QStringLiteral("H.mm.ss"));
    for (const QLocale& locale :
         {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
          QLocale(QLocale::Chinese, QLocale::China), QLocale(QLocale::French, QLocale::Canada)}) {
        const QString form = timeFormWithSeconds(locale);
        EXPECT_TRUE(form.contains(QStringLiteral("ss"))) << form.toStdString();
        EXPECT_FALSE(form.contains(QLatin1Char('t'))) << form.toStdString();
    }
}

} // namespace
} // namespace torvel
