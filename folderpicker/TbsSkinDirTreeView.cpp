#include "folderpicker/TbsSkinDirTreeView.h"

#include "folderpicker/FolderIcons.h"
#include "folderpicker/FolderNameOrder.h"
#include "platform/Platform.h"
#include "platform/Utf8.h"
#include "qt/QtText.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <vector>

namespace nuvero {

namespace {

// Suspends the tree's redrawing while many nodes change; nests (only the outermost
// guard turns drawing back on).
class RedrawSuspended {
public:
    explicit RedrawSuspended(QWidget* widget)
        : m_widget(widget)
        , m_wasEnabled(widget->updatesEnabled())
    {
        if (m_wasEnabled)
            m_widget->setUpdatesEnabled(false);
    }
    ~RedrawSuspended()
    {
        if (m_wasEnabled)
            m_widget->setUpdatesEnabled(true);
    }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    QWidget* m_widget;
    bool m_wasEnabled;
};

// The wait cursor for as long as a folder is being read; restored on every way out.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

std::string withTrailingBackslash(std::string path)
{
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
}

// The path handed to Folder::open: a drive root keeps its "\", a folder drops it.
std::string folderToOpen(const std::string& path)
{
    if (path.size() > 3 && path.back() == '\\')
        return path.substr(0, path.size() - 1);
    return path;
}

// A path component against a node's compare text, case ignored. Names that are not
// valid UTF-8 can only be matched byte for byte.
bool sameComponent(const std::string& nodeText, const std::string& component)
{
    if (nodeText == component)
        return true;
    if (!utf8::isValid(nodeText) || !utf8::isValid(component))
        return false;
    return FolderNameOrder::sameIgnoringCase(toQString(nodeText), toQString(component));
}

std::string rawName(const QTreeWidgetItem* node)
{
    return node->data(0, TbsSkinDirTreeView::FolderNameRole).toByteArray().toStdString();
}

} // namespace

TbsSkinDirTreeView::TbsSkinDirTreeView(QWidget* parent)
    : QTreeWidget(parent)
    , m_icons(std::make_unique<FolderIcons>())
{
    setColumnCount(1);
    setHeaderHidden(true);
    // One column as wide as its widest shown node, so long names scroll sideways instead
    // of being cut.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers); // no folder is made or renamed here
    setSortingEnabled(false); // each level is sorted once, when it is listed
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    setFont(font);
    // The selection stays as visible as with the focus when the tree loses it.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(
        QPalette::Inactive, QPalette::HighlightedText, colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
    resize(180, 120);

    connect(this, &QTreeWidget::itemExpanded, this, &TbsSkinDirTreeView::listChildren);

    Rebuild();
    if (QTreeWidgetItem* computer = computerNode())
        computer->setExpanded(true);
}

TbsSkinDirTreeView::~TbsSkinDirTreeView() = default;

void TbsSkinDirTreeView::Rebuild()
{
    RedrawSuspended suspended(this);
    clear();
    AddComputerNode();
    AddDrives();
}

void TbsSkinDirTreeView::AddComputerNode()
{
    RedrawSuspended suspended(this);
    clear();
    auto* computer = new QTreeWidgetItem(QStringList(toQString(platform::computerDisplayName())));
    computer->setIcon(0, m_icons->computer());
    computer->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    computer->setData(0, ListedRole, true); // its children are the drives, never a listing
    addTopLevelItem(computer);
}

void TbsSkinDirTreeView::AddDrives()
{
    QTreeWidgetItem* computer = computerNode();
    if (!computer)
        return;
    RedrawSuspended suspended(this);
    const std::uint32_t mask = platform::logicalDrives();
    QList<QTreeWidgetItem*> drives;
    for (int bit = 0; bit < 26; ++bit) {
        if ((mask & (std::uint32_t(1) << bit)) == 0)
            continue;
        const char letter = static_cast<char>('A' + bit);
        std::string label = platform::driveDisplayName(letter);
        if (const auto paren = label.find('('); paren != std::string::npos)
            label.erase(paren);
        const std::string text = std::string(" (") + letter + ":)  " + label;
        auto* drive = new QTreeWidgetItem(QStringList(toQString(text)));
        drive->setIcon(0, m_icons->drive(platform::driveType(letter)));
        // A drive always offers to expand until it has been listed.
        drive->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        drives.append(drive);
    }
    computer->addChildren(drives);
}

void TbsSkinDirTreeView::AddSubFolders(const std::string& path, QTreeWidgetItem* parent)
{
    const std::string folder = withTrailingBackslash(path);
    platform::Folder listing = platform::Folder::open(folderToOpen(folder));
    if (!listing.isOpen())
        return;
    // Each expand button is HasSubFolders of the subfolder, read with the listing: the
    // platform layer enters each subfolder from the listed folder instead of by path.
    std::vector<platform::Folder::Subfolder> subfolders;
    listing.readSubfolders(subfolders); // a listing that fails part-way still shows what it read
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(subfolders.size()));
    for (const platform::Folder::Subfolder& subfolder : subfolders) {
        auto* child = new QTreeWidgetItem(QStringList(toQString(subfolder.name)));
        child->setData(0, FolderNameRole, QByteArray::fromStdString(subfolder.name));
        child->setIcon(0, m_icons->folder());
        child->setChildIndicatorPolicy(
            subfolder.hasSubfolder ? QTreeWidgetItem::ShowIndicator : QTreeWidgetItem::DontShowIndicatorWhenChildless);
        children.append(child);
    }
    parent->addChildren(children);
}

