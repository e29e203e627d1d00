// The drive and folder tree on drives mapped onto real temporary folders.

#include "folderpicker/FolderNameOrder.h"
#include "folderpicker/TbsSkinDirTreeView.h"
#include "platform/Platform.h"
#include "support/MessageBoxDriver.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <memory>

using nuvero::TbsSkinDirTreeView;
using nuvero::test::MessageBoxDriver;
using nuvero::test::TempTree;
using nuvero::test::TestDrives;

namespace {

QStringList childTexts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

QTreeWidgetItem* childNamed(const QTreeWidgetItem* node, const QString& text)
{
    for (int i = 0; node && i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == text)
            return node->child(i);
    }
    return nullptr;
}

QTreeWidgetItem* driveNode(const TbsSkinDirTreeView& tree, char letter)
{
    const QTreeWidgetItem* computer = tree.computerNode();
    for (int i = 0; computer && i < computer->childCount(); ++i) {
        if (computer->child(i)->text(0).mid(2, 2) == QString(QChar(letter)) + ':')
            return computer->child(i);
    }
    return nullptr;
}

bool showsExpandButton(const QTreeWidgetItem* node)
{
    return node->childCount() > 0 || node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

// A point on a node's text, for mouse presses.
QPoint onText(const TbsSkinDirTreeView& tree, const QTreeWidgetItem* node)
{
    const QRect rect = tree.visualItemRect(node);
    return QPoint(rect.left() + tree.iconSize().width() + 8, rect.center().y());
}

QPoint onExpandButton(const TbsSkinDirTreeView& tree, const QTreeWidgetItem* node)
{
    const QRect rect = tree.visualItemRect(node);
    return QPoint(rect.left() - tree.indentation() / 2, rect.center().y());
}

} // namespace

class DirTreeViewTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void drivesInLetterOrderWithDisplayNames();
    void startsWithComputerExpandedAndNothingSelected();
    void foldersSortedCaseOnlyBreakingTies_data();
    void foldersSortedCaseOnlyBreakingTies();
    void listsHiddenFoldersAndNoFiles();
    void expandButtonsAreExact();
    void nodePaths();
    void namesThatAreNotUtf8KeepTheirBytes();
    void openPath_data();
    void openPath();
    void openPathMatchesNamesIgnoringCase();
    void openPathStopsAtDeepestListedMatch();
    void mousePressOnTextAndExpandButton();
    void mousePressBesideTextChangesNothing();
    void arrowKeysFollowTheSelection();
    void f5ReopensSelectedFolderWithNewContent();
    void f5WithComputerNodeLeavesItCollapsed();
    void driveReadyWarnsOnlyWhenAsked();
    void removableDriveWithoutMedium();

private:
    std::unique_ptr<TempTree> m_c;
    std::unique_ptr<TempTree> m_d;
    std::unique_ptr<TestDrives> m_drives;
};

void DirTreeViewTest::init()
{
    m_c = std::make_unique<TempTree>();
    m_d = std::make_unique<TempTree>();
    m_drives = std::make_unique<TestDrives>();
    m_c->makeDir("apple/core");
    m_c->makeDir("Banana");
    m_c->makeFile("Banana/peel.txt", "x");
    m_c->makeDir("cherry");
    m_c->makeFile("notes.txt", "x");
    m_drives->map({ { 'C', m_c->root() }, { 'D', m_d->root() } });
}

void DirTreeViewTest::cleanup()
{
    m_drives.reset();
    m_d.reset();
    m_c.reset();
}

void DirTreeViewTest::drivesInLetterOrderWithDisplayNames()
{
    TempTree g;
    g.makeDir("Data(1)");
    // Written out of letter order: the tree must not follow the settings file or the texts.
    m_drives->map({ { 'G', g.path("Data(1)") }, { 'D', m_d->root() }, { 'C', m_c->root() } });
    TbsSkinDirTreeView tree;
    const QTreeWidgetItem* computer = tree.computerNode();
    QVERIFY(computer);
    QCOMPARE(tree.topLevelItemCount(), 1);
    QCOMPARE(computer->text(0), QString::fromStdString(nuvero::platform::computerDisplayName()));

    const QStringList texts = childTexts(computer);
    QCOMPARE(texts.size(), 3);
    const char letters[] = { 'C', 'D', 'G' };
    for (int i = 0; i < 3; ++i) {
        std::string label = nuvero::platform::driveDisplayName(letters[i]);
        label.erase(std::min(label.find('('), label.size()));
        QCOMPARE(texts[i], QString::fromStdString(std::string(" (") + letters[i] + ":)  " + label));
    }
    // The display name is cut at its first "(": the folder's own one, not the letter's.
    QCOMPARE(texts[2], QStringLiteral(" (G:)  Data"));
}

