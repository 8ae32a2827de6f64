#pragma once
// Shared helpers for the main window tests: a window whose screen height and
// number of listed files the test decides, and lookups by object name.
#include <QCoreApplication>
#include <QObject>
#include <QString>

#include <gtest/gtest.h>

#include "MainForm.h"

namespace torvel::testing {

class TestForm : public TForm1
{
public:
    using TForm1::TForm1;
    int screen = 1080;
    int files = 0;

protected:
    int screenHeight() const override { return screen; }
    int fileListCount() const override { return files; }
};

template <typename T>
T* child(const QObject& form, const char* name)
{
    T* found = form.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// A first start's settings with both folders in /tmp, which exists.
inline FormSettings tmpSettings()
{
    return FormSettings::defaults("/tmp/");
}

inline void settle()
{
    QCoreApplication::processEvents();
}

} // namespace torvel::testing