bool TbsSkinDirTreeView::HasSubFolders(const std::string& path) const
{
    // Asked for every folder shown: reads only up to the first subfolder.
    platform::Folder listing = platform::Folder::open(folderToOpen(withTrailingBackslash(path)));
    return listing.isOpen() && listing.hasSubfolder();
}

void TbsSkinDirTreeView::listChildren(QTreeWidgetItem* node)
{
    if (!node || levelOf(node) == 0 || node->childCount() > 0 || node->data(0, ListedRole).toBool())
        return;
    WaitCursor waiting;
    const std::string path = GetNodePath(node);
    node->setData(0, ListedRole, true);
    // A node whose listing finds nothing loses its expand button.
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    AddSubFolders(path, node);

    QList<QTreeWidgetItem*> children = node->takeChildren();
    const FolderNameOrder order;
    std::stable_sort(children.begin(), children.end(), [&order](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        if (const int byText = order.compare(a->text(0), b->text(0)); byText != 0)
            return byText < 0;
        // Names that decode to the same text still get a fixed order.
        return a->data(0, FolderNameRole).toByteArray() < b->data(0, FolderNameRole).toByteArray();
    });
    node->addChildren(children);
}

std::string TbsSkinDirTreeView::GetNodePath(const QTreeWidgetItem* node)
{
    std::string path;
    for (const QTreeWidgetItem* step = node; step; step = step->parent()) {
        const int level = levelOf(step);
        if (level >= 2) {
            path = path.empty() ? rawName(step) : rawName(step) + '\\' + path;
        } else if (level == 1) {
            // Characters 3 and 4 of a drive node's text are its letter and colon.
            path = step->text(0).mid(2, 2).toLatin1().toStdString() + '\\' + path;
        }
    }
    NodePath = path;
    return path;
}

std::string TbsSkinDirTreeView::GetSelectedPath()
{
    const QTreeWidgetItem* node = selectedNode();
    return node ? GetNodePath(node) : std::string();
}

QTreeWidgetItem* TbsSkinDirTreeView::selectedNode() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

void TbsSkinDirTreeView::OpenPath(const std::string& path)
{
    if (path.empty() || utf8::countChars(path) == 1)
        return;
    const std::optional<std::uint32_t> attributes = platform::fileAttributes(path);
    if (!attributes || (*attributes & platform::Attr::Directory) == 0)
        return;
    const std::string target = withTrailingBackslash(path);

    bool matchedAll = false;
    {
        RedrawSuspended suspended(this);
        QTreeWidgetItem* match = computerNode();
        if (!match)
            return;
        if (match->childCount() == 0)
            AddDrives();
        std::string rest = target;
        for (auto slash = rest.find('\\'); slash != std::string::npos; slash = rest.find('\\')) {
            const std::string component = rest.substr(0, slash + 1);
            rest.erase(0, slash + 1);
            // The exact spelling wins over one that differs in case only: a host file
            // system may hold both "apple" and "APPLE".
            QTreeWidgetItem* found = nullptr;
            QTreeWidgetItem* foundIgnoringCase = nullptr;
            for (int i = 0; i < match->childCount() && !found; ++i) {
                QTreeWidgetItem* child = match->child(i);
                const std::string compareText = isDriveNode(child)
                    ? child->text(0).mid(2, 2).toLatin1().toStdString() + '\\'
                    : rawName(child) + '\\';
                if (compareText == component)
                    found = child;
                else if (!foundIgnoringCase && sameComponent(compareText, component))
                    foundIgnoringCase = child;
            }
            if (!found)
                found = foundIgnoringCase;
            if (!found)
                break;
            setCurrentItem(found);
            listChildren(found);
            found->setExpanded(true);
            match = found;
            matchedAll = rest.find('\\') == std::string::npos;
        }
    }
    if (QTreeWidgetItem* current = selectedNode())
        bringIntoView(current);
    if (matchedAll && !(sameComponent(CurrentPath, target)))
        CurrentPath = target;
}

