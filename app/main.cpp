// Start: the application with its title, the Japanese fonts the form asks for
// mapped to fonts a Debian desktop has, the Fusion style, and the main window.
#include <QApplication>
#include <QFont>
#include <QStyleFactory>
#include <QTimer>

#include "MainForm.h"

namespace {

// For measuring start-up: with TORVEL_QUIT_AFTER_SHOW in the environment the
// program ends as soon as its window has been drawn once. It leaves without
// closing the window, so the settings file is not written.
class QuitAfterFirstPaint : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        }
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TORVEL"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    torvel::TForm1 form;
    QuitAfterFirstPaint quitAfterShow;
    if (qEnvironmentVariableIsSet("TORVEL_QUIT_AFTER_SHOW")) {
        form.installEventFilter(&quitAfterShow);
    }
    form.show();
    return QApplication::exec();
}
