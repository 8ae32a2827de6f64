#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

class QMessageBox;
class QUrl;

namespace torvel {

struct OpenDialogSetup;
enum class Page;
enum class StatusKind;

// What the parts of the main window ask of the window itself: the status
// line, the boxes it shows on their behalf, and the few facts that belong to
// the whole window. The window implements it; a test's window answers in the
// person's place.
class FormHost
{
public:
    virtual void StatusWrite(StatusKind kind, const QString& text) = 0;
    // An error the person must see at once, in a modal message box.
    virtual void showErrorMessage(const QString& text) = 0;
    // A plain modal message box.
    virtual void showPlainMessage(const QString& text) = 0;
    // Shows a modal message box and gives the standard button pressed.
    virtual int messageBox(QMessageBox& box) = 0;
    // The open-file dialog: the full paths chosen, or nothing when cancelled.
    virtual std::optional<std::vector<std::string>> runOpenDialog(const OpenDialogSetup& setup) = 0;
    // Opens a folder in the desktop's file manager.
    virtual void openInFileManager(const QUrl& folder) = 0;
    // The number of files in the file list.
    virtual int fileListCount() const = 0;
    // The page in front.
    virtual Page currentPage() const = 0;

protected:
    ~FormHost() = default;
};

// The two folders of the window, as the parts that do not choose them read
// them. Both end in "/".
class FolderChoice
{
public:
    virtual const std::string& sourceFolder() const = 0;
    virtual const std::string& destinationFolder() const = 0;

protected:
    ~FolderChoice() = default;
};

} // namespace torvel
