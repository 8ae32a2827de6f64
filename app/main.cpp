// Start: the application with its title, the Japanese fonts the form asks for
// mapped to fonts a Debian desktop has, the Fusion style, and the main window.
#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "MainForm.h"
#include "SingleInstance.h"
#include "Texts.h"
#include "TorvelVersion.h"
#include "WorkingFolder.h"

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

constexpr const char* kBusyText =
    "開いているトルベリオのウィンドウが実行中のため、ファイルを渡せません。"
    "実行が終わってから、もう一度開いてください。";

// The arguments after the program's name, as the bytes they are.
torvel::CommandLine readCommandLine(int argc, char* argv[], const torvel::WorkingFolder& here)
{
    return torvel::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), here.path);
}

// Files named relative to a working folder that has no name are not opened
// from anywhere else: the start ends, saying why.
std::optional<int> refuseWithoutWorkingFolder(const torvel::CommandLine& command,
                                              const torvel::WorkingFolder& here)
{
    if (!command.needsWorkingFolder) {
        return std::nullopt;
    }
    const std::string text = torvel::workingFolderText(here.error);
    std::fprintf(stderr, "torvel: %s\n", text.c_str());
    QMessageBox::critical(nullptr, QStringLiteral("TORVEL"), QString::fromStdString(text));
    return 1;
}

// --help, --version and an unknown option are answered without a window;
// the exit status, or nothing when the window is to open.
std::optional<int> answerWithoutWindow(const torvel::CommandLine& command)
{
    switch (command.action) {
    case torvel::CommandAction::Help:
        std::fputs(torvel::commandLineHelp(), stdout);
        return 0;
    case torvel::CommandAction::Version:
        std::printf("torvel %s\n", torvel::torvelVersion);
        return 0;
    case torvel::CommandAction::Bad:
        std::fprintf(stderr,
                     "torvel: 不明なオプションです: %s\n"
                     "使い方は torvel --help で表示されます。\n",
                     command.badOption.c_str());
        return 2;
    case torvel::CommandAction::Open:
        break;
    }
    return std::nullopt;
}

// One window per session: a later start hands its files to the open window
// and ends with the status returned; nothing when no window is open. A
// window in the middle of a run takes nothing: the start says so on stderr
// only, since a box of its own could open behind that window, out of sight.
std::optional<int> handOffToOpenWindow(const QString& socket, const torvel::CommandLine& command)
{
    switch (torvel::SingleInstance::handOff(socket, command.paths)) {
    case torvel::SingleInstance::Handoff::Accepted:
        return 0;
    case torvel::SingleInstance::Handoff::Busy:
        std::fprintf(stderr, "torvel: %s\n", kBusyText);
        return 1;
    case torvel::SingleInstance::Handoff::NoInstance:
        break;
    }
    return std::nullopt;
}

// The open window takes the files of later starts, and comes to the front.
void takeLaterStarts(torvel::SingleInstance& instance, torvel::TForm1& form)
{
    QObject::connect(&instance, &torvel::SingleInstance::filesHandedOver, &form,
                     [&form](const std::vector<std::string>& paths) {
                         form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
                         form.raise();
                         form.activateWindow();
                         if (!paths.empty()) {
                             form.openFiles(paths);
                         }
                     });
}

} // namespace

int main(int argc, char* argv[])
{
    // Help and version need no display. The options of Qt's own are known
    // only once the application has taken them out of the arguments.
    const torvel::WorkingFolder here = torvel::currentWorkingFolder();
    if (const torvel::CommandLine raw = readCommandLine(argc, argv, here);
        raw.action != torvel::CommandAction::Bad) {
        if (const std::optional<int> status = answerWithoutWindow(raw)) {
            return *status;
        }
    }
    TorvelApplication app(argc, argv);
    const torvel::CommandLine command = readCommandLine(argc, argv, here);
    if (const std::optional<int> status = answerWithoutWindow(command)) {
        return *status;
    }
    QApplication::setApplicationName(QStringLiteral("TORVEL"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (const std::optional<int> status = refuseWithoutWorkingFolder(command, here)) {
        return *status;
    }

    // A start measured for its speed stands alone: it neither hands over nor
    // listens.
    const bool measured = qEnvironmentVariableIsSet("TORVEL_QUIT_AFTER_SHOW");
    const QString socket = torvel::SingleInstance::socketPath();
    if (!measured) {
        if (const std::optional<int> status = handOffToOpenWindow(socket, command)) {
            return *status;
        }
    }

    torvel::TForm1 form;
    torvel::SingleInstance instance([&form] { return form.runUnderWay(); });
    takeLaterStarts(instance, form);
    // Without the socket the window still works; it only cannot take files
    // from later starts.
    if (!measured) {
        instance.listen(socket);
    }
    QuitAfterFirstPaint quitAfterShow;
    if (measured) {
        form.installEventFilter(&quitAfterShow);
    }
    form.show();
    // A run that a crash cut short is dealt with before anything else.
    QTimer::singleShot(0, &form, &torvel::TForm1::offerRecovery);
    if (!command.paths.empty()) {
        QTimer::singleShot(0, &form, [&form, &command] { form.openFiles(command.paths); });
    }
    return QApplication::exec();
}