void DirTreeViewTest::startsWithComputerExpandedAndNothingSelected()
{
    TbsSkinDirTreeView tree;
    QVERIFY(tree.computerNode()->isExpanded());
    QVERIFY(tree.selectedItems().isEmpty());
    QCOMPARE(tree.GetSelectedPath(), std::string());
    QVERIFY(tree.CurrentPath.empty());
    // Drives are not read before they are expanded.
    QCOMPARE(driveNode(tree, 'C')->childCount(), 0);
    QVERIFY(!driveNode(tree, 'C')->isExpanded());
}

void DirTreeViewTest::foldersSortedCaseOnlyBreakingTies_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("capital in the middle")
        << QStringList { "cherry", "Banana", "apple" } << QStringList { "apple", "Banana", "cherry" };
    QTest::newRow("case breaks a tie, small first")
        << QStringList { "Banana", "apple", "banana", "Apple" } << QStringList { "apple", "Apple", "banana", "Banana" };
    QTest::newRow("prefix first") << QStringList { "Abcd", "abc", "ABC" } << QStringList { "abc", "ABC", "Abcd" };
    QTest::newRow("digits before letters") << QStringList { "b2", "B10", "a" } << QStringList { "a", "B10", "b2" };
}

void DirTreeViewTest::foldersSortedCaseOnlyBreakingTies()
{
    QFETCH(QStringList, folders);
    QFETCH(QStringList, expected);
    TempTree e;
    for (const QString& name : folders)
        e.makeDir(name.toStdString());
    m_drives->map({ { 'E', e.root() } });
    TbsSkinDirTreeView tree;
    QTreeWidgetItem* drive = driveNode(tree, 'E');
    QVERIFY(drive);
    drive->setExpanded(true);
    QCOMPARE(childTexts(drive), expected);

    // The order itself is total: reversed input gives the same answer.
    const nuvero::FolderNameOrder order;
    for (int i = 0; i + 1 < expected.size(); ++i) {
        QVERIFY(order(expected[i], expected[i + 1]));
        QVERIFY(!order(expected[i + 1], expected[i]));
    }
}

void DirTreeViewTest::listsHiddenFoldersAndNoFiles()
{
    m_c->makeDir(".hidden");
    TbsSkinDirTreeView tree;
    QTreeWidgetItem* drive = driveNode(tree, 'C');
    drive->setExpanded(true);
    const QStringList texts = childTexts(drive);
    QVERIFY2(texts.contains(".hidden"), qPrintable(texts.join(',')));
    QVERIFY(!texts.contains("notes.txt"));
    QVERIFY(!texts.contains(".") && !texts.contains(".."));
    QCOMPARE(texts.size(), 4);
}

void DirTreeViewTest::expandButtonsAreExact()
{
    TbsSkinDirTreeView tree;
    QTreeWidgetItem* c = driveNode(tree, 'C');
    QTreeWidgetItem* d = driveNode(tree, 'D');
    // A drive offers to expand until it has been listed, even the empty one.
    QVERIFY(showsExpandButton(c));
    QVERIFY(showsExpandButton(d));

    c->setExpanded(true);
    QVERIFY(showsExpandButton(childNamed(c, "apple"))); // holds "core"
    QVERIFY(!showsExpandButton(childNamed(c, "Banana"))); // holds a file only
    QVERIFY(!showsExpandButton(childNamed(c, "cherry"))); // empty

    d->setExpanded(true);
    QCOMPARE(d->childCount(), 0);
    QVERIFY(!showsExpandButton(d));

    // Listing happens once: a folder made afterwards shows only after a rebuild.
    m_d->makeDir("later");
    d->setExpanded(false);
    d->setExpanded(true);
    QCOMPARE(d->childCount(), 0);
}

void DirTreeViewTest::nodePaths()
{
    TbsSkinDirTreeView tree;
    QTreeWidgetItem* c = driveNode(tree, 'C');
    c->setExpanded(true);
    QTreeWidgetItem* apple = childNamed(c, "apple");
    apple->setExpanded(true);
    QTreeWidgetItem* core = childNamed(apple, "core");
    QVERIFY(core);

    struct Case {
        QTreeWidgetItem* node;
        std::string path;
    };
    const Case cases[]
        = { { tree.computerNode(), "" }, { c, "C:\\" }, { apple, "C:\\apple" }, { core, "C:\\apple\\core" } };
    for (const Case& one : cases) {
        tree.setCurrentItem(one.node);
        QCOMPARE(tree.GetSelectedPath(), one.path);
        QCOMPARE(tree.NodePath, one.path);
        QCOMPARE(tree.GetNodePath(one.node), one.path);
    }
    tree.clearSelection();
    QCOMPARE(tree.GetSelectedPath(), std::string());
}

