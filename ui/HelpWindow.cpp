#include "HelpWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
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
    QAction* contents = m_toolBar->addAction(QStringLiteral("目次(&C)"), this, [this] { showContents(); });
    contents->setObjectName(QStringLiteral("HelpContents"));
    m_back = m_toolBar->addAction(QStringLiteral("戻る(&B)"));
    m_back->setObjectName(QStringLiteral("HelpBack"));
    m_forward = m_toolBar->addAction(QStringLiteral("進む(&N)"));
    m_forward->setObjectName(QStringLiteral("HelpForward"));
    m_toolBar->addSeparator();
    QAction* close = m_toolBar->addAction(QStringLiteral("閉じる(&X)"), this, [this] { quit(); });
    close->setObjectName(QStringLiteral("HelpClose"));

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

    setHelpFolder(QCoreApplication::applicationDirPath() + QStringLiteral("/help"));
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
    m_browser->setHtml(QStringLiteral("<h2>ヘルプが見つかりません</h2><p>ヘルプのファイル %1 がありません。"
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
    const QString page = m_browser->documentTitle();
    setWindowTitle(page.isEmpty() ? kTitle : kTitle + QStringLiteral(" - ") + page);
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
