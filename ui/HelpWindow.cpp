#include "HelpWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QKeySequence>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QVariant>

namespace torvel {

namespace {

const QString kTitle = QStringLiteral("トルベリオ ヘルプ");

} // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(kTitle);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(15);
    setFont(font);
    resize(720, 600);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("HelpToolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* contents = addToolAction(QStringLiteral("目次(&C)"), QStringLiteral("HelpContents"));
    connect(contents, &QAction::triggered, this, [this] { showContents(); });
    m_back = addToolAction(QStringLiteral("戻る(&B)"), QStringLiteral("HelpBack"));
    m_forward = addToolAction(QStringLiteral("進む(&N)"), QStringLiteral("HelpForward"));
    m_toolBar->addSeparator();
    QAction* close = addToolAction(QStringLiteral("閉じる(&X)"), QStringLiteral("HelpClose"));
    connect(close, &QAction::triggered, this, [this] { quit(); });
    // Escape closes the window too, as it closes a dialog.
    auto* escape = new QAction(this);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(escape, &QAction::triggered, this, [this] { quit(); });
    addAction(escape);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(false);
    m_browser->setOpenLinks(true);
    m_browser->document()->setDocumentMargin(12);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_browser);

    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] { updateTitle(); });

    // Installed as the file-system hierarchy wants it, bin/ and share/ side by
    // side; the build tree is laid out the same way.
    setHelpFolder(QDir::cleanPath(QCoreApplication::applicationDirPath()
                                  + QStringLiteral("/../share/torvel/help")));
}

QAction* HelpWindow::addToolAction(const QString& text, const QString& name)
{
    // A tool button shows its action's icon text, which drops the "&" of the
    // text and with it the marked letter; given with the "&", the letter is
    // underlined and Alt+letter presses the button.
    QAction* action = m_toolBar->addAction(text);
    action->setObjectName(name);
    action->setIconText(text);
    return action;
}

void HelpWindow::setHelpFolder(const QString& folder)
{
    m_folder = folder;
    m_browser->setSearchPaths({folder});
}

QString HelpWindow::topicFile(int topicNumber)
{
    return QStringLiteral("topic%1.html").arg(topicNumber);
}

QString HelpWindow::contentsFile()
{
    return QStringLiteral("index.html");
}

bool HelpWindow::showContents()
{
    return showPage(contentsFile());
}

bool HelpWindow::showTopic(int topicNumber)
{
    if (topicNumber > 0 && QFileInfo(m_folder + QLatin1Char('/') + topicFile(topicNumber)).isFile())
        return showPage(topicFile(topicNumber));
    showContents();
    return false;
}

bool HelpWindow::showPage(const QString& fileName)
{
    const QString path = m_folder + QLatin1Char('/') + fileName;
    const bool found = QFileInfo(path).isFile();
    if (found)
        m_browser->setSource(QUrl::fromLocalFile(path));
    else
        showMissing(path);
    show();
    raise();
    activateWindow();
    return found;
}

void HelpWindow::showMissing(const QString& path)
{
    m_browser->clearHistory();
    m_browser->setHtml(
        QStringLiteral("<h2>ヘルプが見つかりません</h2><p>ヘルプのファイル %1 がありません。"
                       "プログラムを入れ直してください。</p>")
            .arg(path.toHtmlEscaped()));
    updateTitle();
}

void HelpWindow::quit()
{
    close();
    m_browser->clearHistory();
}

void HelpWindow::updateTitle()
{
    // The contents page carries the window's own title; it is not said twice.
    const QString page = m_browser->documentTitle().trimmed();
    setWindowTitle(page.isEmpty() || page == kTitle ? kTitle
                                                    : kTitle + QStringLiteral(" - ") + page);
}

int HelpWindow::helpContextOf(const QWidget* widget)
{
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const int topic = w->property(kHelpContextProperty).toInt();
        if (topic != 0)
            return topic;
        if (w->isWindow())
            break;
    }
    return 0;
}

} // namespace torvel
