#pragma once
// The main window over real files: a scratch folder whose files are read into
// a real file list, which the window's pages are filled from and whose names
// the runs work on. Failure boxes are collected instead of shown, with the
// status text that stood when each came up.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include "RunTypes.h"
#include "DosDateTime.h"
#include "FileProp.h"
#include "FilesList.h"
#include "MainFormFixture.h"
#include "NameText.h"
#include "StatusLine.h"
#include "WindowFeedback.h"

namespace torvel::testing {

class PagesForm : public TestForm
{
public:
    PagesForm()
        : TestForm(tmpSettings())
    {
        runFeedback().setFailureBox([this](const QString& text) {
            failures << text;
            statusAtFailure << child<StatusLine>(*this, "StatusBar1")->panelText(1);
        });
    }

    // Creates an empty file.
    void makeFile(const std::string& name) { folder.write(name, ""); }

    // Reads the named files of the folder into the window's list, as a
    // selection does, and draws the grid the runs read their names from.
    void listFiles(const std::vector<std::string>& selected, const std::string& in = {})
    {
        setSelectedFiles(selected);
        SearchDirChange(in.empty() ? folder.path() : in);
        FileProp();
        StringGrid1Write(false);
    }

    // Shows the window and keeps each text the status line shows from now on,
    // also those a run replaces before it returns.
    void watchStatusLine()
    {
        show();
        settle();
        auto* line = child<StatusLine>(*this, "StatusBar1");
        QObject::connect(line, &StatusLine::drawPanel, this,
                         [this, line](QPainter*, int, const QRect&) {
                             if (statuses.isEmpty() || statuses.back() != line->panelText(1)) {
                                 statuses << line->panelText(1);
                             }
                         });
    }

    ScratchDir folder;
    QStringList failures;
    QStringList statusAtFailure;
    QStringList statuses;
};

// The instant of a local date and time.
// What the page tests compare of a run: the files changed, the files that
// failed, and whether the run can be taken back; a run that did not start
// compares as nothing changed.
using RunCounts = std::tuple<int, std::size_t, bool>;
inline RunCounts countsOf(const std::optional<RunResult>& result)
{
    if (!result)
        return {0, 0, false};
    return {result->converted, result->failures.size(), result->journaled};
}

inline std::int64_t localInstant(int year, int month, int day, int hour, int minute, int second)
{
    LocalDateTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    std::int64_t seconds = 0;
    EXPECT_TRUE(instantFromLocal(t, seconds));
    return seconds;
}

inline void setTimes(const std::string& path, std::int64_t modified, std::int64_t accessed)
{
    const timespec times[2] = {{static_cast<time_t>(accessed), 0},
                               {static_cast<time_t>(modified), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

inline struct stat statOf(const std::string& path)
{
    struct stat st
    {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

// The stored user.DOSATTRIB text, or "" when there is none.
inline std::string storedDosAttrib(const std::string& path)
{
    char value[64];
    const ssize_t n = ::getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value);
    return n < 0 ? std::string() : std::string(value, static_cast<std::size_t>(n));
}

inline bool storeDosAttrib(const std::string& path, const std::string& value)
{
    return ::setxattr(path.c_str(), "user.DOSATTRIB", value.data(), value.size(), 0) == 0;
}

inline QString shown(const std::string& name)
{
    return QString::fromStdString(displayName(name));
}

// Types text into a widget, each character as a key event carrying it.
inline void typeInto(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        const int code = c.isDigit() ? Qt::Key_0 + c.digitValue() : Qt::Key_unknown;
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

inline void pressKey(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// Replaces the whole text of a box by typing.
inline void retype(QLineEdit* box, const QString& text)
{
    box->selectAll();
    typeInto(box, text);
}

} // namespace torvel::testing
