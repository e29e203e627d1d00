// The drive and folder tree on drives mapped onto real temporary folders.

#include "PickerDrives.h"

#include "folderpicker/FolderNameOrder.h"
#include "folderpicker/TbsSkinDirTreeView.h"
#include "platform/Platform.h"
#include "support/MessageBoxDriver.h"

#include <QRandomGenerator>
#include <QTest>

#include <optional>

using nuvero::FolderNameOrder;
using nuvero::TbsSkinDirTreeView;
using namespace nuvero::test;

namespace {

// Where the tree has the user: CurrentPath, PreviousPath, NodePath and the selected node's
// path (asking for which sets NodePath, so it is put back).
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

} // namespace

class DirTreeViewTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_env.emplace(); }
    void cleanup() { m_env.reset(); }

    void startsWithComputerAndDrivesInLetterOrder();
    void foldersSortedCaseOnlyBreakingTies_data();
    void foldersSortedCaseOnlyBreakingTies();
    void expandButtonsAreExactAndListingHappensOnce();
    void openPath_data();
    void openPath();
    void newFoldersAndDrivesShowAfterF5();
    void mouseAndKeysSetThePlace();
    void drivesWithoutAMediumWarn();

private:
    std::optional<PickerDrives> m_env;
};

void DirTreeViewTest::startsWithComputerAndDrivesInLetterOrder()
{
    TempTree g;
    g.makeDir("Data(1)");
    m_env->mapAlso({ { 'G', g.path("Data(1)") } });
    TbsSkinDirTreeView tree;
    QCOMPARE(tree.topLevelItemCount(), 1);
    QCOMPARE(tree.computerNode()->text(0), QString::fromStdString(nuvero::platform::computerDisplayName()));
    QVERIFY(tree.computerNode()->isExpanded());
    QVERIFY(tree.selectedItems().isEmpty());
    QCOMPARE(tree.GetSelectedPath(), std::string());
    QVERIFY(tree.CurrentPath.empty());
    // " (X:)  label", the label cut at its first "(": the folder's own one, not the letter's.
    QStringList expected;
    for (const char letter : { 'C', 'D' }) {
        const std::string label = nuvero::platform::driveDisplayName(letter);
        expected << QString(" (%1:)  ").arg(letter) + QString::fromStdString(label.substr(0, label.find('(')));
    }
    expected << QStringLiteral(" (G:)  Data");
    QCOMPARE(childTexts(tree.computerNode()), expected);
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
    QTest::newRow("hidden folders too") << QStringList { "b", ".hidden" } << QStringList { ".hidden", "b" };
}

void DirTreeViewTest::foldersSortedCaseOnlyBreakingTies()
{
    QFETCH(QStringList, folders);
    QFETCH(QStringList, expected);
    TempTree e;
    for (const QString& name : folders)
        e.makeDir(name.toStdString());
    e.makeFile("a file.txt"); // files are never nodes
    m_env->mapAlso({ { 'E', e.root() } });
    TbsSkinDirTreeView tree;
    driveNode(tree, 'E')->setExpanded(true);
    QCOMPARE(childTexts(driveNode(tree, 'E')), expected);
    // The order is strict both ways, whatever order the disk listed the names in.
    const FolderNameOrder order;
    for (int i = 0; i + 1 < expected.size(); ++i)
        QVERIFY(order(expected[i], expected[i + 1]) && !order(expected[i + 1], expected[i]));
}

void DirTreeViewTest::expandButtonsAreExactAndListingHappensOnce()
{
    TbsSkinDirTreeView tree;
    QTreeWidgetItem* c = driveNode(tree, 'C');
    QTreeWidgetItem* d = driveNode(tree, 'D');
    // A drive offers to expand until it has been listed, even the empty one.
    QVERIFY(showsExpandButton(c) && showsExpandButton(d));
    c->setExpanded(true);
    QVERIFY(showsExpandButton(childNamed(c, "apple"))); // holds "core"
    QVERIFY(!showsExpandButton(childNamed(c, "Banana"))); // holds a file only
    QVERIFY(!showsExpandButton(childNamed(c, "cherry"))); // empty
    d->setExpanded(true);
    QCOMPARE(d->childCount(), 0);
    QVERIFY(!showsExpandButton(d));
    // A folder made afterwards shows only after a rebuild.
    m_env->d.makeDir("later");
    d->setExpanded(false);
    d->setExpanded(true);
    QCOMPARE(d->childCount(), 0);
    // Links are never folders, and another drive's root is not shown inside this one:
    // neither is listed nor earns its folder an expand button.
    TempTree e;
    e.makeDir("target/inner");
    e.makeSymlink("toTarget", "target");
    e.makeDir("viaLink");
    e.makeSymlink("viaLink/toTarget", "../target");
    e.makeDir("holdsDrive/fRoot/inner");
    m_env->mapAlso({ { 'E', e.root() }, { 'F', e.path("holdsDrive/fRoot") } });
    TbsSkinDirTreeView withLinks;
    QTreeWidgetItem* driveE = driveNode(withLinks, 'E');
    driveE->setExpanded(true);
    QCOMPARE(childTexts(driveE), (QStringList { "holdsDrive", "target", "viaLink" }));
    QVERIFY(showsExpandButton(childNamed(driveE, "target")));
    QVERIFY(!showsExpandButton(childNamed(driveE, "holdsDrive")));
    QVERIFY(!showsExpandButton(childNamed(driveE, "viaLink")));
}

