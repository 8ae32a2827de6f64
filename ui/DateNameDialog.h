#pragma once

#include <QDialog>

#include "RenameOptions.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;

namespace torvel {

// The date in the new names and the case of their extensions, in a dialog of
// the オプション menu: the rename page has no room for them. Its controls
// carry the objectNames of their options' rows, and the dialog is the main
// window's child, so the page reads and shows them as it does its own. A
// choice counts as soon as it is made, as the page's do; キャンセル puts back
// the choices the dialog opened with.
class DateNameDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 3060;

    explicit DateNameDialog(QWidget* window);

    // Shows the dialog, not modal: the preview behind it follows each choice,
    // and its help can be read beside it.
    void start();
    // The line under the choices: the first file's new name, or why none
    // can be made (a warning).
    void showExample(const QString& text, bool warning);

    void reject() override;

Q_SIGNALS:
    // A choice changed: the names are to be made again.
    void choicesChanged();
    void helpWanted(int topic);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void connectControls();
    void updateControls();

    QComboBox* m_source;  // DateSourceBox
    QComboBox* m_format;  // DateFormatBox
    QCheckBox* m_after;   // DateAfterCheck
    QCheckBox* m_perDate; // DateNumberCheck
    QComboBox* m_extCase; // ExtCaseBox
    QLabel* m_example;    // DateExample
    QDialogButtonBox* m_buttons;
    RenameOptions m_opened; // the choices as the dialog opened
};

} // namespace torvel