void DirTreeViewTest::namesThatAreNotUtf8KeepTheirBytes()
{
    const std::string latin1 = "caf\xe9"; // a Latin-1 name, as an old disk may hold
    m_c->makeDir(latin1 + "/inner");
    TbsSkinDirTreeView tree;
    QTreeWidgetItem* c = driveNode(tree, 'C');
    c->setExpanded(true);
    QTreeWidgetItem* node = nullptr;
    for (int i = 0; i < c->childCount(); ++i) {
        if (c->child(i)->data(0, TbsSkinDirTreeView::FolderNameRole).toByteArray().toStdString() == latin1)
            node = c->child(i);
    }
    QVERIFY(node);
    QVERIFY(showsExpandButton(node));
    QCOMPARE(tree.GetNodePath(node), "C:\\" + latin1);

    tree.collapseAll();
    tree.OpenPath("C:\\" + latin1 + "\\inner");
    QCOMPARE(tree.GetSelectedPath(), "C:\\" + latin1 + "\\inner");
}

void DirTreeViewTest::openPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("selected"); // path of the selected node afterwards; "" none
    QTest::addColumn<QString>("currentPath"); // CurrentPath afterwards
    QTest::newRow("folder") << "C:\\apple\\core"
                            << "C:\\apple\\core"
                            << "C:\\apple\\core\\";
    QTest::newRow("drive letter case ignored") << "c:\\apple"
                                               << "C:\\apple"
                                               << "c:\\apple\\";
    QTest::newRow("trailing backslash kept") << "C:\\Banana\\"
                                             << "C:\\Banana"
                                             << "C:\\Banana\\";
    QTest::newRow("drive root") << "d:\\"
                                << "D:\\"
                                << "d:\\";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    QTest::newRow("one character") << "C"
                                   << ""
                                   << "";
    QTest::newRow("missing folder") << "C:\\nothere"
                                    << ""
                                    << "";
    QTest::newRow("file, not a folder") << "C:\\notes.txt"
                                        << ""
                                        << "";
    QTest::newRow("unknown drive") << "Q:\\apple"
                                   << ""
                                   << "";
}

void DirTreeViewTest::openPath()
{
    QFETCH(QString, path);
    QFETCH(QString, selected);
    QFETCH(QString, currentPath);
    TbsSkinDirTreeView tree;
    tree.OpenPath(path.toStdString());
    QCOMPARE(QString::fromStdString(tree.GetSelectedPath()), selected);
    QCOMPARE(QString::fromStdString(tree.CurrentPath), currentPath);
    if (!selected.isEmpty()) {
        // Every node on the way is expanded (and so listed), the last one included.
        for (const QTreeWidgetItem* node = tree.selectedNode(); node; node = node->parent())
            QVERIFY2(node->isExpanded(), qPrintable(node->text(0)));
    } else {
        QVERIFY(!driveNode(tree, 'C')->isExpanded());
    }
}

void DirTreeViewTest::openPathMatchesNamesIgnoringCase()
{
    // On a case-sensitive host the folder must exist as spelled, so the walk's matching
    // rule is checked on its own, and on a drive holding two spellings of one name.
    using nuvero::FolderNameOrder;
    QVERIFY(FolderNameOrder::sameIgnoringCase("APPLE\\", "apple\\"));
    QVERIFY(FolderNameOrder::sameIgnoringCase(QString::fromUtf8("\u00c4PFEL"), QString::fromUtf8("\u00e4pfel")));
    QVERIFY(FolderNameOrder::sameIgnoringCase(
        QString::fromUtf8("\u0424\u0410\u0419\u041b"), QString::fromUtf8("\u0444\u0430\u0439\u043b")));
    QVERIFY(!FolderNameOrder::sameIgnoringCase("apple\\", "apples\\"));

    m_c->makeDir("APPLE/inner");
    TbsSkinDirTreeView tree;
    tree.OpenPath("C:\\APPLE\\inner");
    QCOMPARE(tree.GetSelectedPath(), std::string("C:\\APPLE\\inner"));
    tree.OpenPath("c:\\apple");
    QCOMPARE(tree.GetSelectedPath(), std::string("C:\\apple"));
}