void DirTreeViewTest::openPath_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("selected"); // path of the selected node afterwards; "" none
    QTest::addColumn<QByteArray>("currentPath"); // CurrentPath afterwards
    const auto row = [](const char* tag, const char* path, const char* selected, const char* currentPath) {
        QTest::newRow(tag) << QByteArray(path) << QByteArray(selected) << QByteArray(currentPath);
    };
    row("folder", "C:\\apple\\core", "C:\\apple\\core", "C:\\apple\\core\\");
    row("drive letter case ignored, exact name first", "c:\\apple", "C:\\apple", "c:\\apple\\");
    row("name differing in case only", "C:\\APPLE\\inner", "C:\\APPLE\\inner", "C:\\APPLE\\inner\\");
    row("trailing backslash kept", "C:\\Banana\\", "C:\\Banana", "C:\\Banana\\");
    row("drive root", "d:\\", "D:\\", "d:\\");
    // A Latin-1 name, as an old disk may hold: its node keeps the exact bytes.
    row("name that is not UTF-8", "C:\\caf\xe9\\inner", "C:\\caf\xe9\\inner", "C:\\caf\xe9\\inner\\");
    for (const char* ignored : { "", "C", "C:\\nothere", "C:\\notes.txt", "Q:\\apple" })
        row(qPrintable(QString("ignored: '%1'").arg(ignored)), ignored, "", "");
}

void DirTreeViewTest::openPath()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, selected);
    QFETCH(QByteArray, currentPath);
    // On a case-sensitive host a folder must exist as spelled: a twin spelling shows that
    // the walk takes the exact name first, and the matching rule is checked on its own.
    m_env->c.makeDir("APPLE/inner");
    m_env->c.makeDir("caf\xe9/inner");
    QVERIFY(FolderNameOrder::sameIgnoringCase("APPLE\\", "apple\\"));
    QVERIFY(FolderNameOrder::sameIgnoringCase(QString::fromUtf8("ÄPFEL ФАЙЛ"), QString::fromUtf8("äpfel файл")));
    QVERIFY(!FolderNameOrder::sameIgnoringCase("apple\\", "apples\\"));

    TbsSkinDirTreeView tree;
    tree.OpenPath(path.toStdString());
    QCOMPARE(QByteArray::fromStdString(tree.GetSelectedPath()), selected);
    QCOMPARE(QByteArray::fromStdString(tree.CurrentPath), currentPath);
    // Every node on the way is expanded (and so listed), the last one included.
    for (const QTreeWidgetItem* node = tree.selectedNode(); node; node = node->parent())
        QVERIFY2(node->isExpanded(), qPrintable(node->text(0)));
    if (selected.isEmpty())
        QVERIFY(!driveNode(tree, 'C')->isExpanded());
}

void DirTreeViewTest::newFoldersAndDrivesShowAfterF5()
{
    TbsSkinDirTreeView tree;
    tree.OpenPath("C:\\apple");
    m_env->c.makeDir("apple/fresh");
    TempTree f;
    m_env->mapAlso({ { 'F', f.root() } });
    // On disk but not listed yet: the walk stops at the deepest node it has.
    tree.OpenPath("C:\\apple\\fresh");
    QCOMPARE(tree.GetSelectedPath(), std::string("C:\\apple"));
    QCOMPARE(tree.CurrentPath, std::string("C:\\apple\\"));
    QVERIFY(!driveNode(tree, 'F'));

    QTest::keyClick(&tree, Qt::Key_F5);
    QVERIFY(driveNode(tree, 'F'));
    QCOMPARE(tree.GetSelectedPath(), std::string("C:\\apple"));
    QVERIFY(tree.selectedNode()->isExpanded());
    QCOMPARE(childTexts(tree.selectedNode()), (QStringList { "core", "fresh" }));
}

