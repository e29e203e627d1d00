// The folder picker dialog, driven from inside its modal loop, on drives mapped onto real
// temporary folders.

#include "PickerWindowDriver.h"

#include "folderpicker/TbsSelDirDlgForm.h"
#include "folderpicker/TbsSkinDirTreeView.h"
#include "folderpicker/TbsSkinSelectDirectoryDialog.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <QApplication>
#include <QLayout>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <memory>

using nuvero::TbsSelDirDlgForm;
using nuvero::TbsSkinDirTreeView;
using nuvero::TbsSkinSelectDirectoryDialog;
using nuvero::test::PickerWindowDriver;
using nuvero::test::TempTree;
using nuvero::test::TestDrives;

namespace {

QTreeWidgetItem* driveNode(const TbsSkinDirTreeView& tree, char letter)
{
    const QTreeWidgetItem* computer = tree.computerNode();
    for (int i = 0; computer && i < computer->childCount(); ++i) {
        if (computer->child(i)->text(0).mid(2, 2) == QString(QChar(letter)) + ':')
            return computer->child(i);
    }
    return nullptr;
}

// How a test closes the window after choosing.
enum class Close { OkButton, EnterInTree, CancelButton, Escape, CloseButton };

void close(TbsSelDirDlgForm& window, Close how)
{
    auto* tree = window.findChild<TbsSkinDirTreeView*>(QStringLiteral("tree"));
    switch (how) {
    case Close::OkButton:
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        break;
    case Close::EnterInTree:
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Return);
        break;
    case Close::CancelButton:
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cancelButton")), Qt::LeftButton);
        break;
    case Close::Escape:
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Escape);
        break;
    case Close::CloseButton:
        window.close();
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Close)

class SelectDirectoryDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstCallOpensInInitialState();
    void result_data();
    void result();
    void opensAtDirectory();
    void sizeIsRememberedWhateverClosedIt();
    void buttonsKeepTheirPlacesOnResize();
    void deletedDirectoryOpensInInitialState();
    void doubleClickDoesNotClose();
    void windowLivesOnlyDuringExecute();
    void alphaBlendSetsOpacity();

private:
    std::unique_ptr<TempTree> m_c;
    std::unique_ptr<TempTree> m_d;
    std::unique_ptr<TestDrives> m_drives;
};

void SelectDirectoryDialogTest::init()
{
    m_c = std::make_unique<TempTree>();
    m_d = std::make_unique<TempTree>();
    m_drives = std::make_unique<TestDrives>();
    m_c->makeDir("Windows/System32");
    m_c->makeDir("apple");
    m_drives->map({ { 'C', m_c->root() }, { 'D', m_d->root() } });
}

void SelectDirectoryDialogTest::cleanup()
{
    m_drives.reset();
    m_d.reset();
    m_c.reset();
}

void SelectDirectoryDialogTest::firstCallOpensInInitialState()
{
    TbsSkinSelectDirectoryDialog picker;
    QCOMPARE(picker.Title, QStringLiteral("Select folder"));
    QCOMPARE(picker.DialogWidth, 0);
    QCOMPARE(picker.DialogHeight, 0);
    QCOMPARE(picker.DefaultFont.family(), QStringLiteral("Arial"));
    QCOMPARE(picker.DefaultFont.pixelSize(), 14);

    QString title;
    QSize clientSize;
    QPoint centre;
    bool computerExpanded = false;
    int drives = 0;
    bool nothingSelected = false;
    QFont treeFont;
    Qt::WindowFlags flags;
    PickerWindowDriver driver([&](TbsSelDirDlgForm& window) {
        title = window.windowTitle();
        clientSize = window.size();
        centre = window.geometry().center();
        auto* tree = window.findChild<TbsSkinDirTreeView*>(QStringLiteral("tree"));
        computerExpanded = tree->computerNode()->isExpanded();
        drives = tree->computerNode()->childCount();
        nothingSelected = tree->selectedItems().isEmpty();
        treeFont = tree->font();
        flags = window.windowFlags();
        close(window, Close::CancelButton);
    });
    QVERIFY(!picker.Execute());
    QVERIFY(driver.ran());
    QVERIFY(!driver.timedOut());

    QCOMPARE(title, QStringLiteral("Select folder"));
    QCOMPARE(clientSize, QSize(250, 250));
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2(
        (centre - screenCentre).manhattanLength() <= 2, qPrintable(QString("%1,%2").arg(centre.x()).arg(centre.y())));
    QVERIFY(computerExpanded);
    QCOMPARE(drives, 2);
    QVERIFY(nothingSelected);
    QCOMPARE(treeFont.family(), QStringLiteral("Arial"));
    QCOMPARE(treeFont.pixelSize(), 14);
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QCOMPARE(picker.Directory, std::string());
}

