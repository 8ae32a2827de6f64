#pragma once

#include <QObject>
#include <QPointer>

#include <string>
#include <string_view>
#include <vector>

class QByteArray;
class QDropEvent;
class QMimeData;
class QWidget;

namespace torvel {

// Takes files dropped from the desktop onto one control and hands their full
// paths on, once per drop. The paths are the bytes the file system stores:
// a name that is not UTF-8 arrives as it is, and a path is never cut.
//
// The control is the one set in Control; without one, the window that owns
// the component once the window is built (Loaded). On a scroll area such as
// a table the drops land on its viewport, and X and Y are in its coordinates.
class TFileDrop : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Accept READ Accept WRITE setAccept)

public:
    explicit TFileDrop(QObject* owner);
    ~TFileDrop() override;

    // Whether the control takes drops at all; true from the start.
    bool Accept() const { return m_accept; }
    void setAccept(bool accept);

    QWidget* Control() const { return m_control; }
    void setControl(QWidget* control);

    // The owner has been built: without a Control the component serves the
    // owner itself, which must be a window.
    void Loaded();

Q_SIGNALS:
    // Num items dropped at (X, Y); Files are their full paths, in the order
    // the desktop gave them.
    void OnFileDrop(QObject* Sender, int Num, const std::vector<std::string>& Files, int X, int Y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Hands one drop on to OnFileDrop; an error raised there is shown and
    // goes no further.
    virtual void DropFiles(const QDropEvent& drop);
    virtual void Install();
    virtual void Uninstall();

private:
    void controlDestroyed();
    static QWidget* dropTargetOf(QWidget* control);

    bool m_accept = true;
    bool m_dragOffersFiles = false; // what the drag under way offered when it came in
    QPointer<QWidget> m_control;
    QPointer<QWidget> m_target; // the widget installed on, when installed
};

// The full paths of the local files a text/uri-list names, in its order:
// each file URI's path percent-decoded to bytes. Comments, other schemes,
// files on other hosts and paths holding a NUL byte are left out.
std::vector<std::string> filePathsFromUriList(const QByteArray& uriList);

// The file URI of a path of bytes, every byte outside the unreserved set and
// "/" percent-encoded, so that any name survives.
QByteArray fileUriOf(std::string_view path);

} // namespace torvel
