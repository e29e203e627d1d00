// The folder picker dialog, driven from inside its modal loop, on drives mapped onto real
// temporary folders. What the tree does on its own is DirTreeViewTest's.

#include "PickerDrives.h"

#include "folderpicker/TbsSelDirDlgForm.h"
#include "folderpicker/TbsSkinDirTreeView.h"
#include "folderpicker/TbsSkinSelectDirectoryDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <optional>

using nuvero::TbsSelDirDlgForm;
using nuvero::TbsSkinSelectDirectoryDialog;
using namespace nuvero::test;

namespace {

// How a test closes the window after choosing.
enum class Close { OkButton, EnterInTree, CancelButton, Escape, CloseButton };

void close(TbsSelDirDlgForm& window, Close how)
{
    switch (how) {
    case Close::OkButton:
        QTest::mouseClick(window.okButton(), Qt::LeftButton);
        break;
    case Close::EnterInTree:
    case Close::Escape:
        window.tree()->setFocus();
        QTest::keyClick(window.tree(), how == Close::Escape ? Qt::Key_Escape : Qt::Key_Return);
        break;
    case Close::CancelButton:
        QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
        break;
    case Close::CloseButton:
        window.close();
        break;
    }
}

// Execute with the action run once inside its modal loop, as soon as the picker's window
// is shown. The action closes the window first and then looks at it, so that a failed check
// cannot leave it open. 1 for OK, 0 for Cancel; -1 when the action never ran or the window
// stayed open (closed with Cancel after 20 s, so a broken test fails instead of hanging).
int execute(TbsSkinSelectDirectoryDialog& picker, const std::function<void(TbsSelDirDlgForm&)>& action)
{
    bool ran = false;
    bool timedOut = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll; // keeps firing inside the modal loop
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* window = qobject_cast<TbsSelDirDlgForm*>(QApplication::activeModalWidget());
        if (window && window->isVisible() && !ran) {
            ran = true;
            action(*window);
        } else if (window && clock.hasExpired(20000)) {
            timedOut = true;
            window->reject();
        }
    });
    poll.start(5);
    const bool confirmed = picker.Execute();
    return ran && !timedOut ? int(confirmed) : -1;
}

} // namespace

Q_DECLARE_METATYPE(Close)

class SelectDirectoryDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_env.emplace(); }
    void cleanup() { m_env.reset(); }

    void windowLooksAndOnlyButtonsClose();
    void result_data();
    void result();
    void opensAtDirectoryWhileItExists();
    void sizeAndPlacesFollowEveryClose();

private:
    std::optional<PickerDrives> m_env;
};

void SelectDirectoryDialogTest::windowLooksAndOnlyButtonsClose()
{
    TbsSkinSelectDirectoryDialog picker;
    QCOMPARE(execute(picker,
                 [](TbsSelDirDlgForm& window) {
                     close(window, Close::CancelButton);
                     const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
                     QVERIFY((window.geometry().center() - centre).manhattanLength() <= 2);
                     QCOMPARE(window.windowOpacity(), 1.0); // AlphaBlend is off
                 }),
        0);
    // A double click on a node does not close the window.
    picker.AlphaBlend = true;
    picker.AlphaBlendValue = 102;
    QCOMPARE(execute(picker,
                 [](TbsSelDirDlgForm& window) {
                     nuvero::TbsSkinDirTreeView& tree = *window.tree();
                     QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, onText(tree, driveNode(tree, 'C')));
                     QApplication::sendPostedEvents();
                     const bool stillOpen = window.isVisible() && window.result() == 0;
                     close(window, Close::OkButton);
                     QVERIFY(stillOpen);
                     QVERIFY(qAbs(window.windowOpacity() - 0.4) < 0.01);
                 }),
        1);
    QCOMPARE(picker.Directory, std::string("C:\\"));
}