void DirTreeViewTest::openPathStopsAtDeepestListedMatch()
{
    TbsSkinDirTreeView tree;
    tree.OpenPath("C:\\apple");
    QCOMPARE(tree.CurrentPath, std::string("C:\\apple\\"));
    // Made after "apple" was listed: exists on disk but has no node until F5.
    m_c->makeDir("apple/fresh");
    tree.OpenPath("C:\\apple\\fresh");
    QCOMPARE(tree.GetSelectedPath(), std::string("C:\\apple"));
    QCOMPARE(tree.CurrentPath, std::string("C:\\apple\\"));
}

void DirTreeViewTest::mousePressOnTextAndExpandButton()
{
    TbsSkinDirTreeView tree;
    tree.resize(400, 300);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    QTreeWidgetItem* c = driveNode(tree, 'C');

    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onText(tree, c));
    QCOMPARE(tree.selectedNode(), c);
    QCOMPARE(tree.CurrentPath, std::string("C:\\"));
    QCOMPARE(tree.PreviousPath, std::string("C:\\"));
    QCOMPARE(tree.NodePath, std::string("C:\\"));

    // The expand button of another node selects that node too, and expands it.
    QTreeWidgetItem* d = driveNode(tree, 'D');
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onExpandButton(tree, d));
    QCOMPARE(tree.selectedNode(), d);
    QCOMPARE(tree.CurrentPath, std::string("D:\\"));
    QVERIFY(d->data(0, TbsSkinDirTreeView::ListedRole).toBool());

    // Any button; the computer node is the place "Drives".
    QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, onText(tree, tree.computerNode()));
    QCOMPARE(tree.selectedNode(), tree.computerNode());
    QCOMPARE(tree.CurrentPath, std::string("Drives"));
    QCOMPARE(tree.PreviousPath, std::string("Drives"));
}

void DirTreeViewTest::mousePressBesideTextChangesNothing()
{
    TbsSkinDirTreeView tree;
    tree.resize(600, 300);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    tree.OpenPath("C:\\apple");
    QTreeWidgetItem* cherry = childNamed(driveNode(tree, 'C'), "cherry");
    QVERIFY(cherry);
    // Right of the short name but still inside the column, which is as wide as the
    // longest drive text, and at the far right of the row.
    const QRect row = tree.visualItemRect(cherry);
    const int afterText = row.left() + tree.iconSize().width() + tree.fontMetrics().horizontalAdvance("cherry") + 30;
    QVERIFY(tree.indexAt(QPoint(afterText, row.center().y())).isValid());
    for (const int x : { afterText, tree.viewport()->width() - 5 }) {
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(x, row.center().y()));
        QCOMPARE(tree.CurrentPath, std::string("C:\\apple\\"));
        QCOMPARE(tree.PreviousPath, std::string("C:\\apple\\"));
        QCOMPARE(tree.NodePath, std::string());
    }
}

void DirTreeViewTest::arrowKeysFollowTheSelection()
{
    TbsSkinDirTreeView tree;
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    tree.setCurrentItem(driveNode(tree, 'C'));
    QTest::keyClick(&tree, Qt::Key_Down);
    QCOMPARE(tree.selectedNode(), driveNode(tree, 'D'));
    QCOMPARE(tree.CurrentPath, std::string("D:\\"));
    QTest::keyClick(&tree, Qt::Key_Up);
    QTest::keyClick(&tree, Qt::Key_Up);
    QCOMPARE(tree.selectedNode(), tree.computerNode());
    QCOMPARE(tree.CurrentPath, std::string("Drives"));
}

void DirTreeViewTest::f5ReopensSelectedFolderWithNewContent()
{
    TbsSkinDirTreeView tree;
    tree.OpenPath("C:\\apple");
    m_c->makeDir("apple/fresh");
    TempTree f;
    m_drives->map({ { 'C', m_c->root() }, { 'D', m_d->root() }, { 'F', f.root() } });
    QVERIFY(!driveNode(tree, 'F'));

    QTest::keyClick(&tree, Qt::Key_F5);
    QVERIFY(driveNode(tree, 'F')); // drives are read again
    QCOMPARE(tree.GetSelectedPath(), std::string("C:\\apple"));
    QVERIFY(tree.selectedNode()->isExpanded());
    QCOMPARE(childTexts(tree.selectedNode()), (QStringList { "core", "fresh" }));
}

