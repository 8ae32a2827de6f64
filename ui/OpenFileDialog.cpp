// The open-file dialog: one folder listed from its bytes, the three filters,
// several files chosen at once, and a name box that also takes typed names.
#include "OpenFileDialog.h"
#include "Utf8Text.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QFileIconProvider>
#include <QGridLayout>
#include <QHash>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <utility>

#include "ByteText.h"
#include "FileInfo.h"
#include "FolderHandle.h"
#include "FolderIdentity.h"
#include "FolderNamespace.h"
#include "IoError.h"
#include "NameCollation.h"
#include "NameRules.h"
#include "NameText.h"

namespace torvel {

namespace {

// A path for the person: each name decoded on its own.
QString shownPath(std::string_view path)
{
    return utf8Text(displayPath(path));
}

bool wildcardMatch(std::string_view name, std::string_view pattern)
{
    // Iterative "*" matching with one point to return to.
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starAt = std::string_view::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size()
            && (pattern[p] == '?' || asciiLower(pattern[p]) == asciiLower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace

const std::vector<OpenDialogFilter>& openDialogFilters()
{
    static const std::vector<OpenDialogFilter> filters = {
        // Besides the classic types, the photos of today's cameras and
        // telephones, their raw files included: what the program reads
        // shooting dates from.
        {QStringLiteral("画像(jpg,bmp,gif)"),
         {"*.jpg", "*.gif",  "*.bmp",  "*.je",  "*.jp",   "*.jpeg", "*.jpe",
          "*.png", "*.heic", "*.heif", "*.tif", "*.tiff", "*.nef",  "*.cr2",
          "*.cr3", "*.arw",  "*.orf",  "*.rw2", "*.dng",  "*.raf"}},
        {QStringLiteral("テキスト(txt,prn)"), {"*.txt", "*.prn"}},
        {QStringLiteral("その他(*.*)"), {"*.*"}},
    };
    return filters;
}

bool matchesFilePattern(std::string_view name, std::string_view pattern)
{
    if (pattern == "*.*") {
        return true;
    }
    return wildcardMatch(name, pattern);
}

// ---------------------------------------------------------------------------
// The folder's entries: folders first, then files, each in name order.

class FolderEntries : public QAbstractListModel
{
public:
    struct Entry
    {
        std::string name;
        QString shown;
        std::string sortKey;
        bool isFolder = false;
    };

    using QAbstractListModel::QAbstractListModel;

    void setListing(const std::vector<ListedEntry>& listed)
    {
        m_all.clear();
        m_all.reserve(listed.size());
        for (const ListedEntry& entry : listed) {
            // Names beginning with "." are hidden, as the desktop hides them.
            if (entry.name.empty() || entry.name.front() == '.') {
                continue;
            }
            m_all.push_back({entry.name, utf8Text(displayName(entry.name)),
                             m_collator.sortKey(entry.name), entry.isFolder});
        }
        std::sort(m_all.begin(), m_all.end(), [](const Entry& a, const Entry& b) {
            if (a.isFolder != b.isFolder) {
                return a.isFolder;
            }
            return compareNameKeys(a.sortKey, a.name, b.sortKey, b.name) < 0;
        });
    }

    void applyPatterns(const std::vector<std::string>& patterns)
    {
        beginResetModel();
        m_shown.clear();
        for (std::size_t i = 0; i < m_all.size(); ++i) {
            const Entry& entry = m_all[i];
            const bool passes = entry.isFolder
                                || std::any_of(patterns.begin(), patterns.end(),
                                               [&entry](const std::string& pattern) {
                                                   return matchesFilePattern(entry.name, pattern);
                                               });
            if (passes) {
                m_shown.push_back(i);
            }
        }
        endResetModel();
    }

    const Entry& at(int row) const { return m_all[m_shown[static_cast<std::size_t>(row)]]; }

    // The shown row whose name is the widest in these metrics; -1 for none.
    int widestRow(const QFontMetrics& metrics) const
    {
        // Measuring 100,000 names one by one takes seconds. The sum of their
        // characters' advances, each character measured once, ranks them
        // nearly as well; only the few ranked first are measured whole.
        constexpr std::size_t kMeasured = 32;
        QHash<QChar, int> advances;
        std::vector<std::pair<int, int>> ranked; // estimated width, row
        ranked.reserve(m_shown.size());
        for (std::size_t row = 0; row < m_shown.size(); ++row) {
            int estimate = 0;
            for (const QChar c : m_all[m_shown[row]].shown) {
                auto found = advances.find(c);
                if (found == advances.end()) {
                    found = advances.insert(c, metrics.horizontalAdvance(c));
                }
                estimate += *found;
            }
            ranked.emplace_back(estimate, static_cast<int>(row));
        }
        const auto candidates =
            ranked.begin() + static_cast<std::ptrdiff_t>(std::min(kMeasured, ranked.size()));
        std::partial_sort(ranked.begin(), candidates, ranked.end(), std::greater<>());
        int widest = -1;
        int widestWidth = -1;
        for (auto it = ranked.begin(); it != candidates; ++it) {
            const int width = metrics.horizontalAdvance(at(it->second).shown);
            if (width > widestWidth) {
                widest = it->second;
                widestWidth = width;
            }
        }
        return widest;
    }

    // The listed name shown as `shown`, when exactly one is.
    const Entry* shownAs(const QString& shown) const
    {
        const Entry* found = nullptr;
        for (const Entry& entry : m_all) {
            if (!entry.isFolder && entry.shown == shown) {
                if (found != nullptr) {
                    return nullptr;
                }
                found = &entry;
            }
        }
        return found;
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount()) {
            return {};
        }
        const Entry& entry = at(index.row());
        if (role == Qt::DisplayRole) {
            return entry.shown;
        }
        if (role == Qt::DecorationRole) {
            return m_icons.icon(entry.isFolder ? QAbstractFileIconProvider::Folder
                                               : QAbstractFileIconProvider::File);
        }
        return {};
    }

private:
    NameCollator m_collator;
    QFileIconProvider m_icons;
    std::vector<Entry> m_all;
    std::vector<std::size_t> m_shown;
};

// ---------------------------------------------------------------------------
// Every entry is given the room of the widest name. The list still measures
// a single entry, as it does with uniform sizes, but that entry is the widest
// rather than whichever comes last, so no name is cut short.

class WidestNameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setWidestRow(int row) { m_widestRow = row; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QAbstractItemModel* model = index.model();
        if (model != nullptr && m_widestRow >= 0 && m_widestRow < model->rowCount(index.parent())) {
            return QStyledItemDelegate::sizeHint(option,
                                                 model->index(m_widestRow, 0, index.parent()));
        }
        return QStyledItemDelegate::sizeHint(option, index);
    }

private:
    int m_widestRow = -1;
};

// ---------------------------------------------------------------------------
// The dialog

OpenFileDialog::OpenFileDialog(const OpenDialogSetup& setup, QWidget* parent)
    : QDialog(parent)
    , m_setup(setup)
{
    buildControls(setup);
    if (!enterFolder(setup.folder)) {
        m_folder = withTrailingSlash(setup.folder);
        m_place->setText(shownPath(m_folder));
    }
}

OpenFileDialog::~OpenFileDialog() = default;

void OpenFileDialog::buildControls(const OpenDialogSetup& setup)
{
    setWindowTitle(setup.title);
    resize(560, 380);
    m_entries = new FolderEntries(this);
    QHBoxLayout* placeRow = buildPlaceRow();

    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("FileList"));
    m_list->setModel(m_entries);
    m_names = new WidestNameDelegate(m_list);
    m_list->setItemDelegate(m_names);
    m_list->setViewMode(QListView::ListMode);
    m_list->setFlow(QListView::TopToBottom);
    m_list->setWrapping(true);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("FileName"));
    m_filter = new QComboBox(this);
    m_filter->setObjectName(QStringLiteral("FileType"));
    for (const OpenDialogFilter& filter : openDialogFilters()) {
        m_filter->addItem(filter.description);
    }
    const int index = std::clamp(setup.filterIndex, 1, m_filter->count()) - 1;
    m_filter->setCurrentIndex(index);

