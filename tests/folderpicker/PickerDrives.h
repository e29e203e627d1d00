#pragma once

#include "folderpicker/TbsSkinDirTreeView.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <QTreeWidgetItem>

#include <map>
#include <string>

namespace nuvero::test {

// The drives both picker tests start from: C: holds "apple/core", "Banana" (a file only),
// "cherry" (empty), "Windows/System32" and the file "notes.txt"; D: is an empty drive.
// Further drives are mapped with mapAlso(), keeping C: and D:.
class PickerDrives {
public:
    PickerDrives()
    {
        c.makeDir("apple/core");
        c.makeFile("Banana/peel.txt", "x");
        c.makeDir("cherry");
        c.makeDir("Windows/System32");
        c.makeFile("notes.txt", "x");
        mapAlso({});
    }

    void mapAlso(std::map<char, std::string> more)
    {
        more.emplace('C', c.root());
        more.emplace('D', d.root());
        drives.map(more);
    }

    TempTree c;
    TempTree d;
    TestDrives drives;
};

inline QStringList childTexts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; node && i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

inline QTreeWidgetItem* childNamed(const QTreeWidgetItem* node, const QString& text)
{
    const int index = childTexts(node).indexOf(text);
    return index < 0 ? nullptr : node->child(index);
}

// A drive's node by its letter: the texts read " (C:)  label".
inline QTreeWidgetItem* driveNode(const TbsSkinDirTreeView& tree, char letter)
{
    const QTreeWidgetItem* computer = tree.computerNode();
    for (int i = 0; computer && i < computer->childCount(); ++i) {
        if (computer->child(i)->text(0).mid(2, 2) == QString(QChar(letter)) + ':')
            return computer->child(i);
    }
    return nullptr;
}

inline bool showsExpandButton(const QTreeWidgetItem* node)
{
    return node->childCount() > 0 || node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

// Points for mouse presses: on a node's text, and on its expand button.
inline QPoint onText(const TbsSkinDirTreeView& tree, const QTreeWidgetItem* node)
{
    const QRect rect = tree.visualItemRect(node);
    return QPoint(rect.left() + tree.iconSize().width() + 8, rect.center().y());
}

inline QPoint onExpandButton(const TbsSkinDirTreeView& tree, const QTreeWidgetItem* node)
{
    const QRect rect = tree.visualItemRect(node);
    return QPoint(rect.left() - tree.indentation() / 2, rect.center().y());
}

} // namespace nuvero::test
