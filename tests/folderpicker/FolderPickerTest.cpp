// The folder picker on drives mapped onto real temporary folders: C: holds "apple/core",
// "Banana" (a file only), "cherry" (empty) and the file "notes.txt"; D: is an empty drive.
#include "folderpicker/TbsSkinDirTreeView.h"
#include "support/MessageBoxDriver.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <QtTest>
#include <QtWidgets>

#include <optional>

using namespace nuvero;
using namespace nuvero::test;

namespace {

QStringList childTexts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

// Whether a node gets an expand button: children, or the promise of some.
bool expandable(const QTreeWidgetItem* node, const QString& child = {})
{
    if (!child.isEmpty())
        node = node->child(childTexts(node).indexOf(child));
    return node->childCount() > 0 || node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

// A drive's node by its letter: the texts read " (C:)  label".
QTreeWidgetItem* driveNode(const TbsSkinDirTreeView& tree, char letter)
{
    return tree.findItems(QStringLiteral(" (%1:)").arg(QChar(letter)), Qt::MatchStartsWith | Qt::MatchRecursive)
        .value(0);
}

QPoint onText(const TbsSkinDirTreeView& tree, const QTreeWidgetItem* node)
{
    const QRect rect = tree.visualItemRect(node);
    return QPoint(rect.left() + tree.iconSize().width() + 8, rect.center().y());
}

} // namespace

class FolderPickerTest : public QObject {
    Q_OBJECT

    std::optional<TempTree> m_c, m_d; // made again for every test
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
        // A twin spelling ("APPLE"), and a Latin-1 name, as an old disk may hold.
        for (const char* folder : { "apple/core", "cherry", "APPLE/inner", "caf\xe9/inner" })
            m_c->makeDir(folder);
        m_c->makeFile("Banana/peel.txt");
        m_c->makeFile("notes.txt");
        mapAlso({});
    }

    // Drives read only when expanded; folders sorted by letters with case
    // only breaking ties, files never nodes. Links are never folders, and another drive's
    // root is not shown inside this one: neither is listed nor earns its folder a button.
    void drivesAndFoldersInTheirOrder()
    {
        TempTree e;
        for (const char* name : { "cherry", "Banana", "apple", "banana", "Apple", "Abcd", "abc", "ABC", "b2", "B10" })
            e.makeDir(std::string("sorted/") + name);
        e.makeFile("sorted/a file.txt");
        e.makeDir("target/inner");
        e.makeSymlink("toTarget", "target");
        e.makeDir("viaLink");
        e.makeSymlink("viaLink/toTarget", "../target");
        e.makeDir("holdsDrive/hRoot/inner");
        mapAlso({ { 'E', e.path("sorted") }, { 'F', e.root() }, { 'H', e.path("holdsDrive/hRoot") } });
        TbsSkinDirTreeView tree;
        QTreeWidgetItem* c = driveNode(tree, 'C');
        QCOMPARE(c->childCount(), 0);
        QVERIFY(expandable(c) && expandable(driveNode(tree, 'D')));
        driveNode(tree, 'E')->setExpanded(true);
        QCOMPARE(childTexts(driveNode(tree, 'E')),
            (QStringList { "abc", "ABC", "Abcd", "apple", "Apple", "B10", "b2", "banana", "Banana", "cherry" }));
        c->setExpanded(true);
        QVERIFY(expandable(c, "apple") && !expandable(c, "Banana") && !expandable(c, "cherry"));
        driveNode(tree, 'D')->setExpanded(true);
        QVERIFY(!expandable(driveNode(tree, 'D')));
        QTreeWidgetItem* f = driveNode(tree, 'F');
        f->setExpanded(true);
        QCOMPARE(childTexts(f), (QStringList { "holdsDrive", "target", "viaLink" }));
        QVERIFY(expandable(f, "target") && !expandable(f, "holdsDrive") && !expandable(f, "viaLink"));
    }

    // New folders show after F5. A drive without a medium (under /run/media, so removable,
    // and never made) warns when pressed, and the place goes back.
    void f5AndADriveWithoutAMedium()
    {
        TbsSkinDirTreeView tree;
        tree.resize(600, 300);
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        MessageBoxDriver boxes;
        tree.OpenPath("C:\\apple");
        m_c->makeDir("apple/fresh");
        const std::string media = "/run/media/nuvero-picker-" + std::to_string(QRandomGenerator::global()->generate());
        mapAlso({ { 'R', media } });
        tree.OpenPath("C:\\apple\\fresh"); // not listed yet: stops at the deepest node it has
        QCOMPARE(tree.GetSelectedPath(), std::string("C:\\apple"));
        QTest::keyClick(&tree, Qt::Key_F5);
        QCOMPARE(childTexts(tree.selectedNode()), (QStringList { "core", "fresh" }));
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onText(tree, driveNode(tree, 'R')));
        QCOMPARE(boxes.seen.size(), std::size_t(1));
        QCOMPARE(tree.GetSelectedPath(), std::string("C:\\apple"));
        // Reached by the keys it warns too.
        tree.setCurrentItem(driveNode(tree, 'D'));
        QTest::keyClick(&tree, Qt::Key_Down);
        QCOMPARE(boxes.seen.size(), std::size_t(2));
    }

    // OpenPath selects an existing folder, its exact name first, by its bytes; anything else
    // selects nothing.
    void openPath()
    {
        const struct {
            const char* path;
            const char* selected;
        } cases[] = {
            { "c:\\apple\\core", "C:\\apple\\core" },
            { "C:\\APPLE\\inner", "C:\\APPLE\\inner" },
            { "C:\\caf\xe9\\inner", "C:\\caf\xe9\\inner" },
            { "C:\\notes.txt", "" },
            { "Q:\\apple", "" },
        };
        for (const auto& c : cases) {
            TbsSkinDirTreeView tree;
            tree.OpenPath(c.path);
            QCOMPARE(tree.GetSelectedPath(), std::string(c.selected));
        }
    }
};

QTEST_MAIN(FolderPickerTest)
#include "FolderPickerTest.moc"
