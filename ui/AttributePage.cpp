#include "AttributePage.h"

#include "ui_MainForm.h"

#include <QButtonGroup>
#include <QLabel>

#include <array>
#include <optional>

#include "AttrChange.h"
#include "Preview.h"
#include "RunCommand.h"
#include "RunTypes.h"

namespace torvel {

AttributePage::AttributePage(Ui::TForm1& ui, const ListedFiles& listed)
    : m_list(listed.files())
    , m_groups{ui.RadioGroup4, ui.RadioGroup5, ui.RadioGroup6}
{
    QAbstractButton* items[3][2] = {{ui.RadioGroup4Item0, ui.RadioGroup4Item1},
                                    {ui.RadioGroup5Item0, ui.RadioGroup5Item1},
                                    {ui.RadioGroup6Item0, ui.RadioGroup6Item1}};
    for (int g = 0; g < attrGroupCount; ++g) {
        m_buttons[g] = new QButtonGroup(m_groups[g]);
        m_buttons[g]->addButton(items[g][0], static_cast<int>(AttrItem::Set));
        m_buttons[g]->addButton(items[g][1], static_cast<int>(AttrItem::Clear));
        // A choice of the person marks its group, also a click on the item
        // the group already shows: "設定" where the first file has the bit
        // still asks for the bit on every file. The program's own setting of
        // an item comes through the toggle, and SetRadio5 clears the marks
        // after it.
        QGroupBox* group = m_groups[g];
        connect(m_buttons[g], &QButtonGroup::idToggled, this, [this, group](int, bool checked) {
            if (checked) {
                ClickRadio5(group);
            }
        });
        connect(m_buttons[g], &QButtonGroup::idClicked, this,
                [this, group](int) { ClickRadio5(group); });
    }
    // "Hidden" means something else here than in a file manager.
    auto* note = new QLabel(QStringLiteral("※「隠しファイル」は Samba と Wine が読む拡張属性に"
                                           "記録します。ファイルマネージャーが隠すのは、"
                                           "名前が「.」で始まるファイルだけです。"),
                            ui.RadioGroup5->parentWidget());
    note->setObjectName(QStringLiteral("HiddenNote"));
    note->setWordWrap(true);
    QFont small = note->font();
    small.setPixelSize(12);
    note->setFont(small);
    note->setGeometry(10, 106, 530, 30);
}

void AttributePage::TSheetPro()
{
    SetRadio5();
}

void AttributePage::SetRadio5()
{
    const auto items = attrItemsOf(attrStartWord(m_list));
    for (int group = 0; group < attrGroupCount; ++group) {
        m_buttons[group]
            ->button(static_cast<int>(items[static_cast<std::size_t>(group)]))
            ->setChecked(true);
    }
    // Last: choosing an item above has marked its group as changed.
    for (int group = 0; group < attrGroupCount; ++group) {
        m_groups[group]->setProperty("Tag", attrTagUntouched(group));
    }
}

void AttributePage::ClickRadio5(QGroupBox* Sender)
{
    if (Sender == nullptr) {
        return;
    }
    const int tag = Sender->property("Tag").toInt();
    const int group = attrGroupOfTag(tag);
    if (group >= 0 && group < attrGroupCount) {
        m_groups[group]->setProperty("Tag", attrChangedTag(tag));
    }
}

AttrItem AttributePage::checkedItem(int group) const
{
    // A group with no item chosen counts as "解除".
    return m_buttons[group]->checkedId() == static_cast<int>(AttrItem::Set) ? AttrItem::Set
                                                                            : AttrItem::Clear;
}

RunResult AttributePage::Attr_Change(const std::string& folder,
                                     const std::vector<std::string>& names, RunCommand& run)
{
    std::array<AttrChoice, attrGroupCount> choices{};
    for (int group = 0; group < attrGroupCount; ++group) {
        const int tag = m_groups[group]->property("Tag").toInt();
        choices[static_cast<std::size_t>(group)] = attrChoice(checkedItem(group), tag);
    }
    AttrChangeInput input;
    input.masks = attrMasks(choices);
    input.folder = folder;
    if (input.masks.anyChange) {
        input.names = names;
    }
    // Journaled, so that 元に戻す gives the old attributes back.
    std::optional<RunResult> result =
        run.carryOut(static_cast<int>(input.names.size()),
                     [&](RunServices& services) { return torvel::Attr_Change(input, services); });
    if (!result) {
        return {};
    }
    SetRadio5();
    return std::move(*result);
}

} // namespace torvel
