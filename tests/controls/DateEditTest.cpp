#include "DateEdit.h"
#include "SpinButton.h"

#include <QApplication>
#include <QDate>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using torvel::TDateEdit;

namespace {

// A date edit whose messages and beeps are recorded instead of shown, and
// whose signals are logged with the text the box shows at that moment.
class DateEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        edit.setNoticeHandler([this](TDateEdit::Notice kind, const QString& text) {
            notices.emplace_back(kind, text);
        });
        QObject::connect(&edit, &TDateEdit::OnChangeDate,
                         [this] { log.push_back("date " + edit.boxText()); });
        QObject::connect(&edit, &TDateEdit::OnChange,
                         [this] { log.push_back("text " + edit.boxText()); });
        QObject::connect(&edit, &TDateEdit::OnExit,
                         [this] { log.push_back("exit " + edit.boxText()); });
        edit.resize(120, 24);
    }

    void setDate(int year, int month, int day)
    {
        edit.setD_Year(year);
        edit.setD_Month(month);
        edit.setD_Day(day);
        log.clear();
    }

    void key(int code, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(&edit, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(&edit, &release);
    }

    // Types each character as a key event carrying its text.
    void type(const QString& text)
    {
        for (QChar c : text) {
            int code = 0;
            if (c.isDigit())
                code = Qt::Key_0 + c.digitValue();
            else if (c.toUpper() >= u'A' && c.toUpper() <= u'Z')
                code = Qt::Key_A + (c.toUpper().unicode() - u'A');
            key(code, QString(c));
        }
    }

    void retype(const QString& text)
    {
        edit.setCursorPosition(0);
        type(text);
    }

    void clickSpin(bool up)
    {
        torvel::SpinButton* spin = edit.spinButton();
        const QPointF at(spin->width() / 2.0, up ? 2.0 : spin->height() - 3.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, spin->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(spin, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, spin->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(spin, &release);
    }

    void leave(Qt::FocusReason reason = Qt::TabFocusReason)
    {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(&edit, &out);
    }

    TDateEdit edit;
    std::vector<std::pair<TDateEdit::Notice, QString>> notices;
    std::vector<QString> log;
};

QString westernToday()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
}

} // namespace

TEST_F(DateEditTest, ANewControlShowsTodayInEitherForm)
{
    const QDate today = QDate::currentDate();
    EXPECT_EQ(edit.boxText(), westernToday());
    EXPECT_EQ(edit.D_Year(), today.year());
    EXPECT_EQ(edit.D_Month(), today.month());
    EXPECT_EQ(edit.D_Day(), today.day());
    EXPECT_EQ(edit.D_GengoList().size(), 5);
    EXPECT_EQ(edit.D_GengoList().last(), QStringLiteral("R=2019/05/01"));

    edit.setD_Gengo(true);
    const QString era = QStringLiteral("R.%1/%2/%3")
                            .arg(today.year() - 2018, 2, 10, QLatin1Char('0'))
                            .arg(today.month(), 2, 10, QLatin1Char('0'))
                            .arg(today.day(), 2, 10, QLatin1Char('0'));
    EXPECT_EQ(edit.boxText(), era);
    EXPECT_EQ(log, std::vector<QString>{"text " + era})
        << "a mode switch is one change, no date change";

    setDate(1998, 12, 5);
    EXPECT_EQ(edit.boxText(), QStringLiteral("H.10/12/05"));
    edit.setD_Gengo(false);
    EXPECT_EQ(edit.boxText(), QStringLiteral("1998/12/05"));
    EXPECT_EQ(edit.D_Day(), 5);
}

