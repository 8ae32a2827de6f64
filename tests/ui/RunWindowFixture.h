#pragma once
// The main window on real files for the tests of its run command: a source
// and a destination folder, the trash and the run journals in folders of the
// test's own, and what the person saw and was asked, collected.
#include <QAction>
#include <QPainter>
#include <QRadioButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "MainFormFixture.h"
#include "PreviewGrid.h"
#include "RunFeedback.h"
#include "StatusLine.h"
#include "UFolderTree.h"
#include "WindowFeedback.h"
#include "common/ScratchDir.h"

namespace torvel::testing {

using Names = std::vector<std::string>;
using TrashAnswer = RunFeedback::TrashAnswer;

// Points the trash and the run journals at folders of the test's own for
// the test's life.
class TemporaryTrash
{
public:
    TemporaryTrash()
    {
        for (const char* name : {"XDG_DATA_HOME", "XDG_STATE_HOME"}) {
            if (const char* old = std::getenv(name)) {
                m_saved.emplace_back(name, old);
            }
        }
        ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    }
    ~TemporaryTrash()
    {
        ::unsetenv("XDG_DATA_HOME");
        ::unsetenv("XDG_STATE_HOME");
        for (const auto& [name, value] : m_saved) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
    }
    TemporaryTrash(const TemporaryTrash&) = delete;
    TemporaryTrash& operator=(const TemporaryTrash&) = delete;

    Names files() const { return data.names("Trash/files"); }

    ScratchDir data;
    ScratchDir state;

private:
    std::vector<std::pair<std::string, std::string>> m_saved;
};

// Identifier TOR, start 1, two digits, the extension kept, names shown at
// once, taken names not avoided, both folders the source folder.
inline SettingsRecord runSettings(const std::string& folder)
{
    SettingsRecord settings;
    settings.searchDir = folder;
    settings.changeDir = folder;
    settings.rename.identifier = "TOR";
    settings.rename.startNumber = 1;
    settings.rename.digits = 2;
    settings.rename.changeExtension = false;
    settings.preview = true;
    settings.rename.avoidDuplicates = false; // JuuhukuCheck off: a series may take its own names
    settings.saveMethodText = "RENAME";
    return settings;
}

class RunWindow : public ::testing::Test
{
protected:
    RunWindow()
    {
        form.show();
        settle();
        // What the person saw on the status line, text by text.
        QObject::connect(status(), &StatusLine::drawPanel, &form,
                         [this](QPainter*, int, const QRect&) {
                             const QString text = status()->panelText(1);
                             if (painted.isEmpty() || painted.back() != text) {
                                 painted << text;
                             }
                         });
        form.runFeedback().setFailureBox([this](const QString& text) {
            failures << text;
            statusAtFailureBox = status()->panelText(1);
        });
        form.runFeedback().setTrashBox([this](const QString& path) {
            asked << path;
            if (whileAsked) {
                whileAsked();
            }
            if (answers.empty()) {
                return TrashAnswer::No;
            }
            const TrashAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }

    // Files with their own names as contents, chosen as the file selection
    // chooses them, and the grid drawn with their new names.
    void choose(const Names& names)
    {
        for (const std::string& name : names) {
            if (!src.has(name)) {
                src.write(name, name);
            }
        }
        form.setSelectedFiles(names);
        form.SearchDirChange(src.path());
        form.FileProp();
        form.RadioButtonIndex(form.saveMethod());
        form.StringGrid1Write(true);
    }

    // The destination chosen in the folder tree, as a click there does.
    void chooseDestination(const std::string& folder)
    {
        auto* tree = child<TFoldertreeEX>(form, "DirTree");
        tree->Reload(); // a folder made since the tree was filled
        tree->SelectPath(folder);
        ASSERT_EQ(form.destinationFolder(), folder);
    }

    Names column(int column) const
    {
        Names cells;
        const PreviewGrid& grid = form.previewGrid();
        for (int row = 1; row < grid.RowCount(); ++row) {
            cells.push_back(grid.cell(column, row));
        }
        return cells;
    }

    StatusLine* status() const { return child<StatusLine>(form, "StatusBar1"); }
    QToolButton* runButton() const { return child<QToolButton>(form, "TorvelButton"); }
    QAction* runItem() const { return child<QAction>(form, "R2"); }
    QRadioButton* radio(const char* name) const { return child<QRadioButton>(form, name); }

    // No file is left under a temporary name of the rename.
    static bool noTemporaryNames(const ScratchDir& folder)
    {
        for (const std::string& name : folder.names()) {
            if (name.rfind("_jd[", 0) == 0) {
                return false;
            }
        }
        return true;
    }

    TemporaryTrash trash;
    ScratchDir src;
    ScratchDir dst;
    TestForm form{runSettings(src.path())};
    QStringList painted;
    QStringList failures;
    QString statusAtFailureBox;
    QStringList asked;
    std::deque<TrashAnswer> answers;
    std::function<void()> whileAsked;
};

} // namespace torvel::testing
