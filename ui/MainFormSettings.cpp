// The main window's settings: reading the settings file into the window and
// its parts at start-up, and writing them back when the window closes.
#include "MainForm.h"
#include "SettingsRecord.h"
#include "Utf8Text.h"

#include "ui_MainForm.h"

#include "FileSelection.h"
#include "FolderPanel.h"
#include "ProfileFile.h"
#include "RenamePage.h"
#include "RunTypes.h"
#include "SettingsPath.h"
#include "WindowHelp.h"

namespace torvel {

void TForm1::IniRead()
{
    const ProfileFile profile = ProfileFile::load(m_settingsPath);
    SettingsRecord settings = readSettings(profile, m_baseDir);
    // A first start has no destination the person chose: files opened from
    // the file manager are renamed where they are rather than moved into the
    // start-up folder. A settings file without the key is read as it always
    // was.
    if (profile.isMissing()) {
        settings.saveMethodText = saveMethodToText(SaveMode::Rename);
    }
    applySettings(settings);
}

void TForm1::applySettings(const SettingsRecord& settings)
{
    // Each value takes effect at once, and a check box whose state changes
    // runs its handler as a click would.
    SearchDirChange(settings.searchDir);
    m_selection->setSourceExtension(settings.searchExt);
    ChangeDirChange(settings.changeDir);
    m_rename->applySettings(settings);
    m_saveMethodText = settings.saveMethodText;
    ui->NonPreCheck->setChecked(settings.preview);
    ui->CheckBox2->setChecked(settings.helpHint);
    m_help->applyHints(settings.helpHint);
    m_layout->applySettings(settings);
}

SettingsRecord TForm1::currentSettings() const
{
    SettingsRecord settings;
    settings.searchDir = m_folders->sourceFolder();
    settings.searchExt = m_selection->sourceExtension();
    settings.changeDir = m_folders->destinationFolder();
    m_rename->fillSettings(settings);
    settings.saveMethodText = m_saveMethodText;
    settings.preview = ui->NonPreCheck->isChecked();
    settings.helpHint = ui->CheckBox2->isChecked();
    m_layout->fillSettings(settings);
    return settings;
}

void TForm1::FormClose()
{
    m_layout->keepPlace();
    m_saveMethodText = saveMethodToText(m_folders->saveMethod());
    IniWrite();
}

void TForm1::IniWrite()
{
    // Loaded afresh: whatever was edited in the file while the program ran
    // stays, except the keys written here.
    ProfileFile profile = ProfileFile::load(m_settingsPath);
    writeSettings(currentSettings(), profile);
    // The per-user settings folder is made on the first close.
    if (!makeFoldersFor(m_settingsPath) || profile.save()) {
        // The window closes all the same: the person is not held in a program
        // that cannot save its settings.
        showErrorMessage(QStringLiteral("%1 に書き込めません").arg(pathText(m_settingsPath)));
    }
}

} // namespace torvel
