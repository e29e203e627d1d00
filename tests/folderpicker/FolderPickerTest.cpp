// The folder picker on drives mapped onto real temporary folders: C: holds "apple/core",
// "Banana" (a file only), "cherry" (empty), "Windows/System32" and the file "notes.txt";
// D: is an empty drive.
#include "folderpicker/TbsSelDirDlgForm.h"
#include "folderpicker/TbsSkinDirTreeView.h"
#include "folderpicker/TbsSkinSelectDirectoryDialog.h"
#include "platform/Platform.h"
#include "support/MessageBoxDriver.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <optional>

using namespace nuvero;
using namespace nuvero::test;

namespace {

QStringList childTexts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; node && i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

QTreeWidgetItem* childNamed(const QTreeWidgetItem* node, const QString& text)
{
    const int index = childTexts(node).indexOf(text);
    return index < 0 ? nullptr : node->child(index);
}

// A drive's node by its letter: the texts read " (C:)  label".
QTreeWidgetItem* driveNode(const TbsSkinDirTreeView& tree, char letter)
{
    for (int i = 0; i < tree.computerNode()->childCount(); ++i) {
        if (tree.computerNode()->child(i)->text(0).mid(2, 2) == QString(QChar(letter)) + ':')
            return tree.computerNode()->child(i);
    }
    return nullptr;
}

bool showsExpandButton(const QTreeWidgetItem* node)
{
    return node->childCount() > 0 || node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

QPoint onText(const TbsSkinDirTreeView& tree, const QTreeWidgetItem* node)
{
    const QRect rect = tree.visualItemRect(node);
    return QPoint(rect.left() + tree.iconSize().width() + 8, rect.center().y());
}

// CurrentPath, PreviousPath, NodePath and the selected node's path (which sets NodePath).
QStringList place(TbsSkinDirTreeView& tree)
{
    const std::string nodePath = tree.NodePath;
    const std::string selected = tree.GetSelectedPath();
    tree.NodePath = nodePath;
    QStringList paths;
    for (const std::string& path : { tree.CurrentPath, tree.PreviousPath, nodePath, selected })
        paths << QString::fromStdString(path);
    return paths;
}

// Execute with the action run once inside its modal loop (the action closes the window):
// 1 for OK, 0 for Cancel, -1 when the action never ran.
int execute(TbsSkinSelectDirectoryDialog& picker, const std::function<void(TbsSelDirDlgForm&)>& action)
{
    bool ran = false;
    QTimer poll; // keeps firing inside the modal loop
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* window = qobject_cast<TbsSelDirDlgForm*>(QApplication::activeModalWidget());
        if (window && window->isVisible() && !std::exchange(ran, true))
            action(*window);
    });
    poll.start(5);
    const bool confirmed = picker.Execute();
    return ran ? int(confirmed) : -1;
}

} // namespace

class FolderPickerTest : public QObject {
    Q_OBJECT

    std::optional<TempTree> m_c;
    std::optional<TempTree> m_d;
    std::optional<TestDrives> m_drives;

    void mapAlso(std::map<char, std::string> more)
    {
        more.emplace('C', m_c->root());
        more.emplace('D', m_d->root());
        m_drives->map(more);
    }

private slots:
    void init()
    {
        m_c.emplace();
        m_d.emplace();
        m_drives.emplace();
        for (const char* folder : { "apple/core", "cherry", "Windows/System32" })
            m_c->makeDir(folder);
        m_c->makeFile("Banana/peel.txt", "x");
        m_c->makeFile("notes.txt", "x");
        mapAlso({});
    }

    void cleanup()
    {
        m_drives.reset();
        m_c.reset();
        m_d.reset();
    }

