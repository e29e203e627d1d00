// The main window driven as a user would: real controls, real searches of temporary trees
// mapped as drives, real message boxes answered by the test.

// moc reads this file for the test class only; the program's headers (C++20 library
// headers that moc cannot parse) stay out of its way.
#ifndef Q_MOC_RUN
#include "app/MessageBoxes.h"
#include "app/TForm1.h"
#include "folderpicker/TbsSkinSelectDirectoryDialog.h"
#include "results/ResultColumns.h"
#include "results/ResultsModel.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"
#include "search/SearchSession.h"
#include "support/MessageBoxDriver.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"
#endif

#include <QDBusConnection>
#include <QTest>

#include <QtWidgets>

#include <algorithm>
#include <csignal>
#include <map>
#include <optional>
#include <sys/prctl.h>
#include <unistd.h>

using namespace nuvero;

namespace {

// The rows as the list shows them: the view's own texts of the given columns, "|" between.
QStringList shown(TForm1& w, int columns = 2)
{
    const QAbstractItemModel* view = w.ListView1->model();
    QStringList list;
    for (int r = 0; r < view->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < columns; ++c)
            cells << view->index(r, c).data().toString();
        list << cells.join('|');
    }
    return list;
}

// Acts on the next modal window as soon as it is up: `act` gets it on every tick of a timer,
// which keeps firing inside modal loops, until it returns true.
void whenModal(std::function<bool(QWidget*)> act)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && act(modal)) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
}

} // namespace

// The desktop's file manager on the test's own session bus: records what it is asked to show.
class FileManagerService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown += uris; }
};

class MainWindowTest : public QObject {
    Q_OBJECT

    std::optional<test::TempTree> m_tree;
    std::optional<test::TestDrives> m_drives;
    QProcess m_bus; // a session bus of the test's own, where dbus-daemon can be started
    QByteArrayList m_opened; // the URLs the program asked the desktop to open

public slots:
    void opened(const QUrl& url) { m_opened << url.toEncoded(); }

    // A shown window with the date filter off, so that every entry is a hit.
    std::unique_ptr<TForm1> makeWindow()
    {
        auto w = std::make_unique<TForm1>();
        w->show();
        w->CheckBox1->setChecked(false);
        return w;
    }

