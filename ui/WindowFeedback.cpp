#include "WindowFeedback.h"

#include "StatusTexts.h"
#include "Utf8Text.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <string_view>

#include "NameText.h"
#include "StatusLine.h"

namespace torvel {

namespace {

// The question before a file goes to the trash. Escape and the frame's close
// button answer Cancel: no further question of the run is asked, and this file
// and every later one that would need the trash stay where they are. They must
// not count as "いいえ", which a plain message box would make of them, since
// the next clash would ask again.
class TrashQuestionBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            reject();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }

    void closeEvent(QCloseEvent* event) override
    {
        // Past the message box's own handling, which would press "いいえ".
        QDialog::closeEvent(event);
    }
};

} // namespace

const QString WindowFeedback::BoxTitle = QStringLiteral("TORVEL");
const QString WindowFeedback::TrashQuestion = QStringLiteral("このファイルをごみ箱に移しますか？");
const QString WindowFeedback::YesText = QStringLiteral("はい");
const QString WindowFeedback::NoText = QStringLiteral("いいえ");
const QString WindowFeedback::YesToAllText = QStringLiteral("すべてはい");

WindowFeedback::WindowFeedback(QWidget* owner, StatusLine* line)
    : m_owner(owner)
    , m_line(line)
{
    m_steady.start();
}

qint64 WindowFeedback::now() const
{
    return m_clock ? m_clock() : m_steady.elapsed();
}

bool WindowFeedback::repaintDue() const
{
    return !m_repainted || now() - m_lastRepaint >= kRepaintIntervalMs;
}

void WindowFeedback::beginRun(int total)
{
    m_running = true;
    m_repainted = false;
    m_done = 0;
    m_total = total;
    applyProgress();
    m_line->progressBar()->show();
}

void WindowFeedback::endRun()
{
    if (!m_running) {
        return;
    }
    m_running = false;
    m_line->progressBar()->hide();
    if (m_pending) {
        showPending();
    } else {
        repaintLine();
    }
}

void WindowFeedback::status(const RunStatus& status)
{
    showStatus(StatusKind::Working, StatusText::of(status));
}

void WindowFeedback::showStatus(StatusKind kind, const QString& text)
{
    m_pendingKind = kind;
    m_pendingText = text;
    m_pending = true;
    if (!m_running || kind != m_line->kind() || repaintDue()) {
        showPending();
    }
}

void WindowFeedback::progress(int done, int total)
{
    m_done = done;
    m_total = total;
    if (!m_running) {
        applyProgress();
    } else if (repaintDue()) {
        if (m_pending) {
            showPending();
        } else {
            repaintLine();
        }
    }
}

void WindowFeedback::applyProgress()
{
    QProgressBar* bar = m_line->progressBar();
    // An empty range would turn the bar into a busy indicator.
    const int maximum = qMax(m_total, 1);
    const int value = qBound(0, m_done, maximum);
    if (bar->maximum() == maximum && bar->value() == value) {
        return;
    }
    // The bar would repaint itself (and the line under it) at once for every
    // visible step; it is painted with the line instead.
    bar->setUpdatesEnabled(false);
    bar->setRange(0, maximum);
    bar->setValue(value);
    bar->setUpdatesEnabled(true);
}

void WindowFeedback::showPending()
{
    applyProgress();
    m_pending = false;
    // write() repaints the line, the progress bar within it included.
    m_line->write(m_pendingKind, m_pendingText);
    m_lastRepaint = now();
    m_repainted = true;
}

void WindowFeedback::repaintLine()
{
    applyProgress();
    m_line->repaint();
    m_lastRepaint = now();
    m_repainted = true;
}

void WindowFeedback::fileFailed(const std::string& message)
{
    // The person sees which file the box is about.
    if (m_pending) {
        showPending();
    }
    const QString text = utf8Text(message);
    if (m_failureBox) {
        m_failureBox(text);
    } else {
        showFailureBox(m_owner, text);
    }
}

RunFeedback::TrashAnswer WindowFeedback::confirmTrash(const std::string& path)
{
    // The person sees which file the question is about.
    if (m_pending) {
        showPending();
    }
    const QString shown = utf8Text(displayPath(path));
    return m_trashBox ? m_trashBox(shown) : askTrash(m_owner, shown);
}

void WindowFeedback::showFailureBox(QWidget* owner, const QString& message)
{
    QMessageBox box(QMessageBox::Critical, BoxTitle, message, QMessageBox::NoButton, owner);
    // A file name is shown as it is, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

RunFeedback::TrashAnswer WindowFeedback::askTrash(QWidget* owner, const QString& shownPath)
{
    TrashQuestionBox box(QMessageBox::Question, BoxTitle,
                         TrashQuestion + QLatin1Char('\n') + shownPath, QMessageBox::NoButton,
                         owner);
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(YesText, QMessageBox::YesRole);
    QPushButton* no = box.addButton(NoText, QMessageBox::NoRole);
    QPushButton* all = box.addButton(YesToAllText, QMessageBox::YesRole);
    yes->setObjectName(QStringLiteral("TrashYes"));
    no->setObjectName(QStringLiteral("TrashNo"));
    all->setObjectName(QStringLiteral("TrashYesToAll"));
    box.setDefaultButton(yes);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    if (clicked == yes) {
        return TrashAnswer::Yes;
    }
    if (clicked == no) {
        return TrashAnswer::No;
    }
    if (clicked == all) {
        return TrashAnswer::YesToAll;
    }
    return TrashAnswer::Cancel;
}

} // namespace torvel
