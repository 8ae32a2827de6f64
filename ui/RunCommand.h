#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QToolButton;
class QWidget;

namespace torvel {

namespace Ui {
class TForm1;
}

class FormHost;
class RunSession;
class WindowFeedback;
struct JournalRecord;
struct RunResult;
struct RunRow;
struct RunServices;
struct RunSettings;

// The run command (TorvelButton and its menu item R2) and the window's side
// of a run: status texts, the progress bar, the failure box, the question
// before a file goes to the trash, and the count shown at the end.
class RunCommand : public QObject
{
    Q_OBJECT
public:
    // window: the owner of the boxes a run opens.
    RunCommand(Ui::TForm1& ui, FormHost& host, QWidget* window);
    ~RunCommand() override;

    WindowFeedback& feedback() { return *m_feedback; }
    bool underWay() const { return m_underWay; }
    // The grid shows what a run may carry out, or not.
    void setReady(bool ready);

    // Carries out a run of any kind through a session's services, with the
    // progress bar for total files. Nothing when the run could not start:
    // nothing was touched and the reason was shown.
    std::optional<RunResult> carryOut(int total, const std::function<RunResult(RunServices&)>& run);
    // Renames in place, or moves or copies, the grid's rows (see carryOut).
    std::optional<RunResult> renameRows(const std::vector<RunRow>& rows,
                                        const RunSettings& settings);
    // The count of the files that reached their new names (or were changed),
    // then those that did not in one box, so that none of them passes for
    // converted.
    void reportRun(const RunResult& result);
    // After the grid is drawn, which writes its own text: the last run's
    // count with how many failed and the way to take it back; empty once
    // taken.
    QString takeSummary();

    // Takes a recorded run back, or finishes one a crash cut short, through
    // the same engine as a run. Nothing when it could not start: the reason
    // was shown.
    enum class Settlement : std::uint8_t
    {
        TakeBack,
        Finish,
        TakeBackLast, // 元に戻す: the last journal, which may be a settling cut short
    };
    std::optional<RunResult> settle(const JournalRecord& record, Settlement how);

    // Holds the command back while a run is under way. The boxes a run opens
    // spin an event loop of their own, in which a second press of the button
    // or the menu item would otherwise start a run over files the first one
    // is still changing.
    class Guard
    {
    public:
        explicit Guard(RunCommand& command);
        ~Guard();
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
        // The grid has been drawn again and has set the command itself.
        void redrawn() { m_redrawn = true; }

    private:
        RunCommand& m_command;
        bool m_buttonWasEnabled;
        bool m_itemWasEnabled;
        bool m_redrawn = false;
    };

private:
    FormHost& m_host;
    QToolButton* m_button; // TorvelButton
    QAction* m_item;       // R2
    std::unique_ptr<WindowFeedback> m_feedback;
    QString m_summary;
    bool m_underWay = false;
};

// A session for one run, undo or recovery, its journal folder held; none
// when it cannot be (another run holds it, or it is not the person's own),
// and the person has been told why.
std::unique_ptr<RunSession> openSession(FormHost& host);

} // namespace torvel
