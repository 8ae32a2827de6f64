#include "OptionControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "SettingRows.h"
#include "UpDown.h"
#include "Utf8Text.h"

namespace torvel {

namespace {

template <typename Control>
Control* controlOf(const QWidget& form, const SettingRow& row)
{
    if (!isRenameOption(row) || row.control.empty())
        return nullptr;
    return form.findChild<Control*>(
        QString::fromUtf8(row.control.data(), static_cast<qsizetype>(row.control.size())));
}

} // namespace

void fillSortBox(QComboBox& box)
{
    box.clear();
    for (const SortRow& row : sortRows())
        box.addItem(utf8Text(row.label));
}

void fillChoiceBoxes(QWidget& form)
{
    for (const SettingRow& row : settingRows()) {
        if (row.kind != ValueKind::Choice) {
            continue;
        }
        if (auto* box = controlOf<QComboBox>(form, row)) {
            box->clear();
            for (const SettingChoice& choice : row.choices) {
                box->addItem(utf8Text(choice.label));
            }
        }
    }
}

// A row whose control is not on the form, or is of a kind its value does
// not fit, is passed over: the option keeps its value.
void showOptions(QWidget& form, const RenameOptions& options)
{
    for (const SettingRow& row : settingRows()) {
        const auto* text = fieldIn<std::string>(options, row.field);
        const auto* number = fieldIn<int>(options, row.field);
        const auto* on = fieldIn<bool>(options, row.field);
        const auto* order = fieldIn<SortOrder>(options, row.field);
        auto* box = controlOf<QComboBox>(form, row);
        if (auto* edit = controlOf<QLineEdit>(form, row); edit && text)
            edit->setText(QString::fromStdString(*text));
        else if (auto* upDown = controlOf<UpDown>(form, row); upDown && number)
            upDown->setPosition(*number);
        else if (auto* check = controlOf<QCheckBox>(form, row); check && on)
            check->setChecked(*on);
        else if (box && order)
            box->setCurrentIndex(itemOfSortOrder(*order));
        else if (box && text)
            box->setCurrentText(QString::fromStdString(*text));
        else if (box && row.kind == ValueKind::Choice)
            box->setCurrentIndex(choiceIn(options, row));
    }
}

void readOptions(const QWidget& form, RenameOptions& options)
{
    for (const SettingRow& row : settingRows()) {
        auto* text = fieldIn<std::string>(options, row.field);
        auto* number = fieldIn<int>(options, row.field);
        auto* on = fieldIn<bool>(options, row.field);
        auto* order = fieldIn<SortOrder>(options, row.field);
        const auto* box = controlOf<QComboBox>(form, row);
        if (const auto* edit = controlOf<QLineEdit>(form, row); edit && text) {
            *text = edit->text().toStdString();
        } else if (const auto* upDown = controlOf<UpDown>(form, row); upDown && number) {
            *number = upDown->position();
        } else if (const auto* check = controlOf<QCheckBox>(form, row); check && on) {
            *on = check->isChecked();
        } else if (box && order) {
            if (const auto chosen = sortOrderOfItem(box->currentIndex()))
                *order = *chosen;
        } else if (box && text) {
            *text = box->currentText().toStdString();
        } else if (box && row.kind == ValueKind::Choice && box->currentIndex() >= 0
                   && static_cast<std::size_t>(box->currentIndex()) < row.choices.size()) {
            setChoice(options, row, box->currentIndex());
        }
    }
}

} // namespace torvel