void SelectDirectoryDialogTest::result_data()
{
    QTest::addColumn<QString>("before"); // Directory on entry
    QTest::addColumn<QString>("select"); // "computer", "none", or a path to open
    QTest::addColumn<Close>("how");
    QTest::addColumn<int>("confirmed");
    QTest::addColumn<QString>("after"); // Directory after Execute
    const auto row = [](const char* tag, const char* before, const char* select, Close how, int confirmed,
                         const char* after) { QTest::newRow(tag) << before << select << how << confirmed << after; };
    row("ok on a drive", "", "D:\\", Close::OkButton, 1, "D:\\");
    row("ok on a folder", "", "c:\\Windows\\System32", Close::OkButton, 1, "C:\\Windows\\System32");
    row("ok on the computer node", "C:\\apple", "computer", Close::OkButton, 1, "");
    row("ok with no node", "C:\\missing", "none", Close::OkButton, 1, "");
    row("enter in the tree is ok", "", "C:\\apple", Close::EnterInTree, 1, "C:\\apple");
    row("cancel keeps the last folder", "C:\\apple", "D:\\", Close::CancelButton, 0, "C:\\apple");
    row("esc is cancel", "C:\\apple", "D:\\", Close::Escape, 0, "C:\\apple");
}

void SelectDirectoryDialogTest::result()
{
    QFETCH(QString, before);
    QFETCH(QString, select);
    QFETCH(Close, how);
    TbsSkinSelectDirectoryDialog picker;
    picker.Directory = before.toStdString();
    const int confirmed = execute(picker, [&](TbsSelDirDlgForm& window) {
        if (select == "computer")
            window.tree()->setCurrentItem(window.tree()->computerNode());
        else if (select == "none")
            window.tree()->clearSelection();
        else
            window.tree()->OpenPath(select.toStdString());
        close(window, how);
    });
    QTEST(confirmed, "confirmed");
    QTEST(QString::fromStdString(picker.Directory), "after");
}

void SelectDirectoryDialogTest::opensAtDirectoryWhileItExists()
{
    // Deep enough that the folder lies below the first screenful of a 250-pixel window.
    std::string deep = "Windows";
    for (int level = 0; level < 20; ++level)
        deep += "/level" + std::to_string(level);
    m_env->c.makeDir(deep);
    std::string path = "C:\\" + deep;
    std::replace(path.begin(), path.end(), '/', '\\');
    TbsSkinSelectDirectoryDialog picker;
    picker.Directory = path;
    QCOMPARE(execute(picker,
                 [&](TbsSelDirDlgForm& window) {
                     QApplication::sendPostedEvents();
                     close(window, Close::OkButton);
                     nuvero::TbsSkinDirTreeView& tree = *window.tree();
                     QCOMPARE(tree.GetSelectedPath(), path);
                     QVERIFY(tree.viewport()->rect().contains(tree.visualItemRect(tree.selectedNode())));
                 }),
        1);
    QCOMPARE(picker.Directory, path);

    // Once the folder is gone, the next pick opens in the tree's initial state.
    m_env->c.remove("Windows");
    QCOMPARE(execute(picker,
                 [](TbsSelDirDlgForm& window) {
                     close(window, Close::CancelButton);
                     const nuvero::TbsSkinDirTreeView& tree = *window.tree();
                     QVERIFY(tree.selectedItems().isEmpty());
                     QVERIFY(!driveNode(tree, 'C')->isExpanded());
                     QVERIFY(tree.computerNode()->isExpanded());
                     QCOMPARE(tree.computerNode()->childCount(), 2);
                 }),
        0);
    QCOMPARE(picker.Directory, path);
}

// Every pick builds a window of its own, opening at the size the last one closed with
// (however it was closed) and destroyed before Execute returns.
void SelectDirectoryDialogTest::sizeAndPlacesFollowEveryClose()
{
    QWidget owner;
    auto* picker = new TbsSkinSelectDirectoryDialog(&owner);
    QCOMPARE(picker->dialogWindow(), nullptr);
    QSize atOpen(250, 250);
    QSize next(400, 320);
    for (const Close how : { Close::CancelButton, Close::OkButton, Close::CloseButton }) {
        QPointer<TbsSelDirDlgForm> opened;
        const int confirmed = execute(*picker, [&](TbsSelDirDlgForm& window) {
            opened = &window;
            const QSize sizeAtOpen = window.size();
            window.resize(next);
            close(window, how);
            QCOMPARE(picker->dialogWindow(), &window);
            QCOMPARE(sizeAtOpen, atOpen);
        });
        QCOMPARE(confirmed, how == Close::OkButton ? 1 : 0);
        QVERIFY(opened.isNull()); // destroyed before Execute returned
        QCOMPARE(picker->dialogWindow(), nullptr);
        QCOMPARE(QSize(picker->DialogWidth, picker->DialogHeight), next);
        atOpen = next;
        next += QSize(30, 20);
    }
}

QTEST_MAIN(SelectDirectoryDialogTest)
#include "SelectDirectoryDialogTest.moc"