void DirTreeViewTest::mouseAndKeysSetThePlace()
{
    TbsSkinDirTreeView tree;
    tree.resize(600, 300);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    QTreeWidgetItem* c = driveNode(tree, 'C');
    QTreeWidgetItem* d = driveNode(tree, 'D');
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onText(tree, c));
    QCOMPARE(place(tree), (QStringList { "C:\\", "C:\\", "C:\\", "C:\\" }));
    // The expand button of another node selects that node too, and lists it.
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onExpandButton(tree, d));
    QCOMPARE(place(tree), (QStringList { "D:\\", "D:\\", "D:\\", "D:\\" }));
    QVERIFY(d->data(0, TbsSkinDirTreeView::ListedRole).toBool());

    // Presses right of a short name, inside the column (as wide as the longest drive
    // text), and at the far right of the row hit no node and leave the place as it is.
    tree.OpenPath("C:\\apple");
    QTreeWidgetItem* cherry = childNamed(c, "cherry");
    const QRect row = tree.visualItemRect(cherry);
    const int afterText = row.left() + tree.iconSize().width() + tree.fontMetrics().horizontalAdvance("cherry") + 30;
    QVERIFY(tree.indexAt(QPoint(afterText, row.center().y())).isValid());
    for (const int x : { afterText, tree.viewport()->width() - 5 }) {
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(x, row.center().y()));
        QCOMPARE(place(tree).mid(0, 3), (QStringList { "C:\\apple\\", "C:\\apple\\", "" }));
    }

    // Arrow keys: the place follows the selection.
    tree.setCurrentItem(d);
    QTest::keyClick(&tree, Qt::Key_Up); // C:'s last folder, above D:
    QCOMPARE(place(tree), (QStringList { "C:\\Windows", "C:\\apple\\", "C:\\Windows", "C:\\Windows" }));
    QTest::keyClick(&tree, Qt::Key_Down);
    QCOMPARE(place(tree), (QStringList { "D:\\", "C:\\apple\\", "D:\\", "D:\\" }));

    // Any button; the computer node is the place "Drives", and F5 there leaves it collapsed.
    QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, onText(tree, tree.computerNode()));
    QCOMPARE(tree.selectedNode(), tree.computerNode());
    QCOMPARE(place(tree), (QStringList { "Drives", "Drives", "", "" }));
    QTest::keyClick(&tree, Qt::Key_F5);
    QCOMPARE(tree.topLevelItemCount(), 1);
    QVERIFY(!tree.computerNode()->isExpanded());
    QVERIFY(tree.selectedItems().isEmpty());
    QCOMPARE(tree.computerNode()->childCount(), 2);
    QCOMPARE(place(tree), (QStringList { "Drives", "Drives", "", "" }));
}

void DirTreeViewTest::drivesWithoutAMediumWarn()
{
    // E: is a fixed drive whose folder is gone. R: lies under /run/media, so it counts as
    // removable, and its folder is never made: no medium.
    TempTree e;
    const std::string media = "/run/media/nuvero-picker-" + std::to_string(QRandomGenerator::global()->generate64());
    m_env->mapAlso({ { 'E', e.path("unplugged") }, { 'R', media } });
    QCOMPARE(nuvero::platform::driveType('R'), nuvero::platform::DriveType::Removable);
    QVERIFY(!nuvero::platform::driveReady('E') && !nuvero::platform::driveReady('R'));
    TbsSkinDirTreeView tree;
    tree.resize(400, 300);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    MessageBoxDriver boxes;

    QVERIFY(tree.DriveReady('c', true));
    QVERIFY(!tree.DriveReady('E', false)); // not asked to warn
    QVERIFY(boxes.seen().empty());
    boxes.answer(QMessageBox::Ok);
    QVERIFY(!tree.DriveReady('e', true)); // the letter's case does not matter
    QCOMPARE(boxes.seen().size(), std::size_t(1));

    // Pressed with the mouse: the warning, then back to the folder the user was at.
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onText(tree, driveNode(tree, 'C')));
    tree.OpenPath("C:\\apple");
    boxes.answer(QMessageBox::Ok);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onText(tree, driveNode(tree, 'R')));
    QCOMPARE(boxes.seen().size(), std::size_t(2));
    QCOMPARE(place(tree), (QStringList { "C:\\apple\\", "C:\\apple\\", "R:\\", "C:\\apple" }));

    // Reached with an arrow key: the warning only; the selection stays on the drive.
    tree.setCurrentItem(driveNode(tree, 'E'));
    boxes.answer(QMessageBox::Ok);
    QTest::keyClick(&tree, Qt::Key_Down);
    QCOMPARE(boxes.seen().size(), std::size_t(3));
    QCOMPARE(place(tree), (QStringList { "R:\\", "C:\\apple\\", "R:\\", "R:\\" }));
    for (const MessageBoxDriver::Seen& box : boxes.seen()) {
        QCOMPARE(box.title, QStringLiteral("Warning"));
        QCOMPARE(box.text, QStringLiteral("There is no disk in Drive or Drive is not ready"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY(box.answered);
    }

    // Expanding it finds nothing and takes the expand button away, without a message.
    driveNode(tree, 'R')->setExpanded(true);
    QCOMPARE(driveNode(tree, 'R')->childCount(), 0);
    QVERIFY(!showsExpandButton(driveNode(tree, 'R')));
    QCOMPARE(boxes.seen().size(), std::size_t(3));
}

QTEST_MAIN(DirTreeViewTest)
#include "DirTreeViewTest.moc"
