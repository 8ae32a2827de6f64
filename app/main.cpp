// Start: the application with its title, the Japanese fonts the form asks for
// mapped to fonts a Debian desktop has, the Fusion style, and the main window.
#include <QApplication>
#include <QFont>
#include <QStyleFactory>

#include "MainForm.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TORVEL"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    torvel::TForm1 form;
    form.show();
    return QApplication::exec();
}
