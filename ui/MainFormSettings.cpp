// The main window's settings: reading the settings file into the controls at
// start-up, and writing the controls back into it when the window closes.
#include "MainForm.h"

#include "ui_MainForm.h"
#include "RunTypes.h"

#include <QMessageBox>

#include "FolderNamespace.h"
#include "ProfileFile.h"
#include "StartupGeometry.h"
#include "UpDown.h"

namespace torvel {

void TForm1::IniRead()
{
    applySettings(readSettings(ProfileFile::load(m_settingsPath), m_baseDir));
}

void TForm1::applySettings(const SettingsRecord& settings)
{
    // In the file's order; each value takes effect at once, and a check box
    // whose state changes runs its handler as a click would. So UPPER and
    // LOWWER both on end with lower case only: LOWWER comes second.
    SearchDirChange(settings.searchDir);
    SearchExt = settings.searchExt;
    ui->MaeSort->setCurrentIndex(settings.sort);
    ChangeDirChange(settings.changeDir);
    ui->Edit1->setText(QString::fromStdString(settings.changeName));
    ui->UpDown2->setPosition(settings.changeNom);
    ui->UpDown1->setPosition(settings.changeDigit);
    ui->Edit3->setText(QString::fromStdString(settings.changeExt));
    m_saveMethodText = settings.saveMethodText;
    ui->UpCheck->setChecked(settings.upper);
    ui->LowCheck->setChecked(settings.lowwer);
    ui->NonPreCheck->setChecked(settings.preview);
    ui->CheckBox2->setChecked(settings.helpHint);
    applyHints(settings.helpHint);
    ui->JuuhukuCheck->setChecked(settings.duplicate);
    ui->CheckBox1->setChecked(settings.sameName);
    ui->KetaCheck->setChecked(settings.column);
    ui->KetaName->setChecked(settings.columnName);
    ui->ExtCheck->setChecked(settings.extCheck);
    ButtonSide = settings.buttonSide != 0 ? 1 : 0;
    m_formLeft = settings.formLeft;
    m_formTop = settings.formTop;
    // The height must fit the screen the window opens on.
    HeightSize = static_cast<std::uint8_t>(heightSizeForScreen(settings.heightSize, screenHeight()));
    checkHeightItem(HeightSize);
}

SettingsRecord TForm1::currentSettings() const
{
    SettingsRecord settings;
    settings.searchDir = SearchDir;
    settings.searchExt = SearchExt;
    settings.sort = ui->MaeSort->currentIndex();
    settings.changeDir = ChangeDir;
    settings.changeName = ui->Edit1->text().toStdString();
    settings.changeNom = ui->UpDown2->position();
    settings.changeDigit = ui->UpDown1->position();
    settings.changeExt = ui->Edit3->text().toStdString();
    settings.saveMethodText = m_saveMethodText;
    settings.upper = ui->UpCheck->isChecked();
    settings.lowwer = ui->LowCheck->isChecked();
    settings.preview = ui->NonPreCheck->isChecked();
    settings.helpHint = ui->CheckBox2->isChecked();
    settings.duplicate = ui->JuuhukuCheck->isChecked();
    settings.sameName = ui->CheckBox1->isChecked();
    settings.column = ui->KetaCheck->isChecked();
    settings.columnName = ui->KetaName->isChecked();
    settings.extCheck = ui->ExtCheck->isChecked();
    settings.buttonSide = ButtonSide;
    settings.heightSize = HeightSize;
    settings.formLeft = m_formLeft;
    settings.formTop = m_formTop;
    return settings;
}

void TForm1::FormClose()
{
    m_formTop = y();
    m_formLeft = x();
    m_saveMethodText = saveMethodToText(SaveMethod);
    IniWrite();
}

void TForm1::IniWrite()
{
    // Loaded afresh: whatever was edited in the file while the program ran
    // stays, except the keys written here.
    ProfileFile profile = ProfileFile::load(m_settingsPath);
    writeSettings(currentSettings(), profile);
    if (profile.save()) {
        // The window closes all the same: the person is not held in a program
        // that cannot save its settings.
        showErrorMessage(QStringLiteral("%1 に書き込めません").arg(displayName(m_settingsPath)));
    }
}

void TForm1::showErrorMessage(const QString& text)
{
    QMessageBox::critical(this, QStringLiteral("TORVEL"), text);
}

} // namespace torvel
