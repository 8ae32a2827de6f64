#pragma once

#include <QObject>

class QMenu;
class QWidget;

namespace torvel {

class HelpWindow;

// The main window's help: its help window, made at its first use and closed
// with the window, and whether the controls show their hints.
class WindowHelp : public QObject
{
    Q_OBJECT
public:
    // hintsMenu: the menu whose items show their hints with the controls'.
    WindowHelp(QWidget* window, QMenu* hintsMenu);

    HelpWindow& helpWindow();
    void showTopic(int topic);
    void showContents();
    // The help window closes with the main window.
    void quit();

    void applyHints(bool show);
    bool hintsShown() const { return m_showHints; }

Q_SIGNALS:
    void topicRequested(int topic);
    void contentsRequested();
    void quitRequested();

private:
    QWidget* m_window;
    QMenu* m_hintsMenu;
    bool m_showHints = true;
    HelpWindow* m_helpWindow = nullptr;
};

} // namespace torvel
