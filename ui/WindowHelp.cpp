#include "WindowHelp.h"

#include <QMenu>

#include "HelpWindow.h"

namespace torvel {

WindowHelp::WindowHelp(QWidget* window, QMenu* hintsMenu)
    : QObject(window)
    , m_window(window)
    , m_hintsMenu(hintsMenu)
{}

HelpWindow& WindowHelp::helpWindow()
{
    if (m_helpWindow == nullptr) {
        // A window of its own beside the form, but the form's child: it never
        // keeps the program running once the form is closed.
        m_helpWindow = new HelpWindow(m_window);
        connect(this, &WindowHelp::quitRequested, m_helpWindow, &HelpWindow::quit);
    }
    return *m_helpWindow;
}

void WindowHelp::showTopic(int topic)
{
    Q_EMIT topicRequested(topic);
    helpWindow().showTopic(topic);
}

void WindowHelp::showContents()
{
    Q_EMIT contentsRequested();
    helpWindow().showContents();
}

void WindowHelp::quit()
{
    Q_EMIT quitRequested();
}

void WindowHelp::applyHints(bool show)
{
    m_showHints = show;
    m_hintsMenu->setToolTipsVisible(show);
}

} // namespace torvel
