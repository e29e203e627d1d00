// The window's commands that go through the folder picker: the roots button, "Add from
// DirList" and the hidden "Rename Dir", with the real picker answered by the test.

#ifndef Q_MOC_RUN
#include "app/TForm1.h"
#include "folderpicker/TbsSkinSelectDirectoryDialog.h"
#include "support/MessageBoxDriver.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"
#endif

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

using namespace nuvero;

namespace {

// Presses a button of the picker as soon as its modal window is up.
void pressWhenOpen(const char* button)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, button] {
        QWidget* dialog = QApplication::activeModalWidget();
        auto* b = dialog ? dialog->findChild<QPushButton*>(QString::fromLatin1(button)) : nullptr;
        if (b && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            b->click();
        }
    });
    timer->start();
}

} // namespace

class FolderCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void pickerCommands()
    {
        test::TempTree tree;
        tree.makeDir("data");
        tree.makeDir("\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0/sub"); // Папка/sub
        test::TestDrives drives;
        drives.map({ { 'c', tree.root() } });
        TForm1 w;
        w.show();

        // ">": Cancel changes nothing, OK replaces the whole roots text.
        w.ComboBox1->setEditText(QStringLiteral("c:;d:;"));
        w.folderPicker().Directory = "C:\\data";
        pressWhenOpen("cancelButton");
        w.SpeedButton1Click();
        QCOMPARE(w.ComboBox1->currentText(), QStringLiteral("c:;d:;"));
        pressWhenOpen("okButton");
        w.SpeedButton1Click();
        QCOMPARE(w.ComboBox1->currentText(), QStringLiteral("C:\\data"));
        QCOMPARE(w.ComboBox1->count(), 2); // the entries stay

        // "Add from DirList": OK appends, twice gives two rows, Cancel adds nothing.
        pressWhenOpen("okButton");
        w.AddfromDirList1Click();
        pressWhenOpen("okButton");
        w.AddfromDirList1Click();
        pressWhenOpen("cancelButton");
        w.AddfromDirList1Click();
        QCOMPARE(w.ListView2->topLevelItemCount(), 2);
        QCOMPARE(w.ListView2->topLevelItem(1)->text(0), QStringLiteral("C:\\data"));

        // "Rename Dir": the whole chosen path transliterated, without a question.
        w.folderPicker().Directory = "C:\\\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";
        test::MessageBoxDriver boxes;
        pressWhenOpen("okButton");
        w.RenameDir1Click();
        QVERIFY(boxes.seen().empty());
        QVERIFY(tree.isDir("Papka/sub"));
        QVERIFY(!tree.exists("\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0"));
        QCOMPARE(w.statusText(1), QString::fromUtf8("C:\\Папка      C:\\Papka"));

        // A target that exists: "File I/O error." and nothing replaced.
        tree.makeDir("\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0");
        w.folderPicker().Directory = "C:\\\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";
        boxes.answer(QMessageBox::Ok);
        pressWhenOpen("okButton");
        w.RenameDir1Click();
        QCOMPARE(boxes.seen().size(), std::size_t(1));
        QCOMPARE(boxes.seen()[0].text, QStringLiteral("File I/O error."));
        QVERIFY(tree.isDir("Papka/sub"));
        QVERIFY(tree.isDir("\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0"));
    }
};

QTEST_MAIN(FolderCommandsTest)
#include "FolderCommandsTest.moc"