    auto* open = new QPushButton(QStringLiteral("開く(&O)"), this);
    open->setObjectName(QStringLiteral("OpenButton"));
    open->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto* nameLabel = new QLabel(QStringLiteral("ファイル名(&N):"), this);
    nameLabel->setBuddy(m_name);
    auto* typeLabel = new QLabel(QStringLiteral("ファイルの種類(&T):"), this);
    typeLabel->setBuddy(m_filter);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("場所:"), this), 0, 0);
    grid->addLayout(placeRow, 0, 1, 1, 2);
    grid->addWidget(m_list, 1, 0, 1, 3);
    grid->addWidget(nameLabel, 2, 0);
    grid->addWidget(m_name, 2, 1);
    grid->addWidget(open, 2, 2);
    grid->addWidget(typeLabel, 3, 0);
    grid->addWidget(m_filter, 3, 1);
    grid->addWidget(cancel, 3, 2);
    grid->setColumnStretch(1, 1);

    connect(open, &QPushButton::clicked, this, &OpenFileDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &OpenFileDialog::reject);
    connect(m_list, &QListView::activated, this, &OpenFileDialog::entryActivated);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &OpenFileDialog::selectionChanged);
    connect(m_name, &QLineEdit::textEdited, this, &OpenFileDialog::nameTyped);
    connect(m_filter, &QComboBox::currentIndexChanged, this, &OpenFileDialog::relist);
    // The focus starts in the name box, ready for a typed or pasted name.
    m_name->setFocus();
}