void SelectDirectoryDialogTest::result_data()
{
    QTest::addColumn<QString>("before"); // Directory on entry
    QTest::addColumn<QString>("select"); // "computer", "none", or a path to open
    QTest::addColumn<Close>("how");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("after"); // Directory after Execute

    QTest::newRow("ok on a drive") << ""
                                   << "D:\\" << Close::OkButton << true << "D:\\";
    QTest::newRow("ok on a folder") << ""
                                    << "c:\\Windows\\System32" << Close::OkButton << true << "C:\\Windows\\System32";
    QTest::newRow("ok on the computer node") << "C:\\apple"
                                             << "computer" << Close::OkButton << true << "";
    QTest::newRow("ok with no node") << "C:\\missing"
                                     << "none" << Close::OkButton << true << "";
    QTest::newRow("enter in the tree is ok") << ""
                                             << "C:\\apple" << Close::EnterInTree << true << "C:\\apple";
    QTest::newRow("cancel keeps the last folder") << "C:\\apple"
                                                  << "D:\\" << Close::CancelButton << false << "C:\\apple";
    QTest::newRow("esc is cancel") << "C:\\apple"
                                   << "D:\\" << Close::Escape << false << "C:\\apple";
    QTest::newRow("close button is cancel") << "C:\\apple"
                                            << "D:\\" << Close::CloseButton << false << "C:\\apple";
}

void SelectDirectoryDialogTest::result()
{
    QFETCH(QString, before);
    QFETCH(QString, select);
    QFETCH(Close, how);
    QFETCH(bool, confirmed);
    QFETCH(QString, after);

    TbsSkinSelectDirectoryDialog picker;
    picker.Directory = before.toStdString();
    PickerWindowDriver driver([&](TbsSelDirDlgForm& window) {
        auto* tree = window.findChild<TbsSkinDirTreeView*>(QStringLiteral("tree"));
        if (select == "computer")
            tree->setCurrentItem(tree->computerNode());
        else if (select == "none")
            tree->clearSelection();
        else
            tree->OpenPath(select.toStdString());
        close(window, how);
    });
    QCOMPARE(picker.Execute(), confirmed);
    QVERIFY(driver.ran());
    QVERIFY(!driver.timedOut());
    QCOMPARE(QString::fromStdString(picker.Directory), after);
}

