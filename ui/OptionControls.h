#pragma once

class QComboBox;
class QWidget;

namespace torvel {

struct RenameOptions;

// The rename page's controls, found on the form by the objectName each
// option's row names (session/SettingRows.cpp).

// Fills the sort box with one item per sort order, in the table's order.
void fillSortBox(QComboBox& box);
// Fills each choice box on the form with its row's items, in the order of
// the row's choices.
void fillChoiceBoxes(QWidget& form);
// Sets every control from the options, in the settings file's key order; a
// check box whose state changes runs its handler as a click would.
void showOptions(QWidget& form, const RenameOptions& options);
// The options as the controls show them; a sort box with no item chosen
// leaves the order as it is.
void readOptions(const QWidget& form, RenameOptions& options);

} // namespace torvel
