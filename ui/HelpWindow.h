#pragma once
// The program's help: Japanese HTML pages in the folder "help" beside the
// executable, shown by topic number in a window of the program's own.

#include <QString>
#include <QWidget>

class QTextBrowser;
class QToolBar;
class QAction;

namespace torvel {

class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    // The property that carries a control's help topic number, as the
    // form's controls have it.
    static constexpr const char* kHelpContextProperty = "HelpContext";

    explicit HelpWindow(QWidget* parent = nullptr);

    // The folder the pages are read from; "help" beside the executable unless set.
    void setHelpFolder(const QString& folder);
    QString helpFolder() const { return m_folder; }

    // Shows the contents page; false when the help pages cannot be found.
    bool showContents();
    // Shows the page of a topic number; an unknown number shows the contents
    // instead and gives false.
    bool showTopic(int topicNumber);
    // Closes the help window; the pages shown so far are forgotten.
    void quit();

    // The page file of a topic number ("topic1010.html"), or of the contents.
    static QString topicFile(int topicNumber);
    static QString contentsFile();

    // The help topic of a control: its own, else the nearest of its parents';
    // 0 when none carries one.
    static int helpContextOf(const QWidget* widget);

    QTextBrowser* browser() const { return m_browser; }

private:
    QAction* addToolAction(const QString& text, const QString& name);
    bool showPage(const QString& fileName);
    void showMissing(const QString& path);
    void updateTitle();

    QString m_folder;
    QTextBrowser* m_browser = nullptr;
    QToolBar* m_toolBar = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
};

} // namespace torvel