void SelectDirectoryDialogTest::opensAtDirectory()
{
    TbsSkinSelectDirectoryDialog picker;
    // Deep enough that the folder lies below the first screenful of a 250-pixel window.
    std::string deep = "Windows";
    for (int level = 0; level < 20; ++level)
        deep += "/level" + std::to_string(level);
    m_c->makeDir(deep);
    picker.Directory = "C:\\Windows";
    std::string selected;
    bool driveExpanded = false;
    bool folderExpanded = false;
    PickerWindowDriver driver([&](TbsSelDirDlgForm& window) {
        auto* tree = window.findChild<TbsSkinDirTreeView*>(QStringLiteral("tree"));
        selected = tree->GetSelectedPath();
        driveExpanded = driveNode(*tree, 'C')->isExpanded();
        folderExpanded = tree->selectedNode() && tree->selectedNode()->isExpanded();
        close(window, Close::OkButton);
    });
    QVERIFY(picker.Execute());
    QCOMPARE(selected, std::string("C:\\Windows"));
    QVERIFY(driveExpanded);
    QVERIFY(folderExpanded);
    QCOMPARE(picker.Directory, std::string("C:\\Windows"));

    // The next call opens where this one ended, with the folder in view.
    std::string deepPath = "C:\\" + deep;
    std::replace(deepPath.begin(), deepPath.end(), '/', '\\');
    picker.Directory = deepPath;
    bool inView = false;
    PickerWindowDriver again([&](TbsSelDirDlgForm& window) {
        auto* tree = window.findChild<TbsSkinDirTreeView*>(QStringLiteral("tree"));
        QApplication::sendPostedEvents();
        inView = tree->selectedNode() && tree->viewport()->rect().contains(tree->visualItemRect(tree->selectedNode()));
        close(window, Close::OkButton);
    });
    QVERIFY(picker.Execute());
    QVERIFY(inView);
    QCOMPARE(picker.Directory, deepPath);
}

void SelectDirectoryDialogTest::sizeIsRememberedWhateverClosedIt()
{
    TbsSkinSelectDirectoryDialog picker;
    const Close closings[] = { Close::CancelButton, Close::OkButton, Close::CloseButton };
    QSize next(400, 320);
    QSize expectedAtOpen(250, 250);
    for (Close how : closings) {
        QSize atOpen;
        PickerWindowDriver driver([&](TbsSelDirDlgForm& window) {
            atOpen = window.size();
            window.resize(next);
            close(window, how);
        });
        picker.Execute();
        QVERIFY(driver.ran());
        QCOMPARE(atOpen, expectedAtOpen);
        QCOMPARE(QSize(picker.DialogWidth, picker.DialogHeight), next);
        expectedAtOpen = next;
        next += QSize(30, 20);
    }
}

void SelectDirectoryDialogTest::buttonsKeepTheirPlacesOnResize()
{
    TbsSkinSelectDirectoryDialog picker;
    QList<QRect> okPlaces;
    QList<QRect> cancelPlaces;
    QList<QRect> treePlaces;
    QList<QSize> sizes;
    PickerWindowDriver driver([&](TbsSelDirDlgForm& window) {
        auto* ok = window.findChild<QPushButton*>(QStringLiteral("okButton"));
        auto* cancel = window.findChild<QPushButton*>(QStringLiteral("cancelButton"));
        auto* tree = window.findChild<TbsSkinDirTreeView*>(QStringLiteral("tree"));
        for (const QSize size : { QSize(250, 250), QSize(500, 420) }) {
            window.resize(size);
            QApplication::sendPostedEvents(); // lets the layout follow the new size
            window.layout()->activate();
            sizes << window.size();
            okPlaces << QRect(ok->mapTo(&window, QPoint(0, 0)), ok->size());
            cancelPlaces << QRect(cancel->mapTo(&window, QPoint(0, 0)), cancel->size());
            treePlaces << tree->geometry();
        }
        QVERIFY(ok->isDefault());
        close(window, Close::CancelButton);
    });
    picker.Execute();
    QVERIFY(driver.ran());
    QCOMPARE(sizes.size(), 2);
    for (int i = 0; i < sizes.size(); ++i) {
        const int stripTop = sizes[i].height() - TbsSelDirDlgForm::ButtonStripHeight;
        QCOMPARE(okPlaces[i], QRect(20, stripTop + 15, 70, 25));
        QCOMPARE(cancelPlaces[i], QRect(100, stripTop + 15, 70, 25));
        QCOMPARE(treePlaces[i], QRect(0, 0, sizes[i].width(), stripTop));
    }
}

