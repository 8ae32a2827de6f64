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

void showOptions(QWidget& form, const RenameOptions& options)
{
    for (const SettingRow& row : settingRows()) {
        if (auto* box = controlOf<QLineEdit>(form, row))
            box->setText(QString::fromStdString(*fieldIn<std::string>(options, row.field)));
        else if (auto* upDown = controlOf<UpDown>(form, row))
            upDown->setPosition(*fieldIn<int>(options, row.field));
        else if (auto* check = controlOf<QCheckBox>(form, row))
            check->setChecked(*fieldIn<bool>(options, row.field));
        else if (auto* sort = controlOf<QComboBox>(form, row))
            sort->setCurrentIndex(itemOfSortOrder(*fieldIn<SortOrder>(options, row.field)));
    }
}

void readOptions(const QWidget& form, RenameOptions& options)
{
    for (const SettingRow& row : settingRows()) {
        if (const auto* box = controlOf<QLineEdit>(form, row)) {
            *fieldIn<std::string>(options, row.field) = box->text().toStdString();
        } else if (const auto* upDown = controlOf<UpDown>(form, row)) {
            *fieldIn<int>(options, row.field) = upDown->position();
        } else if (const auto* check = controlOf<QCheckBox>(form, row)) {
            *fieldIn<bool>(options, row.field) = check->isChecked();
        } else if (const auto* sort = controlOf<QComboBox>(form, row)) {
            if (const auto order = sortOrderOfItem(sort->currentIndex()))
                *fieldIn<SortOrder>(options, row.field) = *order;
        }
    }
}

} // namespace torvel
