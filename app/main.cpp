// Start: the application with its title, the Japanese fonts the form asks for
// mapped to fonts a Debian desktop has, the Fusion style, and the main window.
#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <QStyleFactory>
#include <QTimer>

#include "MainForm.h"

namespace {

// A failure that no handler caught ends the command that raised it, not the
// program: its message is shown and the window stays usable.
class TorvelApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            report(QString::fromUtf8(error.what()));
        } catch (...) {
            report(QStringLiteral("予期しないエラーが発生しました。"));
        }
        return false;
    }

private:
    static void report(const QString& text)
    {
        QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("TORVEL"), text);
    }
};

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
    TorvelApplication app(argc, argv);
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
    // A run that a crash cut short is dealt with before anything else.
    QTimer::singleShot(0, &form, &torvel::TForm1::offerRecovery);
    return QApplication::exec();
}
