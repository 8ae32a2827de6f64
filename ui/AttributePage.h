#pragma once

#include <QObject>

#include <string>
#include <vector>

class QButtonGroup;
class QGroupBox;

namespace torvel {

namespace Ui {
class TForm1;
}

class ListedFiles;
class TMyFileList;
class RunCommand;
enum class AttrItem;
struct RunResult;

// The attribute page: read-only, hidden and archive, each set or cleared on
// every listed file. A group counts only once the person has chosen one of
// its items since the page was last filled from the first file.
class AttributePage : public QObject
{
    Q_OBJECT
public:
    // listed: the preview, whose file list the page is filled from.
    AttributePage(Ui::TForm1& ui, const ListedFiles& listed);

    void TSheetPro();
    // Fills the groups from the first file and marks them untouched.
    void SetRadio5();
    void ClickRadio5(QGroupBox* Sender);
    // Applies the groups the person changed to the named files of `folder`;
    // nothing is changed when the run could not start.
    RunResult Attr_Change(const std::string& folder, const std::vector<std::string>& names,
                          RunCommand& run);

private:
    AttrItem checkedItem(int group) const;

    const TMyFileList& m_list;
    QGroupBox* m_groups[3];     // RadioGroup4 to 6: read-only, hidden, archive
    QButtonGroup* m_buttons[3]; // each group's two items
};

} // namespace torvel