void SelectDirectoryDialogTest::deletedDirectoryOpensInInitialState()
{
    TbsSkinSelectDirectoryDialog picker;
    m_c->makeDir("gone");
    picker.Directory = "C:\\gone";
    PickerWindowDriver first([&](TbsSelDirDlgForm& window) { close(window, Close::OkButton); });
    QVERIFY(picker.Execute());
    QCOMPARE(picker.Directory, std::string("C:\\gone"));

    m_c->remove("gone");
    bool nothingSelected = false;
    bool driveExpanded = true;
    bool computerExpanded = false;
    PickerWindowDriver second([&](TbsSelDirDlgForm& window) {
        auto* tree = window.findChild<TbsSkinDirTreeView*>(QStringLiteral("tree"));
        nothingSelected = tree->selectedItems().isEmpty();
        driveExpanded = driveNode(*tree, 'C')->isExpanded();
        computerExpanded = tree->computerNode()->isExpanded();
        close(window, Close::CancelButton);
    });
    QVERIFY(!picker.Execute());
    QVERIFY(second.ran());
    QVERIFY(nothingSelected);
    QVERIFY(!driveExpanded);
    QVERIFY(computerExpanded);
    QCOMPARE(picker.Directory, std::string("C:\\gone"));
}

void SelectDirectoryDialogTest::doubleClickDoesNotClose()
{
    TbsSkinSelectDirectoryDialog picker;
    bool stillOpen = false;
    PickerWindowDriver driver([&](TbsSelDirDlgForm& window) {
        auto* tree = window.findChild<TbsSkinDirTreeView*>(QStringLiteral("tree"));
        const QTreeWidgetItem* drive = driveNode(*tree, 'C');
        const QRect rect = tree->visualItemRect(drive);
        const QPoint onText(rect.left() + tree->iconSize().width() + 8, rect.center().y());
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, onText);
        QApplication::sendPostedEvents();
        stillOpen = window.isVisible() && window.result() == 0;
        close(window, Close::OkButton);
    });
    QVERIFY(picker.Execute());
    QVERIFY(stillOpen);
    QCOMPARE(picker.Directory, std::string("C:\\"));
}

void SelectDirectoryDialogTest::windowLivesOnlyDuringExecute()
{
    QWidget owner;
    auto* picker = new TbsSkinSelectDirectoryDialog(&owner);
    QCOMPARE(picker->dialogWindow(), nullptr);
    QList<QPointer<TbsSelDirDlgForm>> windows;
    bool referenced = false;
    for (int call = 0; call < 2; ++call) {
        PickerWindowDriver driver([&](TbsSelDirDlgForm& window) {
            windows << &window;
            referenced = picker->dialogWindow() == &window;
            close(window, Close::CancelButton);
        });
        picker->Execute();
        QVERIFY(driver.ran());
        QVERIFY(referenced);
        QCOMPARE(picker->dialogWindow(), nullptr);
    }
    QCOMPARE(windows.size(), 2);
    QVERIFY(windows[0].isNull()); // destroyed before Execute returned
    QVERIFY(windows[1].isNull());
}

void SelectDirectoryDialogTest::alphaBlendSetsOpacity()
{
    TbsSkinSelectDirectoryDialog picker;
    QCOMPARE(picker.AlphaBlend, false);
    QCOMPARE(int(picker.AlphaBlendValue), 200);
    qreal opacityOff = 0;
    qreal opacityOn = 0;
    PickerWindowDriver off([&](TbsSelDirDlgForm& window) {
        opacityOff = window.windowOpacity();
        close(window, Close::CancelButton);
    });
    picker.Execute();
    picker.AlphaBlend = true;
    picker.AlphaBlendValue = 102;
    PickerWindowDriver on([&](TbsSelDirDlgForm& window) {
        opacityOn = window.windowOpacity();
        close(window, Close::CancelButton);
    });
    picker.Execute();
    QCOMPARE(opacityOff, 1.0);
    QVERIFY(qAbs(opacityOn - 0.4) < 0.01);
}

QTEST_MAIN(SelectDirectoryDialogTest)
#include "SelectDirectoryDialogTest.moc"