void TbsSkinDirTreeView::bringIntoView(QTreeWidgetItem* node)
{
    scrollToItem(node);
    // The rows scroll into view above; a deep node may also lie right of the view.
    const QRect rect = visualItemRect(node);
    const int left = rect.left() - indentation(); // keep its expand button in sight
    if (left < 0 || rect.right() > viewport()->width())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + left);
}

bool TbsSkinDirTreeView::DriveReady(char letter, bool showMessage)
{
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    const bool ready = platform::driveReady(letter);
    if (!ready && showMessage) {
        QApplication::beep();
        QMessageBox box(QMessageBox::Warning, QString::fromLatin1(NotReadyTitle), QString::fromLatin1(NotReadyText),
            QMessageBox::Ok, this);
        box.exec();
    }
    return ready;
}

void TbsSkinDirTreeView::mousePressEvent(QMouseEvent* event)
{
    // What was hit is decided on the tree as the user saw it: the tree's own handling
    // may expand the node and, finding nothing in it, take its expand button away.
    QTreeWidgetItem* node = nodeHitAt(event->position().toPoint());
    QTreeWidget::mousePressEvent(event);
    NodePath.clear();
    PreviousPath = CurrentPath;
    if (!node)
        return;
    setCurrentItem(node);
    takePlaceOf(node);
    if (isDriveNode(node) && checksReadiness(driveLetterOf(node))) {
        // The warning box takes the rest of this press; the view must not go on
        // treating later mouse moves as a drag started here.
        setState(QAbstractItemView::NoState);
        if (!DriveReady(CurrentPath.front(), true)) {
            OpenPath(PreviousPath); // back to where the user was
            return;
        }
    }
    PreviousPath = CurrentPath;
}

void TbsSkinDirTreeView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_F5:
        // Picks up drives and media that came or went, and folders made since listing.
        Rebuild();
        if (!CurrentPath.empty() && CurrentPath != DrivesPlace)
            OpenPath(CurrentPath);
        event->accept();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right: {
        QTreeWidget::keyPressEvent(event); // the selection moves first
        QTreeWidgetItem* node = selectedNode();
        if (!node)
            return;
        takePlaceOf(node);
        // Reached by keys, an empty drive only gets the message; the selection stays.
        if (isDriveNode(node) && checksReadiness(driveLetterOf(node)))
            DriveReady(driveLetterOf(node), true);
        return;
    }
    default:
        QTreeWidget::keyPressEvent(event);
    }
}

QTreeWidgetItem* TbsSkinDirTreeView::nodeHitAt(const QPoint& pos) const
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return nullptr;
    QTreeWidgetItem* node = itemFromIndex(index);
    const QRect rect = visualRect(index);
    // The expand button sits in the indentation step just left of the node.
    if (pos.x() < rect.left()) {
        const bool hasButton = node->childCount() > 0 || node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
        return hasButton && pos.x() >= rect.left() - indentation() ? node : nullptr;
    }
    // Icon and text: the width the delegate needs, not the rest of the row.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = rect;
    const int contentWidth = itemDelegate()->sizeHint(option, index).width();
    return pos.x() < rect.left() + contentWidth ? node : nullptr;
}

void TbsSkinDirTreeView::takePlaceOf(QTreeWidgetItem* node)
{
    if (levelOf(node) == 0) {
        if (node->childCount() == 0)
            AddDrives();
        else
            GetNodePath(node);
        CurrentPath = DrivesPlace;
    } else {
        CurrentPath = GetNodePath(node);
    }
}

bool TbsSkinDirTreeView::isDriveNode(const QTreeWidgetItem* node)
{
    return node && levelOf(node) == 1;
}

char TbsSkinDirTreeView::driveLetterOf(const QTreeWidgetItem* node)
{
    const QString text = node->text(0);
    return text.size() > 2 ? static_cast<char>(text.at(2).toLatin1()) : '\0';
}

bool TbsSkinDirTreeView::isRemovableDrive(char letter)
{
    const platform::DriveType type = platform::driveType(letter);
    return type == platform::DriveType::Removable || type == platform::DriveType::CdRom;
}

bool TbsSkinDirTreeView::checksReadiness(char letter)
{
    return isRemovableDrive(letter) || !platform::driveAnswers(letter);
}

int TbsSkinDirTreeView::levelOf(const QTreeWidgetItem* node)
{
    int level = 0;
    for (const QTreeWidgetItem* up = node->parent(); up; up = up->parent())
        ++level;
    return level;
}

} // namespace nuvero