void DirTreeViewTest::f5WithComputerNodeLeavesItCollapsed()
{
    TbsSkinDirTreeView tree;
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    tree.OpenPath("C:\\apple");
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onText(tree, tree.computerNode()));
    QCOMPARE(tree.CurrentPath, std::string("Drives"));

    QTest::keyClick(&tree, Qt::Key_F5);
    QCOMPARE(tree.topLevelItemCount(), 1);
    QVERIFY(!tree.computerNode()->isExpanded());
    QVERIFY(tree.selectedItems().isEmpty());
    QCOMPARE(tree.computerNode()->childCount(), 2);
    QCOMPARE(tree.CurrentPath, std::string("Drives"));
}

void DirTreeViewTest::driveReadyWarnsOnlyWhenAsked()
{
    TempTree e;
    m_drives->map({ { 'C', m_c->root() }, { 'E', e.path("unplugged") } });
    QVERIFY(!nuvero::platform::driveReady('E'));
    TbsSkinDirTreeView tree;
    MessageBoxDriver boxes;

    QVERIFY(tree.DriveReady('c', true));
    QVERIFY(!tree.DriveReady('E', false));
    QVERIFY(boxes.seen().empty());

    boxes.answer(QMessageBox::Ok);
    QVERIFY(!tree.DriveReady('e', true)); // the letter's case does not matter
    QCOMPARE(boxes.seen().size(), std::size_t(1));
    QCOMPARE(boxes.seen()[0].title, QStringLiteral("Warning"));
    QCOMPARE(boxes.seen()[0].text, QStringLiteral("There is no disk in Drive or Drive is not ready"));
    QCOMPARE(boxes.seen()[0].icon, QMessageBox::Warning);
    QVERIFY(boxes.seen()[0].answered);
}

void DirTreeViewTest::removableDriveWithoutMedium()
{
    // A drive under /run/media counts as removable; this folder is never made, so the
    // drive has no medium.
    const std::string media = "/run/media/nuvero-picker-" + std::to_string(QRandomGenerator::global()->generate64());
    m_drives->map({ { 'C', m_c->root() }, { 'D', m_d->root() }, { 'R', media } });
    QCOMPARE(nuvero::platform::driveType('R'), nuvero::platform::DriveType::Removable);
    QVERIFY(!nuvero::platform::driveReady('R'));

    TbsSkinDirTreeView tree;
    tree.resize(400, 300);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onText(tree, driveNode(tree, 'C')));
    tree.OpenPath("C:\\apple");
    QCOMPARE(tree.CurrentPath, std::string("C:\\apple\\"));
    MessageBoxDriver boxes;

    // Pressed with the mouse: the warning, then back to the folder the user was at.
    boxes.answer(QMessageBox::Ok);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onText(tree, driveNode(tree, 'R')));
    QCOMPARE(boxes.seen().size(), std::size_t(1));
    QCOMPARE(boxes.seen()[0].title, QStringLiteral("Warning"));
    QCOMPARE(boxes.seen()[0].text, QStringLiteral("There is no disk in Drive or Drive is not ready"));
    QCOMPARE(boxes.seen()[0].icon, QMessageBox::Warning);
    QCOMPARE(tree.GetSelectedPath(), std::string("C:\\apple"));
    QCOMPARE(tree.CurrentPath, std::string("C:\\apple\\"));
    QCOMPARE(tree.PreviousPath, std::string("C:\\apple\\"));

    // Reached with an arrow key: the warning only; the selection stays on the drive.
    tree.setCurrentItem(driveNode(tree, 'D'));
    boxes.answer(QMessageBox::Ok);
    QTest::keyClick(&tree, Qt::Key_Down);
    QCOMPARE(boxes.seen().size(), std::size_t(2));
    QCOMPARE(boxes.seen()[1].title, QStringLiteral("Warning"));
    QCOMPARE(tree.GetSelectedPath(), std::string("R:\\"));
    QCOMPARE(tree.CurrentPath, std::string("R:\\"));
    QCOMPARE(tree.PreviousPath, std::string("C:\\apple\\"));

    // Expanding it finds nothing and takes the expand button away, without a message.
    driveNode(tree, 'R')->setExpanded(true);
    QCOMPARE(driveNode(tree, 'R')->childCount(), 0);
    QVERIFY(!showsExpandButton(driveNode(tree, 'R')));
    QCOMPARE(boxes.seen().size(), std::size_t(2));
}

QTEST_MAIN(DirTreeViewTest)
#include "DirTreeViewTest.moc"
