// The component that takes files dropped from the desktop, and the file URIs
// those drops carry.
#include "FileDrop.h"

#include "ByteText.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QByteArray>
#include <QDropEvent>
#include <QMessageBox>
#include <QMetaMethod>
#include <QMimeData>
#include <QSysInfo>

#include <exception>
#include <stdexcept>

namespace torvel {

namespace {

const QString kUriList = QStringLiteral("text/uri-list");

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
           && equalsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool isThisHost(std::string_view host)
{
    if (host.empty() || (host.size() == 9 && startsWithIgnoringCase(host, "localhost"))) {
        return true;
    }
    const QByteArray own = QSysInfo::machineHostName().toUtf8();
    return host == std::string_view(own.constData(), static_cast<std::size_t>(own.size()));
}

// The local path of one line of a uri-list, or "" when it names none.
std::string pathOfFileUri(std::string_view uri)
{
    if (!startsWithIgnoringCase(uri, "file:")) {
        return {};
    }
    uri.remove_prefix(5);
    if (uri.substr(0, 2) == "//") {
        uri.remove_prefix(2);
        const std::size_t slash = uri.find('/');
        if (slash == std::string_view::npos || !isThisHost(uri.substr(0, slash))) {
            return {};
        }
        uri.remove_prefix(slash);
    }
    // A "?" or "#" that belongs to a name is percent-encoded; a bare one
    // starts a query or a fragment, which names no part of the path.
    uri = uri.substr(0, uri.find_first_of("?#"));
    std::string path = percentDecoded(uri);
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos) {
        return {};
    }
    return path;
}

bool offersFiles(const QMimeData* mime)
{
    return mime != nullptr && mime->hasFormat(kUriList)
           && !filePathsFromUriList(mime->data(kUriList)).empty();
}

// Whatever the desktop proposes, the files stay where they are: a drop only
// names them. A drag that can only move is not taken.
bool takeAsCopy(QDropEvent* event)
{
    for (Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        if (event->possibleActions().testFlag(action)) {
            event->setDropAction(action);
            event->accept();
            return true;
        }
    }
    event->ignore();
    return false;
}

} // namespace

// ---------------------------------------------------------------------------
// File URIs

std::vector<std::string> filePathsFromUriList(const QByteArray& uriList)
{
    std::vector<std::string> paths;
    std::string_view rest(uriList.constData(), static_cast<std::size_t>(uriList.size()));
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (std::string path = pathOfFileUri(line); !path.empty()) {
            paths.push_back(std::move(path));
        }
    }
    return paths;
}

QByteArray fileUriOf(std::string_view path)
{
    return QByteArray("file://") + QByteArray::fromStdString(percentEncodedPath(path));
}

// ---------------------------------------------------------------------------
// The component

TFileDrop::TFileDrop(QObject* owner)
    : QObject(owner)
{}

TFileDrop::~TFileDrop()
{
    Uninstall();
}

void TFileDrop::setAccept(bool accept)
{
    m_accept = accept;
    if (m_target != nullptr) {
        m_target->setAcceptDrops(accept);
    }
}

void TFileDrop::setControl(QWidget* control)
{
    Uninstall();
    if (m_control != nullptr) {
        disconnect(m_control, &QObject::destroyed, this, nullptr);
    }
    m_control = control;
    if (control != nullptr) {
        connect(control, &QObject::destroyed, this, &TFileDrop::controlDestroyed);
        Install();
    }
}

void TFileDrop::Loaded()
{
    if (m_control == nullptr) {
        Install();
    }
}

void TFileDrop::controlDestroyed()
{
    m_control = nullptr;
    m_target = nullptr;
    m_accept = false;
}

QWidget* TFileDrop::dropTargetOf(QWidget* control)
{
    // A scroll area's contents are drawn, and dropped on, in its viewport.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) {
        return area->viewport();
    }
    return control;
}

void TFileDrop::Install()
{
    QWidget* target = nullptr;
    if (m_control != nullptr) {
        target = dropTargetOf(m_control);
    } else if (auto* owner = qobject_cast<QWidget*>(parent());
               owner != nullptr && owner->isWindow()) {
        target = owner;
    }
    if (target == nullptr) {
        throw std::logic_error("Invalidate Window Handle in FileDrop");
    }
    m_target = target;
    target->installEventFilter(this);
    target->setAcceptDrops(m_accept);
}

void TFileDrop::Uninstall()
{
    if (m_target != nullptr) {
        m_target->removeEventFilter(this);
        m_target->setAcceptDrops(false);
    }
    m_target = nullptr;
}

bool TFileDrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_target || !m_accept) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        // The list is read once when the drag comes in, not at every move of
        // the mouse: a drag of many thousand files makes a long list.
        if (event->type() == QEvent::DragEnter) {
            m_dragOffersFiles = offersFiles(drag->mimeData());
        }
        if (!m_dragOffersFiles) {
            return QObject::eventFilter(watched, event);
        }
        takeAsCopy(drag);
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!m_dragOffersFiles) {
            return QObject::eventFilter(watched, event);
        }
        m_dragOffersFiles = false;
        if (takeAsCopy(drop)) {
            DropFiles(*drop);
        }
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void TFileDrop::DropFiles(const QDropEvent& drop)
{
    if (!isSignalConnected(QMetaMethod::fromSignal(&TFileDrop::OnFileDrop))) {
        return;
    }
    QWidget* window = m_target != nullptr ? m_target->window() : nullptr;
    try {
        const std::vector<std::string> files =
            filePathsFromUriList(drop.mimeData()->data(kUriList));
        const QPoint at = drop.position().toPoint();
        Q_EMIT OnFileDrop(this, static_cast<int>(files.size()), files, at.x(), at.y());
    } catch (const std::exception& error) {
        QMessageBox::critical(window, QApplication::applicationName(),
                              QString::fromLocal8Bit(error.what()));
    }
}

} // namespace torvel