QHBoxLayout* OpenFileDialog::buildPlaceRow()
{
    m_place = new QLabel(this);
    m_place->setObjectName(QStringLiteral("Place"));
    m_place->setFrameShape(QFrame::StyledPanel);
    m_place->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* row = new QHBoxLayout;
    row->addWidget(m_place, 1);

    const auto addButton = [this, row](const char* name, QStyle::StandardPixmap icon,
                                       const QString& text, const QString& tip, auto onClick) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setIcon(style()->standardIcon(icon));
        button->setText(text);
        button->setToolTip(tip);
        button->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly
                                                  : Qt::ToolButtonTextBesideIcon);
        connect(button, &QToolButton::clicked, this, onClick);
        row->addWidget(button);
    };
    addButton("UpButton", QStyle::SP_FileDialogToParent, QString(),
              QStringLiteral("1 つ上のフォルダへ"), [this] { goUp(); });
    // The places a person keeps files in, one click away from any folder.
    addButton("HomeButton", QStyle::SP_DirHomeIcon, QStringLiteral("ホーム"),
              QStringLiteral("ホームフォルダへ"),
              [this] { enterFolder(detectFolderPlaces().home); });
    addButton("DesktopButton", QStyle::SP_DesktopIcon, QStringLiteral("デスクトップ"),
              QStringLiteral("デスクトップへ"),
              [this] { enterFolder(detectFolderPlaces().desktop); });
    return row;
}

bool OpenFileDialog::enterFolder(const std::string& folder)
{
    const std::string path = withTrailingSlash(folder);
    std::vector<ListedEntry> listed;
    if (const int rc = listFolder(path, listed); rc != 0) {
        showMessage(shownPath(path) + QStringLiteral("\nフォルダを開けません。\n")
                    + utf8Text(ioErrorText(rc)));
        return false;
    }
    m_folder = path;
    m_place->setText(shownPath(path));
    m_place->setToolTip(m_place->text());
    m_entries->setListing(listed);
    relist();
    return true;
}

void OpenFileDialog::relist()
{
    const auto& filters = openDialogFilters();
    const auto index = static_cast<std::size_t>(std::max(m_filter->currentIndex(), 0));
    m_entries->applyPatterns(filters[std::min(index, filters.size() - 1)].patterns);
    m_names->setWidestRow(m_entries->widestRow(m_list->fontMetrics()));
    m_name->clear();
    m_nameFromList = true;
}

void OpenFileDialog::selectionChanged()
{
    QModelIndexList rows = m_list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QStringList names;
    for (const QModelIndex& row : rows) {
        if (!m_entries->at(row.row()).isFolder) {
            names << m_entries->at(row.row()).shown;
        }
    }
    m_name->setText(names.size() == 1 ? names.front()
                    : names.isEmpty() ? QString()
                                      : QLatin1Char('"') + names.join(QStringLiteral("\" \""))
                                            + QLatin1Char('"'));
    m_nameFromList = true;
}

void OpenFileDialog::nameTyped()
{
    m_nameFromList = false;
}

