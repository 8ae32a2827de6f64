#include "MainForm.h"

namespace torvel {

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("TORVEL"));
    resize(560, 420);
}

} // namespace torvel