    // Runs a search of the roots text and waits until the caption reads "Search" again.
    void searchAndWait(TForm1& w, const QString& roots)
    {
        w.ComboBox1->setEditText(roots);
        QTest::mouseClick(w.BitBtn2, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(w.BitBtn2->text(), QStringLiteral("Search"), 20000);
        QVERIFY(w.waitForSearchEnd(20000));
    }

private slots:
    // Before anything asks for the session bus: the program never reaches the real desktop.
    void initTestCase()
    {
        m_bus.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); }); // gone with a crashed test
        m_bus.start(QStringLiteral("dbus-daemon"), { "--session", "--nofork", "--print-address" });
        if (m_bus.waitForReadyRead(10000))
            qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());
        else
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "opened");
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        m_bus.kill();
        m_bus.waitForFinished();
    }

    void init()
    {
        if (::access("/dev/shm", W_OK) == 0) // trees in memory where the system has it
            ::setenv("TMPDIR", "/dev/shm", 1);
        m_tree.emplace();
        m_drives.emplace();
        m_drives->map({ { 'c', m_tree->root() } });
    }

    // The window as it is used: it starts with the threshold stored in a settings file as
    // Windows writes it, the roots "c:" up to the last drive, its frame and the strip's boxes
    // following its width; "After date:" greys the date controls, and the excluded paths are
    // edited through their menu.
    void theWindowInUse()
    {
        for (const char* file : { "b/x.txt", "a.txt", "e/in-e.txt" })
            m_tree->makeFile(file);
        m_drives->map({ { 'c', m_tree->root() }, { 'e', m_tree->path("e") } },
            "[sx]\r\na=error\r\n[s]\r\na=04.12.2026 14:30:05\r\n");
        auto w = makeWindow();
        QCOMPARE(w->ComboBox1->currentText(), QStringLiteral("c:;d:;e:;"));
        QCOMPARE(w->DateTimePicker2->dateTime(), QDateTime(QDate(2026, 12, 4), QTime(14, 30, 5), Qt::UTC));
        w->DateTimePicker1->setDate(QDate(2025, 1, 2));
        w->DateTimePicker2->setTime(QTime(8, 9, 10));
        QCOMPARE(w->criteria().threshold().rowText(), std::string("02.01.2025  08:09:10"));
        // Every control is named for a screen reader by its caption or by its label, which
        // leads to it.
        for (QWidget* c : w->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^(?!qt_)\\w+$")))) {
            auto* button = qobject_cast<QAbstractButton*>(c);
            if (c->focusPolicy() != Qt::NoFocus || button)
                QVERIFY2(!c->accessibleName().isEmpty() || (button && !button->text().isEmpty()),
                    qPrintable(c->objectName()));
        }
        for (QLabel* label : w->Panel2->findChildren<QLabel*>())
            QCOMPARE(label->buddy() ? label->buddy()->accessibleName() : QString(), label->text().trimmed());
        QCOMPARE(w->windowTitle() + QString(" %1x%2").arg(w->minimumWidth()).arg(w->minimumHeight()),
            QStringLiteral("Nuvero v.3.0 528x200"));
        QCOMPARE(QRect(w->pos(), w->size()), QRect(100, 100, 535, 451));
        w->resize(700, 451);
        QCOMPARE((QList<int> { w->ComboBox1->width(), w->SpeedButton1->x(), w->Edit2->width(), w->Panel5->width(),
                     w->Panel6->x() }),
            (QList<int> { 293, 301, 309, 328, 585 }));
        QVERIFY(!w->GroupBox1->isEnabled() && !w->ComboBox3->isEnabled()); // makeWindow turned "After date:" off
        QTest::mouseClick(w->CheckBox1, Qt::LeftButton, {}, QPoint(4, w->CheckBox1->height() / 2));
        QVERIFY(w->GroupBox1->isEnabled() && w->ComboBox3->isEnabled());
        w->CheckBox1->setChecked(false);

        // Excluded paths through their menu: "Delete" is off without a selected row; "Add"
        // then Esc leaves an empty row, which excludes everything until Delete takes it; a
        // folder picked with Enter in the picker's tree excludes that folder.
        QTest::keyClick(w->ListView2, Qt::Key_Menu);
        QVERIFY(w->PopupMenu2->isVisible() && !w->Delete1->isEnabled());
        w->PopupMenu2->close();
        w->Add1->trigger();
        auto* editor = w->ListView2->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("c:\\b"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(w->ListView2->topLevelItem(0)->text(0), QString());
        w->Clearlist1Click();
        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(shown(*w), QStringList());
        w->ListView2->setCurrentItem(w->ListView2->topLevelItem(0));
        QTest::keyClick(w->ListView2, Qt::Key_Delete);
        w->folderPicker().Directory = "C:\\b";
        whenModal([](QWidget* modal) {
            QTest::keyClick(modal->findChild<QWidget*>(QStringLiteral("tree")), Qt::Key_Return);
            return true;
        });
        w->AddfromDirList1->trigger();
        QCOMPARE(w->ListView2->topLevelItem(0)->text(0), QStringLiteral("C:\\b"));
        w->Clearlist1Click();
        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(shown(*w).size(), 2); // a.txt and b
    }

    // Found rows through the menu: transliteration stays off after a search started without
    // "Rus names", whose search empties the list and finds Cyrillic names only; Delete and
    // rename ask first, and report in real boxes.
    void commandsOnFoundRows()
    {
        m_tree->makeFile("Жук.txt", "beetle");
        m_tree->makeFile("Ёж.txt", "to go");
        m_tree->makeFile("ZHuk.txt", "already here");
        auto w = makeWindow();
        searchAndWait(*w, QStringLiteral("c:"));
        w->RusCheck->setChecked(true);
        w->ListView1->selectRow(0);
        QTest::keyClick(w->ListView1, Qt::Key_Menu); // opens the menu, as a right click does
        QVERIFY(w->PopupMenu1->isVisible());
        w->PopupMenu1->close();
        QVERIFY(w->DeleteFile1->isEnabled() && !w->ransliteit1->isEnabled());
        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(w->results().rowCount(), 2);

        test::MessageBoxDriver boxes;
        w->ListView1->selectRow(shown(*w).indexOf(QString::fromUtf8("c:\\|Ёж.txt")));
        boxes.answer(QMessageBox::Yes);
        w->DeleteFile1Click();
        QCOMPARE(boxes.seen.at(0), QString::fromUtf8("Erase c:\\\\Ёж.txt?"));
        QVERIFY(!m_tree->exists("Ёж.txt"));
        QCOMPARE(shown(*w), QStringList { QString::fromUtf8("c:\\|Жук.txt") });
        // The rename asks, then fails on the existing target and replaces nothing.
        w->ListView1->selectRow(0);
        boxes.answer(QMessageBox::Yes);
        boxes.answer(QMessageBox::Ok);
        w->ransliteit1Click();
        QCOMPARE(boxes.seen.back(), QStringLiteral("File I/O error."));
        QCOMPARE(QString::fromStdString(m_tree->read("ZHuk.txt")), QStringLiteral("already here"));
        // The general error report adds a stop unless one is there.
        QCOMPARE(generalErrorText(QStringLiteral("File not found")), QStringLiteral("File not found."));
        QCOMPARE(generalErrorText(QStringLiteral("Ends with a stop.")), QStringLiteral("Ends with a stop."));
    }

    // A large search is shown in parts, in the engine's order. Stopped right after a first
    // full part, the rest of the batch already taken from the worker's queue must not follow;
    // the rows shown stay, "Finished" never shows, and the menu, disabled while searching,
    // comes back. A close during a search stops it.
    void aLargeSearchIsShownInPartsAndStopsAtOnce()
    {
        for (int f = 0; f < 17000; ++f)
            m_tree->makeFile("d" + std::to_string(f / 1000) + "/f" + std::to_string(f % 1000));
        struct Keys : RowSink {
            QStringList keys;
            void addRow(ResultRow&& row) override
            {
                keys << QString::fromStdString(std::string(row.pathText()) + "|" + row.name);
            }
            void setStatus(const SharedText&) override { }
        } expected;
        SearchCriteria criteria;
        criteria.setAfterDate(false);
        const std::atomic<bool> never { false };
        SearchJob(criteria, expected, never).run("c:", "*.*");
        auto w = makeWindow();
        const int part = static_cast<int>(SearchSession::MaxRowsPerDrain);
        bool stopAtFirstPart = false;
        connect(
            &w->results(), &QAbstractItemModel::rowsInserted, w.get(), [&](const QModelIndex&, int first, int last) {
                if (stopAtFirstPart && last - first + 1 == part)
                    QTimer::singleShot(0, w.get(), [&w] { QTest::mouseClick(w->BitBtn2, Qt::LeftButton); });
            });
        for (bool stop : { false, true }) {
            stopAtFirstPart = stop;
            w->Clearlist1Click();
            w->ComboBox1->setEditText(QStringLiteral("c:"));
            QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
            QVERIFY(!w->PopupMenu1->actions().first()->isEnabled());
            QVERIFY(w->waitForWorker(20000)); // all handed over, at most a first part shown
            QTRY_COMPARE_WITH_TIMEOUT(w->BitBtn2->text(), QStringLiteral("Search"), 20000);
            QVERIFY(w->waitForSearchEnd(20000));
            QCoreApplication::processEvents();
            QCOMPARE(w->statusText(stop ? 0 : 1), stop ? QString::number(part) : QStringLiteral("Finished"));
            QCOMPARE(shown(*w), stop ? expected.keys.mid(0, part) : expected.keys);
            QVERIFY(w->PopupMenu1->actions().first()->isEnabled());
        }

        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        QVERIFY(w->close());
        w.reset(); // waits for the worker; nothing may reach a destroyed list
    }

    // AutoSave writes the list to D: when a search stops, under a name made of the threshold.
    void savingTheList()
    {
        m_tree->makeFile("data/a.txt");
        m_tree->makeFile("out/a/b.txt", "other file");
        m_drives->map({ { 'c', m_tree->root() }, { 'd', m_tree->path("out") } });
        auto w = makeWindow();
        w->DateTimePicker1->setDateTime(QDateTime(QDate(2036, 12, 4), QTime(14, 30, 5), Qt::UTC));
        w->CheckBox2->setChecked(true);
        searchAndWait(*w, QStringLiteral("c:\\data"));
        const QString list = "c:\\data" + QString(42, ' ') + "a.txt \r\n";
        QCOMPARE(QString::fromStdString(m_tree->read("out/fls114 30 05_04 12 2036")), list);
        // Answers the save dialog with a file name, as its Save button would; or cancels it
        // once a box was answered.
        test::MessageBoxDriver boxes;
        const auto save = [&](const std::string& file) {
            whenModal([&boxes, file = QString::fromStdString(m_tree->path(file))](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                if (!dialog)
                    return false;
                if (boxes.seen.empty()) {
                    dialog->selectFile(file);
                    QMetaObject::invokeMethod(dialog, "accept");
                } else {
                    dialog->reject();
                }
                return dialog->isHidden();
            });
            w->Savelisttofile1Click();
        };
        // Saved by hand: a name holding "\" beside a folder "a" with "b.txt" in it: the list goes to the
        // confirmed file, and "a/b.txt" stays as it is.
        save("out/a\\b.txt");
        QCOMPARE(QString::fromStdString(m_tree->read("out/a\\b.txt")), list);
        QCOMPARE(QString::fromStdString(m_tree->read("out/a/b.txt")), QStringLiteral("other file"));
        // An existing file: the dialog asks first; No keeps the file as it is.
        m_tree->makeFile("out/a\\b.txt", "keep me");
        boxes.answer(QMessageBox::No);
        save("out/a\\b.txt");
        QCOMPARE(boxes.seen.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(m_tree->read("out/a\\b.txt")), QStringLiteral("keep me"));
        // Without a drive D: the automatic save says why.
        m_drives->map({ { 'c', m_tree->root() } });
        searchAndWait(*w, QStringLiteral("c:\\data"));
        QCOMPARE(boxes.seen.back(), QStringLiteral("Invalid filename"));
    }

    // Rows lead out to the desktop on the host's own paths. A host path typed as a root is
    // searched as its drive's path. Enter and a double-click open a row's entry; the menu
    // shows it in its folder (through the file manager where the session bus has one) and
    // copies it, as Ctrl+C and a drag do, a name's exact bytes in its URL; a gone entry
    // is "File not found.". While a search runs the menu's new items are off.
    void rowsLeadToTheDesktop_data()
    {
        QTest::addColumn<bool>("driveAtRoot");
        QTest::newRow("the tree as C:") << false;
        QTest::newRow("C: at /, as on a default set-up") << true;
    }

    void rowsLeadToTheDesktop()
    {
        QFETCH(bool, driveAtRoot);
        std::string folder = "c:\\";
        if (driveAtRoot) { // on a disk: a tree in /dev/shm is under /dev, which no drive shows
            ::setenv("TMPDIR", "/tmp", 1);
            m_tree.emplace();
            m_drives->map({ { 'c', "/" } });
            folder = "c:" + m_tree->root();
            std::replace(folder.begin(), folder.end(), '/', '\\');
        }
        const QByteArray root = "file://" + QUrl::toPercentEncoding(QString::fromStdString(m_tree->root()), "/");
        const std::map<std::string, QByteArray> files = { { "plain.txt", "plain.txt" },
            { "Отчёт.doc", "%D0%9E%D1%82%D1%87%D1%91%D1%82.doc" }, { "bad\xFF.txt", "bad%FF.txt" } };
        for (const auto& file : files)
            m_tree->makeFile(file.first, "1234");
        auto w = makeWindow();
        searchAndWait(*w, QString::fromStdString(m_tree->root() + "/"));
        QCOMPARE(w->results().rowCount(), 3);
        for (int r = 0; r < 3; ++r) {
            const ResultRow& row = w->results().row(r);
            // Every cell shows its row's text: a blank or another row's cell is a fault.
            const QString cells = QString::fromStdString(
                folder + "|" + row.name + "|" + std::string(row.timeText()) + "|" + row.size + "| ");
            QCOMPARE(shown(*w, ResultColumnCount).value(r), cells);
            const QByteArray url = root + "/" + files.at(row.name);
            const QString text = QString::fromStdString(m_tree->path(row.name));
            w->ListView1->selectRow(r);
            QTest::keyClick(w->ListView1, Qt::Key_C, Qt::ControlModifier);
            std::unique_ptr<QMimeData> dragged(w->results().mimeData({ w->results().index(r, 1) }));
            for (const QMimeData* data :
                { QGuiApplication::clipboard()->mimeData(), const_cast<const QMimeData*>(dragged.get()) }) {
                QCOMPARE(data->data("text/uri-list"), url + "\r\n");
                QCOMPARE(data->text(), text);
            }
            QCOMPARE(w->results().index(r, 1).data(Qt::ToolTipRole).toString(), text);
            QTest::keyClick(w->ListView1, Qt::Key_Return);
            QCOMPARE(std::exchange(m_opened, {}), QByteArrayList { url });
        }
        const QPoint first = w->ListView1->visualRect(w->results().index(0, 0)).center();
        QTest::mouseClick(w->ListView1->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(w->ListView1->viewport(), Qt::LeftButton, {}, first); // the second press
        QCOMPARE(std::exchange(m_opened, {}), QByteArrayList { root + "/" + files.at(w->results().row(0).name) });
        w->PopupMenu1Popup();
        w->Opencontainingfolder1->trigger(); // no file manager on the bus: the folder opens
        QCOMPARE(std::exchange(m_opened, {}), QByteArrayList { root });

        test::MessageBoxDriver boxes;
        m_tree->remove(w->results().row(0).name);
        QTest::keyClick(w->ListView1, Qt::Key_Return);
        QCOMPARE(boxes.seen, std::vector<QString> { QStringLiteral("File not found.") });
        QVERIFY(m_opened.isEmpty());
        w->BitBtn2Click();
        w->PopupMenu1Popup();
        QVERIFY(!w->Opencontainingfolder1->isEnabled() && !w->Copypath1->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(w->BitBtn2->text(), QStringLiteral("Search"), 20000);

        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("dbus-daemon could not start a session bus: the file manager call is not checked");
        FileManagerService fileManager;
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.registerObject("/org/freedesktop/FileManager1", &fileManager, QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        w->ListView1->selectRow(1);
        w->Opencontainingfolder1Click();
        QTRY_COMPARE(fileManager.shown, QStringList { root + "/" + files.at(w->results().row(1).name) });
        QVERIFY(m_opened.isEmpty());
        bus.unregisterService(QStringLiteral("org.freedesktop.FileManager1")); // gone for the next run
    }

    // The commands that go through the real folder picker: ">" and the hidden "Rename Dir";
    // the picker hands over a folder name's exact bytes, UTF-8 or not.
    void pickerCommands()
    {
        const std::string folder = "Папка";
        const std::string bad = "bad\xFF\xFE";
        m_tree->makeFile(bad + "/inside.txt");
        m_tree->makeDir(folder + "/sub");
        auto w = makeWindow();
        QList<QRect> placed; // each picker window as shown, then its tree inside it
        QStringList titles;
        // Opens the picker at a folder, then sends a key to one of its controls.
        const auto pick = [&](const std::string& path, const char* control, Qt::Key key, void (TForm1::*command)(),
                              QSize resizeTo = {}) {
            w->folderPicker().Directory = path;
            whenModal([&placed, &titles, control, key, resizeTo](QWidget* modal) {
                titles << modal->windowTitle();
                placed << modal->geometry() << modal->findChild<QWidget*>(QStringLiteral("tree"))->geometry();
                if (resizeTo.isValid()) // as the user drags the window's border
                    modal->resize(resizeTo);
                QTest::keyClick(modal->findChild<QWidget*>(QString::fromLatin1(control)), key);
                return true;
            });
            ((*w).*command)();
        };
        // ">": Cancel changes nothing; OK replaces the roots, and the search walks that folder.
        // The picker opens centred at 250 x 250, the tree above the buttons' 50 pixels, then
        // at the size it last had.
        pick("C:\\" + bad, "cancelButton", Qt::Key_Space, &TForm1::SpeedButton1Click, QSize(300, 280));
        QCOMPARE(w->ComboBox1->currentText(), QStringLiteral("c:;"));
        pick("C:\\" + bad, "okButton", Qt::Key_Space, &TForm1::SpeedButton1Click);
        QCOMPARE(titles, QStringList(2, QStringLiteral("Select folder")));
        QVERIFY((placed[0].center() - w->screen()->availableGeometry().center()).manhattanLength() <= 2);
        QCOMPARE(placed,
            (QList<QRect> { { placed[0].topLeft(), QSize(250, 250) }, { 0, 0, 250, 200 },
                { placed[2].topLeft(), QSize(300, 280) }, { 0, 0, 300, 230 } }));
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(w->BitBtn2->text(), QStringLiteral("Search"), 20000);
        QCOMPARE(w->results().row(0).fullPath(), "C:\\" + bad + "\\inside.txt");

        // "Rename Dir": the whole chosen path transliterated, without a question.
        test::MessageBoxDriver boxes;
        pick("C:\\" + folder, "tree", Qt::Key_Return, &TForm1::RenameDir1Click);
        QVERIFY(boxes.seen.empty());
        QVERIFY(m_tree->isDir("Papka/sub") && !m_tree->exists(folder));
        // Onto a folder that is there already, even an empty one: refused, both kept.
        m_tree->makeDir("Лес/x");
        m_tree->makeDir("Les");
        pick("C:\\Лес", "okButton", Qt::Key_Space, &TForm1::RenameDir1Click);
        QCOMPARE(boxes.seen, std::vector<QString> { QStringLiteral("File I/O error.") });
        QVERIFY(m_tree->isDir("Лес/x") && m_tree->isDir("Les"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
