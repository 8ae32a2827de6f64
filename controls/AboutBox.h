#pragma once
// The about box: product name, description, the program's version and the
// credit line.

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;

namespace torvel {

// The program's version, the one both programs' --version print.
QString ProgramVersion();

class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    // Opens the box for the main window: placed 100 pixels right of and 110
    // below the window's top-left corner, its client area exactly the panel,
    // shown modally and released when closed.
    static void About1Click(QWidget* mainWindow);

public Q_SLOTS:
    void Button1Click();

private:
    void buildControls();
    QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int x, int y);

    QFrame* m_panel2 = nullptr;
};

} // namespace torvel