void OpenFileDialog::entryActivated(const QModelIndex& index)
{
    if (!index.isValid()) {
        return;
    }
    const FolderEntries::Entry& entry = m_entries->at(index.row());
    if (entry.isFolder) {
        enterFolder(m_folder + entry.name);
    } else {
        accept();
    }
}

void OpenFileDialog::goUp()
{
    if (m_folder != "/") {
        const std::string up = parentFolder(m_folder);
        enterFolder(up.empty() ? "/" : up);
    }
}

void OpenFileDialog::accept()
{
    m_chosen.clear();
    const QString typed = m_name->text().trimmed();
    const bool chosen = m_nameFromList || typed.isEmpty() ? chooseSelected() : chooseTyped(typed);
    if (chosen) {
        QDialog::accept();
    } else {
        m_chosen.clear();
    }
}

bool OpenFileDialog::chooseSelected()
{
    QModelIndexList rows = m_list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    std::vector<std::string> names;
    const FolderEntries::Entry* folder = nullptr;
    for (const QModelIndex& row : rows) {
        const FolderEntries::Entry& entry = m_entries->at(row.row());
        if (entry.isFolder) {
            folder = &entry;
        } else {
            names.push_back(entry.name);
        }
    }
    if (names.empty()) {
        // A folder alone is opened rather than chosen.
        if (folder != nullptr && rows.size() == 1) {
            enterFolder(m_folder + folder->name);
        }
        return false;
    }
    const FolderHandle here(m_folder);
    for (std::string& name : names) {
        if (!chooseOne(here, std::move(name))) {
            return false;
        }
    }
    return true;
}

bool OpenFileDialog::chooseTyped(const QString& text)
{
    // Nothing typed chooses nothing; the dialog stays open.
    if (text.trimmed().isEmpty()) {
        return false;
    }
    QStringList typed;
    if (text.contains(QLatin1Char('"'))) {
        const QStringList parts = text.split(QLatin1Char('"'));
        for (qsizetype i = 1; i < parts.size(); i += 2) {
            if (!parts[i].trimmed().isEmpty()) {
                typed << parts[i];
            }
        }
    } else {
        typed << text;
    }
    if (typed.isEmpty()) {
        return false;
    }
    if (typed.size() == 1) {
        // A folder is opened; a path to a file is chosen from its own folder.
        std::string path = nameFromUserText(typed.front().toStdString());
        if (path.front() != '/') {
            path = m_folder + path;
        }
        if (folderExists(path)) {
            enterFolder(path);
            return false;
        }
        if (!typed.front().contains(QLatin1Char('/'))) {
            return chooseOne(FolderHandle(m_folder),
                             entryShownAs(FolderHandle(m_folder), typed.front()));
        }
        const std::size_t slash = path.rfind('/');
        if (!folderExists(path.substr(0, slash + 1)) || !enterFolder(path.substr(0, slash + 1))) {
            showMessage(shownPath(path)
                        + QStringLiteral("\nパスが存在しません。\nパス名を確認してください。"));
            return false;
        }
        typed.front() = utf8Text(path.substr(slash + 1));
    }
    const FolderHandle here(m_folder);
    for (const QString& name : typed) {
        if (!chooseOne(here, entryShownAs(here, name))) {
            return false;
        }
    }
    return true;
}

std::string OpenFileDialog::entryShownAs(const FolderHandle& folder, const QString& shown) const
{
    // A name typed as the list shows it: the listed file's own bytes, which
    // differ from the text's when the name is not UTF-8.
    std::string name = nameFromUserText(shown.toStdString());
    if (!fileExists(folder, name)) {
        if (const FolderEntries::Entry* entry = m_entries->shownAs(shown)) {
            name = entry->name;
        }
    }
    return name;
}

bool OpenFileDialog::chooseOne(const FolderHandle& folder, std::string name)
{
    if (!fileExists(folder, name) && extensionOf(name).empty() && !m_setup.defaultExt.empty()) {
        name += '.' + m_setup.defaultExt;
    }
    if (name.find('/') != std::string::npos || !fileExists(folder, name)) {
        showMessage(
            utf8Text(displayName(name))
            + QStringLiteral("\nファイルが見つかりません。\nファイル名を確認してください。"));
        return false;
    }
    m_chosen.push_back(m_folder + name);
    return true;
}

void OpenFileDialog::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box.exec();
}

} // namespace torvel
