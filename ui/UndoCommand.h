#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <vector>

#include "RunCommand.h"

class QAction;
class QMenu;
class QWidget;

namespace torvel {

class FormHost;
struct JournalRecord;

// Taking the last run back (元に戻す, Ctrl+Z), and at start, finishing or
// taking back the runs a crash cut short. The window is asked through its
// FormHost; what it lists afterwards is its own affair.
class UndoCommand : public QObject
{
    Q_OBJECT
public:
    // Lists a settled run's files where they are now: the names to choose
    // in the folder they are in.
    using ShowFiles =
        std::function<void(const std::string& folder, std::vector<std::string> names)>;

    // window: the owner of the questions; settingsPath: the settings file,
    // whose stale temporaries are removed at start.
    UndoCommand(FormHost& host, RunCommand& run, QWidget* window, std::string settingsPath,
                ShowFiles showFiles);

    // Puts 元に戻す (Ctrl+Z) into a menu before the item given.
    void addTo(QMenu* menu, QAction* before);

public Q_SLOTS:
    // Takes back the newest run not yet taken back, after a yes.
    void takeBackLast();
    // Asks what to do with the runs a crash cut short; while a run of
    // another process is under way, asks when it is over.
    void offerRecovery();

private:
    void settleRun(const JournalRecord& record, RunCommand::Settlement how);
    static constexpr int recoveryRetry = 3000; // ms the recovery question waits for torvel-cli

    FormHost& m_host;
    RunCommand& m_run;
    QWidget* m_window;
    std::string m_settingsPath;
    ShowFiles m_showFiles;
};

} // namespace torvel