TEST_F(DateEditTest, MasksRequireDigitsAndTakeOnlyTableLetters)
{
    EXPECT_EQ(edit.inputMask(), QStringLiteral("9999/99/99;_"));
    setDate(2001, 2, 3);
    retype(QStringLiteral("a"));
    EXPECT_EQ(edit.boxText(), QStringLiteral("2001/02/03")) << "no letters in a Western date";
    edit.selectAll();
    key(Qt::Key_Backspace);
    EXPECT_EQ(edit.boxText(), QStringLiteral("    /  /  "));
    EXPECT_FALSE(edit.hasAcceptableInput());

    edit.setD_Gengo(true);
    EXPECT_EQ(edit.inputMask(), QStringLiteral(">X.99/99/99;_"));
    setDate(1998, 12, 5);
    retype(QStringLiteral("s"));
    EXPECT_EQ(edit.boxText(), QStringLiteral("S.10/12/05")) << "forced to capitals";
    retype(QStringLiteral("x"));
    EXPECT_EQ(edit.boxText(), QStringLiteral("S.10/12/05")) << "a letter in no era row is refused";
    retype(QString::fromUtf8("平"));
    EXPECT_EQ(edit.boxText(), QStringLiteral("S.10/12/05"));

    edit.setD_GengoList({QStringLiteral("A=1900/01/01"), QString::fromUtf8("平=1989/01/08")});
    retype(QString::fromUtf8("平"));
    EXPECT_EQ(edit.boxText(), QString::fromUtf8("平.10/12/05")) << "the table decides the letters";
    retype(QStringLiteral("h"));
    EXPECT_EQ(edit.boxText(), QString::fromUtf8("平.10/12/05"));
}

TEST_F(DateEditTest, TypedDatesCountOnEnterAndAreClamped)
{
    setDate(2010, 10, 10);
    retype(QStringLiteral("20000231"));
    EXPECT_EQ(edit.boxText(), QStringLiteral("2000/02/31"));
    EXPECT_EQ(edit.D_Year(), 2010) << "typing alone does not store";
    key(Qt::Key_Return);
    EXPECT_EQ(edit.boxText(), QStringLiteral("2000/02/29"));
    EXPECT_EQ(edit.D_Year(), 2000);
    EXPECT_EQ(edit.D_Day(), 29);

    retype(QStringLiteral("19990231"));
    key(Qt::Key_Enter);
    EXPECT_EQ(edit.boxText(), QStringLiteral("1999/02/28"));

    retype(QStringLiteral("1867"));
    key(Qt::Key_Return);
    EXPECT_EQ(edit.boxText(), QStringLiteral("    /  /  "));
    EXPECT_EQ(edit.D_Date(), -11687.0);

    setDate(2010, 10, 10);
    edit.selectAll();
    key(Qt::Key_Delete);
    EXPECT_EQ(edit.Text(), QStringLiteral("    /  /  "))
        << "reading the text reads the cleared box";
    EXPECT_EQ(edit.D_Year(), 1867);
}

TEST_F(DateEditTest, KeysStepTheDate)
{
    edit.setD_Gengo(true);
    setDate(1989, 1, 7);
    EXPECT_EQ(edit.boxText(), QStringLiteral("S.64/01/07"));
    key(Qt::Key_Up);
    EXPECT_EQ(edit.boxText(), QStringLiteral("H.01/01/08"));
    key(Qt::Key_Down);
    EXPECT_EQ(edit.boxText(), QStringLiteral("S.64/01/07"));
    edit.setD_Gengo(false);

    setDate(1999, 1, 31);
    key(Qt::Key_PageUp);
    EXPECT_EQ(edit.boxText(), QStringLiteral("1999/02/28"));
    setDate(1999, 12, 15);
    key(Qt::Key_PageUp);
    EXPECT_EQ(edit.boxText(), QStringLiteral("2000/01/15"));
    key(Qt::Key_PageDown);
    key(Qt::Key_PageDown);
    EXPECT_EQ(edit.boxText(), QStringLiteral("1999/11/15"));
    setDate(1868, 1, 10);
    key(Qt::Key_PageDown);
    EXPECT_EQ(edit.boxText(), QStringLiteral("    /  /  "));

    // Stepping reads the typed text first.
    setDate(2010, 10, 10);
    retype(QStringLiteral("20001231"));
    key(Qt::Key_Up);
    EXPECT_EQ(edit.boxText(), QStringLiteral("2001/01/01"));

    key(Qt::Key_Space);
    EXPECT_EQ(edit.boxText(), QStringLiteral("    /  /  "));
    EXPECT_EQ(edit.D_Year(), 1867);
    key(Qt::Key_Down);
    EXPECT_EQ(edit.boxText(), westernToday()) << "a blank date steps to today";
    key(Qt::Key_Space);
    key(Qt::Key_Up);
    EXPECT_EQ(edit.boxText(), westernToday());
}