    // Drives in letter order, read only when expanded; folders sorted by letters with case
    // only breaking ties, files never nodes; expand buttons exact; a listing happens once.
    void drivesAndFoldersInTheirOrder()
    {
        TempTree e;
        for (const char* name :
            { "cherry", "Banana", "apple", "banana", "Apple", "Abcd", "abc", "ABC", "b2", "B10", ".h" })
            e.makeDir(std::string("sorted/") + name);
        e.makeFile("sorted/a file.txt");
        mapAlso({ { 'E', e.path("sorted") }, { 'G', e.path("Data(1)") } });
        e.makeDir("Data(1)");
        TbsSkinDirTreeView tree;
        QVERIFY(tree.computerNode()->isExpanded() && tree.selectedItems().isEmpty());
        QCOMPARE(childTexts(tree.computerNode()).last(), QStringLiteral(" (G:)  Data")); // label cut at "("
        QTreeWidgetItem* c = driveNode(tree, 'C');
        QTreeWidgetItem* d = driveNode(tree, 'D');
        QCOMPARE(c->childCount(), 0);
        QVERIFY(showsExpandButton(c) && showsExpandButton(d));
        driveNode(tree, 'E')->setExpanded(true);
        QCOMPARE(childTexts(driveNode(tree, 'E')),
            (QStringList { ".h", "abc", "ABC", "Abcd", "apple", "Apple", "B10", "b2", "banana", "Banana", "cherry" }));
        c->setExpanded(true);
        // "apple" holds "core", "Banana" a file only, "cherry" nothing.
        QVERIFY(showsExpandButton(childNamed(c, "apple")) && !showsExpandButton(childNamed(c, "Banana"))
            && !showsExpandButton(childNamed(c, "cherry")));
        d->setExpanded(true);
        QVERIFY(!showsExpandButton(d));
        m_d->makeDir("later"); // shows only after a rebuild
        d->setExpanded(false);
        d->setExpanded(true);
        QCOMPARE(d->childCount(), 0);
        // Links are never folders, and another drive's root is not shown inside this one:
        // neither is listed nor earns its folder an expand button.
        TempTree f;
        f.makeDir("target/inner");
        f.makeSymlink("toTarget", "target");
        f.makeDir("viaLink");
        f.makeSymlink("viaLink/toTarget", "../target");
        f.makeDir("holdsDrive/hRoot/inner");
        mapAlso({ { 'F', f.root() }, { 'H', f.path("holdsDrive/hRoot") } });
        TbsSkinDirTreeView withLinks;
        QTreeWidgetItem* driveF = driveNode(withLinks, 'F');
        driveF->setExpanded(true);
        QCOMPARE(childTexts(driveF), (QStringList { "holdsDrive", "target", "viaLink" }));
        QVERIFY(showsExpandButton(childNamed(driveF, "target")));
        QVERIFY(!showsExpandButton(childNamed(driveF, "holdsDrive")));
        QVERIFY(!showsExpandButton(childNamed(driveF, "viaLink")));
    }

    void openPath()
    {
        // On a case-sensitive host a twin spelling shows that the walk takes the exact name first.
        m_c->makeDir("APPLE/inner");
        m_c->makeDir("caf\xe9/inner"); // Latin-1, as an old disk may hold: its node keeps the bytes
        const struct {
            const char* path;
            const char* selected; // "" for none
            const char* currentPath;
        } cases[] = {
            { "C:\\apple\\core", "C:\\apple\\core", "C:\\apple\\core\\" },
            { "c:\\apple", "C:\\apple", "c:\\apple\\" },
            { "C:\\APPLE\\inner", "C:\\APPLE\\inner", "C:\\APPLE\\inner\\" },
            { "C:\\Banana\\", "C:\\Banana", "C:\\Banana\\" },
            { "d:\\", "D:\\", "d:\\" },
            { "C:\\caf\xe9\\inner", "C:\\caf\xe9\\inner", "C:\\caf\xe9\\inner\\" },
            { "", "", "" },
            { "C", "", "" },
            { "C:\\nothere", "", "" },
            { "C:\\notes.txt", "", "" },
            { "Q:\\apple", "", "" },
        };
        for (const auto& c : cases) {
            TbsSkinDirTreeView tree;
            tree.OpenPath(c.path);
            QCOMPARE(tree.GetSelectedPath(), std::string(c.selected));
            QCOMPARE(tree.CurrentPath, std::string(c.currentPath));
            for (const QTreeWidgetItem* node = tree.selectedNode(); node; node = node->parent())
                QVERIFY2(node->isExpanded(), qPrintable(node->text(0)));
        }
    }

