#pragma once
// Shared helpers for the main window tests: a window with a settings file of
// its own, whose screen height (and, if it likes, number of listed files) the
// test decides, and lookups by object name.
#include <QCoreApplication>
#include <QObject>
#include <QMessageBox>
#include <QRect>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "MainForm.h"
#include "ProfileFile.h"
#include "RunTypes.h"
#include "StatusMessages.h"
#include "common/ScratchDir.h"
#include "SettingsRecord.h"

namespace torvel::testing {

// A window started as the program starts it, but reading and writing the
// settings file "torvel.ini" in a scratch folder of its own, on one screen of
// the given height. Error messages are collected instead of shown.
struct ScratchHome
{
    ScratchDir scratch; // made before the window, which is built on a file in it
};

class TestForm : public ScratchHome, public TForm1
{
public:
    static constexpr int kScreen = 1080;

    // A first start: there is no settings file yet.
    explicit TestForm(int screenHeight = kScreen)
        : TForm1(Unstarted{scratch / "torvel.ini"})
        , screen(screenHeight)
    {
        FormCreate();
    }

    // Starts from a settings file holding exactly these bytes.
    explicit TestForm(const std::string& fileText, int screenHeight = kScreen)
        : TForm1(Unstarted{scratch / "torvel.ini"})
        , screen(screenHeight)
    {
        scratch.write("torvel.ini", fileText);
        FormCreate();
    }

    // Starts from a settings file that the program's writer made of these
    // values.
    explicit TestForm(const SettingsRecord& settings, int screenHeight = kScreen)
        : TForm1(Unstarted{scratch / "torvel.ini"})
        , screen(screenHeight)
    {
        ProfileFile profile = ProfileFile::load(scratch / "torvel.ini");
        EXPECT_TRUE(writeSettings(settings, profile).empty());
        EXPECT_FALSE(profile.save());
        FormCreate();
    }

    // Starts from the settings file at path, wherever it is.
    struct AtPath
    {
        std::string path;
    };
    explicit TestForm(const AtPath& at, int screenHeight = kScreen)
        : TForm1(Unstarted{at.path})
        , screen(screenHeight)
    {
        FormCreate();
    }

    // The bytes of the settings file now.
    std::string fileText() const { return scratch.read("torvel.ini"); }
    // The one screen's area that a window may use: as high as the screen.
    QRect area() const { return QRect(0, 0, 1920, screen); }

    int screen;
    // A number of listed files to pretend; unset: the real file list's.
    std::optional<int> files;
    QStringList messages;      // error-type message boxes
    QStringList plainMessages; // plain message boxes
    QStringList questions;     // the texts of the boxes that ask
    // Answers a box that asks, by clicking one of its buttons; unset: No.
    std::function<void(QMessageBox&)> answerBox;

protected:
    int screenHeight() const override { return screen; }
    QList<QRect> screenAreas() const override { return {area()}; }
    int fileListCount() const override { return files ? *files : TForm1::fileListCount(); }
    void showErrorMessage(const QString& text) override { messages << text; }
    void showPlainMessage(const QString& text) override { plainMessages << text; }
    int messageBox(QMessageBox& box) override
    {
        questions << box.text();
        if (answerBox)
            answerBox(box);
        return box.clickedButton() != nullptr ? box.standardButton(box.clickedButton())
                                              : QMessageBox::No;
    }
};

template <typename T>
T* child(const QObject& form, const char* name)
{
    T* found = form.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// A first start's settings with both folders in /tmp, which exists.
inline SettingsRecord tmpSettings()
{
    SettingsRecord settings;
    settings.searchDir = "/tmp/";
    settings.changeDir = "/tmp/";
    return settings;
}

inline void settle()
{
    QCoreApplication::processEvents();
}

} // namespace torvel::testing