TEST_F(DateEditTest, TheSpinButtonStepsByDayAndSitsAtTheRightEdge)
{
    edit.show();
    torvel::SpinButton* spin = edit.spinButton();
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->parentWidget(), &edit);
    EXPECT_EQ(spin->width(), TDateEdit::SpinWidth);
    EXPECT_EQ(spin->focusPolicy(), Qt::NoFocus);
    EXPECT_LE(spin->geometry().right(), edit.width() - 1);
    EXPECT_GE(spin->geometry().right(), edit.width() - 4);
    EXPECT_GE(spin->height(), edit.height() - 6);
    edit.resize(200, 40);
    EXPECT_GE(spin->geometry().right(), edit.width() - 4) << "follows a new size";

    setDate(2000, 2, 28);
    clickSpin(true);
    EXPECT_EQ(edit.boxText(), QStringLiteral("2000/02/29"));
    clickSpin(true);
    EXPECT_EQ(edit.boxText(), QStringLiteral("2000/03/01"));
    clickSpin(false);
    clickSpin(false);
    clickSpin(false);
    EXPECT_EQ(edit.boxText(), QStringLiteral("2000/02/27"));
    setDate(1868, 1, 1);
    clickSpin(false);
    EXPECT_EQ(edit.boxText(), QStringLiteral("    /  /  "));
    clickSpin(false);
    EXPECT_EQ(edit.boxText(), westernToday());
    EXPECT_TRUE(notices.empty());
}

TEST_F(DateEditTest, DateChangeIsAnnouncedBeforeTheNewTextAppears)
{
    setDate(2000, 1, 1);
    key(Qt::Key_Up);
    EXPECT_EQ(log, (std::vector<QString>{"date 2000/01/01", "text 2000/01/02"}));

    log.clear();
    clickSpin(false);
    EXPECT_EQ(log, (std::vector<QString>{"date 2000/01/02", "text 2000/01/01"}));

    log.clear();
    edit.setD_Year(2001);
    EXPECT_EQ(log, (std::vector<QString>{"date 2000/01/01", "text 2001/01/01"}));

    // Reading back rewrites the text first; the date change follows.
    log.clear();
    retype(QStringLiteral("20000231"));
    log.clear();
    key(Qt::Key_Return);
    EXPECT_EQ(log, (std::vector<QString>{"text 2000/02/29", "date 2000/02/29"}));

    // Refused writes change nothing and announce nothing.
    log.clear();
    edit.setD_Year(2100);
    edit.setD_Year(1867);
    edit.setD_Month(13);
    edit.setD_Day(0);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(edit.boxText(), QStringLiteral("2000/02/29"));

    // An accepted write that lands on the same date still announces it.
    edit.setD_Day(31);
    EXPECT_EQ(log, std::vector<QString>{"date 2000/02/29"});
    edit.setD_Date(36134.5);
    EXPECT_EQ(edit.boxText(), QStringLiteral("1998/12/05"));
    EXPECT_EQ(edit.D_Day(), 5);
}