    // New folders and drives show after F5; mouse and keys set the place. E: is a fixed
    // drive whose folder is gone; R: lies under /run/media, so it counts as removable, and
    // its folder is never made: both warn when reached, and the mouse goes back.
    void f5MouseKeysAndDrivesWithoutAMedium()
    {
        TbsSkinDirTreeView tree;
        tree.resize(600, 300);
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        MessageBoxDriver boxes;
        tree.OpenPath("C:\\apple");
        m_c->makeDir("apple/fresh");
        TempTree f;
        const std::string media
            = "/run/media/nuvero-picker-" + std::to_string(QRandomGenerator::global()->generate64());
        mapAlso({ { 'E', m_d->path("unplugged") }, { 'F', f.root() }, { 'R', media } });
        tree.OpenPath("C:\\apple\\fresh"); // not listed yet: stops at the deepest node it has
        QCOMPARE(tree.GetSelectedPath(), std::string("C:\\apple"));
        QVERIFY(!driveNode(tree, 'F'));
        QTest::keyClick(&tree, Qt::Key_F5);
        QCOMPARE(tree.GetSelectedPath(), std::string("C:\\apple"));
        QCOMPARE(childTexts(tree.selectedNode()), (QStringList { "core", "fresh" }));
        QVERIFY(tree.DriveReady('c', true) && !tree.DriveReady('E', false) && boxes.seen.empty());
        QVERIFY(!tree.DriveReady('e', true));

        QTreeWidgetItem* d = driveNode(tree, 'D');
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onText(tree, driveNode(tree, 'C')));
        QCOMPARE(place(tree), (QStringList { "C:\\", "C:\\", "C:\\", "C:\\" }));
        // The expand button of another node selects that node too, and lists it.
        const QRect dRow = tree.visualItemRect(d);
        QTest::mouseClick(
            tree.viewport(), Qt::LeftButton, {}, QPoint(dRow.left() - tree.indentation() / 2, dRow.center().y()));
        QCOMPARE(place(tree), (QStringList { "D:\\", "D:\\", "D:\\", "D:\\" }));
        QVERIFY(d->data(0, TbsSkinDirTreeView::ListedRole).toBool());
        // A press right of a node's text hits no node and leaves the place as it is.
        const QRect row = tree.visualItemRect(childNamed(driveNode(tree, 'C'), "cherry"));
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(tree.viewport()->width() - 5, row.center().y()));
        QCOMPARE(place(tree).mid(0, 3), (QStringList { "D:\\", "D:\\", "" }));
        QTest::keyClick(&tree, Qt::Key_Up); // C:'s last folder, above D:
        QCOMPARE(place(tree), (QStringList { "C:\\Windows", "D:\\", "C:\\Windows", "C:\\Windows" }));
        // Pressed with the mouse: the warning, then back to the folder the user was at.
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onText(tree, driveNode(tree, 'R')));
        QCOMPARE(place(tree).mid(0, 2), (QStringList { "C:\\Windows\\", "C:\\Windows" }));
        QCOMPARE(tree.GetSelectedPath(), std::string("C:\\Windows"));
        // Reached with an arrow key: the warning only; the selection stays on the drive.
        tree.setCurrentItem(driveNode(tree, 'F'));
        QTest::keyClick(&tree, Qt::Key_Down);
        QCOMPARE(place(tree), (QStringList { "R:\\", "C:\\Windows", "R:\\", "R:\\" }));
        QCOMPARE(boxes.seen.size(), std::size_t(3));
        for (const MessageBoxDriver::Seen& box : boxes.seen)
            QCOMPARE(box.text, QStringLiteral("There is no disk in Drive or Drive is not ready"));
        driveNode(tree, 'R')->setExpanded(true); // finds nothing, without a message
        QVERIFY(!showsExpandButton(driveNode(tree, 'R')) && boxes.seen.size() == 3);
        // The computer node is the place "Drives", and F5 there leaves it collapsed.
        QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, onText(tree, tree.computerNode()));
        QCOMPARE(place(tree), (QStringList { "Drives", "Drives", "", "" }));
        QTest::keyClick(&tree, Qt::Key_F5);
        QVERIFY(!tree.computerNode()->isExpanded() && tree.selectedItems().isEmpty());
        QCOMPARE(tree.computerNode()->childCount(), 5);
    }

    // The dialog: how it closes decides Directory; each pick is a window of its own that
    // opens at the size and folder the last one left, and a double click does not close it.
    void dialogResults()
    {
        QWidget owner;
        auto* picker = new TbsSkinSelectDirectoryDialog(&owner);
        enum Close { Ok, Enter, Cancel, Escape, CloseButton };
        const struct {
            const char* before;
            const char* select; // "computer", "none" or a path to open; "dclick": a double click first
            Close how;
            int confirmed;
            const char* after;
        } cases[] = {
            { "", "D:\\", Ok, 1, "D:\\" },
            { "", "c:\\Windows\\System32", Ok, 1, "C:\\Windows\\System32" },
            { "C:\\apple", "computer", Ok, 1, "" },
            { "C:\\missing", "none", Ok, 1, "" },
            { "", "C:\\apple", Enter, 1, "C:\\apple" },
            { "C:\\apple", "D:\\", Cancel, 0, "C:\\apple" },
            { "C:\\apple", "D:\\", Escape, 0, "C:\\apple" },
            { "C:\\apple", "D:\\", CloseButton, 0, "C:\\apple" },
            { "", "dclick", Ok, 1, "C:\\" },
        };
        QSize next(400, 320);
        for (const auto& c : cases) {
            picker->Directory = c.before;
            const QSize atOpen(picker->DialogWidth, picker->DialogHeight);
            QPointer<TbsSelDirDlgForm> opened;
            QCOMPARE(execute(*picker,
                         [&](TbsSelDirDlgForm& window) {
                             opened = &window;
                             const QSize sizeAtOpen = window.size();
                             window.resize(next);
                             TbsSkinDirTreeView& tree = *window.tree();
                             const std::string selectedAtOpen = tree.GetSelectedPath();
                             bool stillOpen = true;
                             if (!strcmp(c.select, "computer"))
                                 tree.setCurrentItem(tree.computerNode());
                             else if (!strcmp(c.select, "none"))
                                 tree.clearSelection();
                             else if (!strcmp(c.select, "dclick")) {
                                 QTest::mouseDClick(
                                     tree.viewport(), Qt::LeftButton, {}, onText(tree, driveNode(tree, 'C')));
                                 QApplication::sendPostedEvents();
                                 stillOpen = window.isVisible() && window.result() == 0;
                             } else
                                 tree.OpenPath(c.select);
                             if (c.how == Ok)
                                 QTest::mouseClick(window.okButton(), Qt::LeftButton);
                             else if (c.how == Cancel)
                                 QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
                             else if (c.how == CloseButton)
                                 window.close();
                             else
                                 QTest::keyClick(window.tree(), c.how == Escape ? Qt::Key_Escape : Qt::Key_Return);
                             QVERIFY(stillOpen);
                             QCOMPARE(picker->dialogWindow(), &window);
                             QCOMPARE(selectedAtOpen, std::string(c.before) == "C:\\apple" ? c.before : "");
                             if (atOpen.width() > 0)
                                 QCOMPARE(sizeAtOpen, atOpen);
                         }),
                c.confirmed);
            QVERIFY(opened.isNull()); // destroyed before Execute returned
            QCOMPARE(QString::fromStdString(picker->Directory), QString::fromLatin1(c.after));
            QCOMPARE(QSize(picker->DialogWidth, picker->DialogHeight), next);
            next += QSize(10, 10);
        }
    }
};

QTEST_MAIN(FolderPickerTest)
#include "FolderPickerTest.moc"
