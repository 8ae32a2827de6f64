#pragma once
// The about box: product name, description, the program's file version and
// the credit line.

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class QEvent;
class QFrame;
class QLabel;
class QPushButton;

namespace torvel {

// The running program's executable file.
std::string ownProgramFile();

// The file version of the given program file (the running program by
// default), or an empty string when that value cannot be read. A file
// without any version information raises EVerInfo instead.
QString ProgramVersion(const std::string& programFile = ownProgramFile());

class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    // Opens the box for the main window: placed 100 pixels right of and 110
    // below the window's top-left corner, its client area exactly the panel,
    // shown modally and released when closed.
    static void About1Click(QWidget* mainWindow);

    // The file whose version the box shows; the running program unless set.
    void setProgramFile(const std::string& fileName) { m_programFile = fileName; }

    // Where a failure to read the version is reported; a message box unless set.
    void setErrorReporter(std::function<void(const QString&)> reporter)
    {
        m_reportError = std::move(reporter);
    }

public Q_SLOTS:
    void FormActivate();
    void Button1Click();

protected:
    bool event(QEvent* e) override;

private:
    void buildControls();
    QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int x, int y);

    QFrame* m_panel2 = nullptr;
    QLabel* m_label4 = nullptr;
    std::string m_programFile = ownProgramFile();
    std::function<void(const QString&)> m_reportError;
    bool m_errorShown = false;
};

} // namespace torvel