TEST_F(DateEditTest, LeavingReadsTheEntryBack)
{
    setDate(2010, 10, 10);
    retype(QStringLiteral("19990231"));
    log.clear();
    leave();
    EXPECT_EQ(log, (std::vector<QString>{"text 1999/02/28", "date 1999/02/28", "exit 1999/02/28"}));

    // A popup or another window taking the focus is not leaving.
    retype(QStringLiteral("2005"));
    log.clear();
    leave(Qt::ActiveWindowFocusReason);
    leave(Qt::PopupFocusReason);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(edit.D_Year(), 1999);
}

TEST_F(DateEditTest, ReadOnlyRefusesStepsAndKeys)
{
    setDate(2000, 5, 5);
    edit.setReadOnly(true);
    clickSpin(true);
    clickSpin(false);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].first, TDateEdit::Notice::Beep);
    for (int code : {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_Space, Qt::Key_Return})
        key(code);
    retype(QStringLiteral("1999"));
    EXPECT_EQ(edit.boxText(), QStringLiteral("2000/05/05"));
    EXPECT_TRUE(log.empty());

    edit.setReadOnly(false);
    key(Qt::Key_Up);
    EXPECT_EQ(edit.boxText(), QStringLiteral("2000/05/06"));
}

TEST_F(DateEditTest, AnEraLetterNoLongerInTheTableIsReported)
{
    edit.setD_Gengo(true);
    setDate(1920, 3, 4);
    EXPECT_EQ(edit.boxText(), QStringLiteral("T.09/03/04"));
    edit.setD_GengoList({QStringLiteral("M=1868/01/01"), QStringLiteral("S=1926/12/25")});
    key(Qt::Key_Return);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].first, TDateEdit::Notice::Message);
    EXPECT_EQ(notices[0].second, QString::fromUtf8("｢T｣は元号として登録されていません。"));
    EXPECT_EQ(edit.D_Year(), 1867);
    EXPECT_EQ(edit.boxText(), QStringLiteral(" .  /  /  "));
    EXPECT_EQ(log, (std::vector<QString>{"date T.09/03/04", "text  .  /  /  "}));
}

TEST_F(DateEditTest, AnIncompleteEraEntryIsAnErrorThatKeepsTheDate)
{
    edit.setD_Gengo(true);
    setDate(1998, 12, 5);
    edit.setCursorPosition(3);
    key(Qt::Key_Delete);
    EXPECT_EQ(edit.boxText(), QStringLiteral("H.1 /12/05"));
    log.clear();
    key(Qt::Key_Return);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].first, TDateEdit::Notice::Error);
    EXPECT_EQ(notices[0].second, QString::fromUtf8("'1 ' は整数ではありません"));
    EXPECT_EQ(edit.D_Year(), 1998);
    EXPECT_EQ(edit.D_Day(), 5);
    EXPECT_EQ(edit.boxText(), QStringLiteral("H.1 /12/05")) << "the entry stays for correction";
    EXPECT_TRUE(log.empty()) << "no date change after the error";

    notices.clear();
    key(Qt::Key_Up);
    clickSpin(true);
    leave();
    EXPECT_EQ(notices.size(), 3u);
    EXPECT_TRUE(log.empty()) << "no step and no exit after the error";
    EXPECT_EQ(edit.D_Day(), 5);

    // A leading blank is still a number: H. 0 is the year before Heisei 1.
    setDate(1998, 12, 5);
    edit.setCursorPosition(2);
    key(Qt::Key_Delete);
    EXPECT_EQ(edit.boxText(), QStringLiteral("H. 0/12/05"));
    notices.clear();
    key(Qt::Key_Up);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(edit.boxText(), QStringLiteral("S.63/12/06"));
}

TEST_F(DateEditTest, NeverLowerThanItsText)
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(17);
    edit.setFont(font);
    edit.resize(120, 5);
    EXPECT_GE(edit.height(), edit.fontMetrics().height() + 6);
    EXPECT_EQ(edit.height(), edit.minimumHeight());
}
