#include "AboutBox.h"

#include "AppIcon.h"
#include "TorvelVersion.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace torvel {

namespace {

QFont formFont(const QString& family, int pixelSize, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

const QString kGothic = QStringLiteral("ＭＳ Ｐゴシック");
const QString kMincho = QStringLiteral("ＭＳ Ｐ明朝");

} // namespace

QString ProgramVersion()
{
    return QString::fromLatin1(torvelVersion);
}

TForm2::TForm2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("トルベリオ  バージョン情報"));
    setWindowIcon(applicationIcon());
    setFont(formFont(kGothic, 15));
    setFixedSize(418, 208);
    buildControls();
}

QLabel* TForm2::addLabel(QWidget* parent, const char* name, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

void TForm2::buildControls()
{
    m_panel2 = new QFrame(this);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_panel2->setGeometry(-1, 0, 417, 205);

    auto* image1 = new QLabel(m_panel2);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(productPicture());
    image1->move(30, 22);
    image1->adjustSize();

    auto* panel1 = new QFrame(m_panel2);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1->setGeometry(177, 17, 221, 81);

    addLabel(panel1, "Label1", QStringLiteral("ファイル管理ユーティリティ"), 11, 6);
    QLabel* label2 = addLabel(panel1, "Label2", QStringLiteral("ト ル ベ リ オ"), 33, 25);
    label2->setFont(formFont(kGothic, 27, true));
    label2->setStyleSheet(QStringLiteral("color: navy;"));
    label2->setGeometry(33, 25, 160, 27);
    addLabel(panel1, "Label3", QStringLiteral("バージョン  ："), 43, 56);
    QLabel* label4 = addLabel(panel1, "Label4", ProgramVersion(), 138, 55);
    label4->setFont(formFont(kGothic, 17, true));
    label4->adjustSize();

    addLabel(m_panel2, "Label5", QStringLiteral("制作者"), 196, 108);
    QLabel* label6 = addLabel(m_panel2, "Label6", QStringLiteral("TORVEL"), 278, 105);
    label6->setFont(formFont(kMincho, 17, true));
    label6->adjustSize();
    // Where the credit once gave a person's e-mail address, it names the team.
    addLabel(m_panel2, "Label8", QStringLiteral("TORVEL 開発チーム"), 205, 129);

    auto* button1 = new QPushButton(QStringLiteral("閉じる"), m_panel2);
    button1->setObjectName(QStringLiteral("Button1"));
    button1->setGeometry(154, 160, 94, 31);
    button1->setDefault(true);
    connect(button1, &QPushButton::clicked, this, &TForm2::Button1Click);
}

void TForm2::Button1Click()
{
    done(QDialog::Accepted);
}

void TForm2::About1Click(QWidget* mainWindow)
{
    TForm2 box(mainWindow);
    if (mainWindow != nullptr)
        box.move(mainWindow->x() + 100, mainWindow->y() + 110);
    // The panel starts one pixel left of the client area; its right edge and
    // its height bound what is shown.
    box.setFixedSize(box.m_panel2->geometry().right() + 1, box.m_panel2->height());
    box.exec();
}

} // namespace torvel
