#pragma once

#include <QTreeWidget>

#include <memory>
#include <string>

class QKeyEvent;
class QMouseEvent;

namespace nuvero {

class FolderIcons;

// The drive and folder tree of the folder picker: one computer node, one node per
// logical drive under it, and under each drive its folders, read from the disk only when
// a node is first expanded.
//
// Paths are program paths (UTF-8, "C:\data"). A folder node keeps the exact bytes of its
// name (FolderNameRole), so a host name that is not valid UTF-8 still yields the path the
// platform layer listed, even though its shown text had to be decoded.
//
// Everything runs on the window's thread: folder reads block it and show the wait cursor.
class TbsSkinDirTreeView : public QTreeWidget {
    Q_OBJECT

public:
    // Data roles of the nodes.
    static constexpr int FolderNameRole = Qt::UserRole + 1; // QByteArray: raw folder name
    static constexpr int ListedRole = Qt::UserRole + 2; // bool: children were read

    // Shown by DriveReady for a drive without a readable medium or that does not answer.
    static constexpr const char* NotReadyTitle = "Warning";
    static constexpr const char* NotReadyText = "There is no disk in Drive or Drive is not ready";
    // CurrentPath while the computer node is the place the user is at.
    static constexpr const char* DrivesPlace = "Drives";

    // Builds the computer node and the drives and expands the computer node, selecting
    // nothing.
    explicit TbsSkinDirTreeView(QWidget* parent = nullptr);
    ~TbsSkinDirTreeView() override;

    // Clears the tree and adds the computer node with one node per drive (collapsed).
    void Rebuild();
    // Removes every node and adds the computer node alone.
    void AddComputerNode();
    // Appends one node per logical drive, in letter order, under the computer node.
    void AddDrives();
    // Adds one child per subfolder of the folder at path, in listing order. A folder that
    // cannot be listed adds nothing.
    void AddSubFolders(const std::string& path, QTreeWidgetItem* parent);
    // True when the folder at path holds at least one subfolder.
    bool HasSubFolders(const std::string& path) const;
    // Full path of a node: "" for the computer node, "C:\" for a drive, "C:\a\b" for a
    // folder. Also kept in NodePath.
    std::string GetNodePath(const QTreeWidgetItem* node);
    // GetNodePath of the selected node; "" when nothing is selected.
    std::string GetSelectedPath();
    // Expands the tree down to an existing folder and selects it. Empty, one-character
    // and non-folder paths are ignored; a walk that finds no node for a component stops
    // at the deepest node matched.
    void OpenPath(const std::string& path);
    // Is a readable medium in the drive? With showMessage, a drive that is not ready
    // beeps and shows the "Warning" box before false is returned.
    bool DriveReady(char letter, bool showMessage);

    // The selected node, or nullptr (the current item alone does not count).
    QTreeWidgetItem* selectedNode() const;
    QTreeWidgetItem* computerNode() const { return topLevelItem(0); }
    // Scrolls the tree so that the node's row, and its text, can be seen.
    void bringIntoView(QTreeWidgetItem* node);
    // Lists a node's subfolders unless that was done since the last rebuild.
    void listChildren(QTreeWidgetItem* node);

    // The place the user is at: the selected node's path, "Drives" for the computer
    // node, or the path OpenPath opened (with a trailing "\").
    std::string CurrentPath;
    // CurrentPath before the last mouse press; where a press on an empty drive goes back.
    std::string PreviousPath;
    // Result of the last GetNodePath.
    std::string NodePath;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // What a press at a viewport position hit: a node's expand button, icon or text.
    QTreeWidgetItem* nodeHitAt(const QPoint& pos) const;
    // Steps shared by the mouse and key handlers: path of the node, then CurrentPath.
    void takePlaceOf(QTreeWidgetItem* node);
    static bool isDriveNode(const QTreeWidgetItem* node);
    static char driveLetterOf(const QTreeWidgetItem* node);
    static bool isRemovableDrive(char letter);
    // A drive whose readiness is checked when it is reached: a removable or CD-ROM drive,
    // and any drive that does not answer within 2 s (a dead network share).
    static bool checksReadiness(char letter);
    static int levelOf(const QTreeWidgetItem* node);

    std::unique_ptr<FolderIcons> m_icons;
};

} // namespace nuvero
