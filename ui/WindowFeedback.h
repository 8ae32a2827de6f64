#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <string>

#include "RunFeedback.h"
#include "StatusMessages.h"

class QWidget;

namespace torvel {

class StatusLine;

// The main window's side of a run: status texts, the progress bar, the
// failure boxes and the question before a file goes to the trash. Every
// question is put to the person and the answer passed on as it is; what an
// answer means for the rest of the run ("すべてはい", or Cancel ending the
// questions) is kept by the run's file operation component (TFileOperation).
//
// A run writes one status text per file. Repainting the status line for each
// of 100,000 files would cost more than the work itself, so while a run is
// under way a text is repainted only when the last repaint is at least
// kRepaintIntervalMs old; the first text of a run, a change of kind and the
// text standing when the run ends (or when a box is about to open) are always
// shown. Outside a run every text is shown at once.
class WindowFeedback : public RunFeedback
{
public:
    static constexpr qint64 kRepaintIntervalMs = 50;

    // Texts of the boxes.
    static const QString BoxTitle;
    static const QString TrashQuestion;
    static const QString YesText;
    static const QString NoText;
    static const QString YesToAllText;

    // The box after a failed file: the message, the person presses "OK".
    using FailureBox = std::function<void(const QString& message)>;
    // The question before a file goes to the trash: the file as text.
    using TrashBox = std::function<TrashAnswer(const QString& shownPath)>;
    // Milliseconds on a steady clock.
    using Clock = std::function<qint64()>;

    // owner: the window the boxes belong to; line: the window's status line.
    WindowFeedback(QWidget* owner, StatusLine* line);

    // A run over `total` rows starts: the progress bar appears, empty.
    void beginRun(int total);
    // The run is over: the standing text is shown and the progress bar goes.
    void endRun();
    bool running() const { return m_running; }

    // Brackets a run, so that the bar goes also when the run ends by an
    // exception.
    class RunScope
    {
    public:
        RunScope(WindowFeedback& feedback, int total)
            : m_feedback(feedback)
        {
            m_feedback.beginRun(total);
        }
        ~RunScope() { m_feedback.endRun(); }
        RunScope(const RunScope&) = delete;
        RunScope& operator=(const RunScope&) = delete;

    private:
        WindowFeedback& m_feedback;
    };

    // A run's status, worded by the window, as a working text.
    void status(const RunStatus& status) override;
    // Shows a text on the status line, spaced as a run's texts are.
    void showStatus(StatusKind kind, const QString& text);
    TrashAnswer confirmTrash(const std::string& path) override;
    void fileFailed(const std::string& message) override;
    void progress(int done, int total) override;

    // Replace the boxes (tests); an empty function restores the real box.
    void setFailureBox(FailureBox box) { m_failureBox = std::move(box); }
    void setTrashBox(TrashBox box) { m_trashBox = std::move(box); }
    // Replaces the clock the repaints are spaced by (tests); empty restores it.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // The real boxes, modal, owned by `owner`.
    static void showFailureBox(QWidget* owner, const QString& message);
    static TrashAnswer askTrash(QWidget* owner, const QString& shownPath);

private:
    qint64 now() const;
    bool repaintDue() const;
    void showPending();
    void repaintLine();
    void applyProgress();

    QWidget* m_owner;
    StatusLine* m_line;
    FailureBox m_failureBox;
    TrashBox m_trashBox;
    Clock m_clock;
    QElapsedTimer m_steady;
    qint64 m_lastRepaint = 0;
    bool m_repainted = false; // in this run
    bool m_running = false;
    bool m_pending = false;
    StatusKind m_pendingKind = StatusKind::Working;
    QString m_pendingText;
    int m_done = 0;
    int m_total = 0;
};

} // namespace torvel
