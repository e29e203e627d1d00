// The main window driven as a user would: real controls, real searches of temporary trees
// mapped as drives, real message boxes answered by the test.

// moc reads this file for the test class only; the program's headers (C++20 library
// headers that moc cannot parse) stay out of its way.
#ifndef Q_MOC_RUN
#include "app/MessageBoxes.h"
#include "app/SaveDialog.h"
#include "app/TForm1.h"
#include "folderpicker/TbsSkinSelectDirectoryDialog.h"
#include "results/ResultsModel.h"
#include "search/SearchCriteria.h"
#include "search/SearchJob.h"
#include "search/SearchSession.h"
#include "support/MessageBoxDriver.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"
#endif

#include <QTest>

#include <QtWidgets>

#include <optional>
#include <unistd.h>

using namespace nuvero;

namespace {

QStringList names(TForm1& w)
{
    QStringList list;
    for (int r = 0; r < w.results().rowCount(); ++r)
        list << QString::fromStdString(std::string(w.results().row(r).pathText()) + "|" + w.results().row(r).name);
    return list;
}

// The picker value of a threshold given as date and time (the pickers keep local time as UTC).
QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
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

// The rows of a search of c: without the time test, as the engine finds them: "path|name".
QStringList engineRows()
{
    struct Keys : RowSink {
        QStringList keys;
        void addRow(ResultRow&& row) override
        {
            keys << QString::fromStdString(std::string(row.pathText()) + "|" + row.name);
        }
        void setStatus(const SharedText&) override { }
    } sink;
    SearchCriteria criteria;
    criteria.setAfterDate(false);
    const std::atomic<bool> stop { false };
    SearchJob(criteria, sink, stop).run("c:", "*.*");
    return sink.keys;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::optional<test::TempTree> m_tree;
    std::optional<test::TestDrives> m_drives;

    // A shown and active window; with everyEntry the date filter is off, so that every
    // entry a search meets is a hit.
    std::unique_ptr<TForm1> makeWindow(bool everyEntry = true)
    {
        auto w = std::make_unique<TForm1>();
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("the window did not become active");
        if (everyEntry)
            w->CheckBox1->setChecked(false);
        return w;
    }

    // Runs a search of the roots text and waits until the caption reads "Search" again.
    void searchAndWait(TForm1& w, const QString& roots)
    {
        w.ComboBox1->setEditText(roots);
        QCOMPARE(w.BitBtn2->text(), QStringLiteral("Search"));
        QTest::mouseClick(w.BitBtn2, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(w.BitBtn2->text(), QStringLiteral("Search"), 20000);
        QVERIFY(w.waitForSearchEnd(20000));
    }

private slots:
    void initTestCase()
    {
        if (::access("/dev/shm", W_OK) == 0) // trees in memory where the system has it
            ::setenv("TMPDIR", "/dev/shm", 1);
    }

    void init()
    {
        m_tree.emplace();
        m_drives.emplace();
        m_drives->map({ { 'c', m_tree->root() } });
    }

    void cleanup()
    {
        m_drives.reset();
        m_tree.reset();
    }

    // The window starts with the stored threshold (24 hours before the start without one)
    // and the roots "c:" up to the last drive; the two pickers hold one value.
    void startsWithItsOwnValuesAndThePickersHoldOne()
    {
        m_tree->makeDir("e");
        m_drives->map({ { 'c', m_tree->root() }, { 'e', m_tree->path("e") } }, "[s]\na=04.12.2026 14:30:05\n");
        auto w = makeWindow(false);
        QCOMPARE(w->DateTimePicker2->dateTime(), at(2026, 12, 4, 14, 30, 5));
        QCOMPARE(w->ComboBox1->currentText(), QStringLiteral("c:;d:;e:;"));
        QCOMPARE(w->ComboBox1->itemText(3), QStringLiteral("e:"));
        w->DateTimePicker1->setDate(QDate(2025, 1, 2));
        w->DateTimePicker2->setTime(QTime(8, 9, 10));
        QCOMPARE(w->DateTimePicker1->dateTime(), at(2025, 1, 2, 8, 9, 10));
        QCOMPARE(w->criteria().threshold().rowText(), std::string("02.01.2025  08:09:10"));

        m_drives->map({ { 'c', m_tree->root() } });
        const qint64 before = QDateTime::currentSecsSinceEpoch() - 86400;
        w = makeWindow(false);
        const qint64 shown
            = w->DateTimePicker1->dateTime().toSecsSinceEpoch() - QDateTime::currentDateTime().offsetFromUtc();
        QVERIFY(shown >= before - 1 && shown <= QDateTime::currentSecsSinceEpoch() - 86400);
        QCOMPARE(w->ComboBox1->currentText(), QStringLiteral("c:;"));
    }

    // "Rus names" empties the list before its search, which finds Cyrillic names only; the
    // transliteration items follow the box and how the last search started.
    void rusNamesAndThePopupRule()
    {
        m_tree->makeFile("\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.doc"); // Отчёт.doc
        m_tree->makeFile("plain.doc");
        auto w = makeWindow();
        searchAndWait(*w, QStringLiteral("c:"));
        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(w->results().rowCount(), 4); // appended
        QVERIFY(!w->RusSearchFlag);
        w->ListView1->clearSelection();
        w->RusCheck->setChecked(true);
        w->PopupMenu1Popup();
        QVERIFY(!w->DeleteFile1->isEnabled()); // no row selected
        QVERIFY(!w->ransliteit1->isEnabled()); // the search started without "Rus names"

        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(names(*w), QStringList { QString::fromUtf8("c:\\|Отчёт.doc") });
        QVERIFY(w->RusSearchFlag);
        w->ListView1->selectRow(0);
        w->PopupMenu1Popup();
        QVERIFY(w->DeleteFile1->isEnabled());
        QVERIFY(w->ransliteit1->isEnabled());
        QVERIFY(w->ransilteandrenameall1->isEnabled());
        w->RusCheck->setChecked(false);
        w->PopupMenu1Popup();
        QVERIFY(!w->ransilteandrenameall1->isEnabled());
    }

    // A large search is shown in parts, in the engine's order. Stopped right after a first
    // full part, the rest of the batch already taken from the worker's queue must not follow;
    // the rows shown stay, "Finished" never shows, and the menus, disabled while searching,
    // come back. A close during a search stops it.
    void aLargeSearchIsShownInPartsAndStopsAtOnce()
    {
        test::TempTree large; // more hits than one drain shows
        for (int f = 0; f < 40000; ++f)
            large.makeFile("d" + std::to_string(f / 1000) + "/f" + std::to_string(f % 1000));
        m_drives->map({ { 'c', large.root() } });
        const QStringList expected = engineRows();
        auto w = makeWindow();
        w->ComboBox1->setEditText(QStringLiteral("c:"));
        int largest = 0;
        bool stopAtFirstPart = false;
        connect(
            &w->results(), &QAbstractItemModel::rowsInserted, w.get(), [&](const QModelIndex&, int first, int last) {
                largest = std::max(largest, last - first + 1);
                if (stopAtFirstPart && last - first + 1 == static_cast<int>(SearchSession::MaxRowsPerDrain))
                    QTimer::singleShot(0, w.get(), [&w] { QTest::mouseClick(w->BitBtn2, Qt::LeftButton); });
            });
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        QVERIFY(w->waitForWorker(20000)); // all handed over, at most a first part shown
        QTRY_COMPARE_WITH_TIMEOUT(w->BitBtn2->text(), QStringLiteral("Search"), 20000);
        QCOMPARE(names(*w), expected);
        QCOMPARE(w->statusText(1), QStringLiteral("Finished"));
        QCOMPARE(largest, static_cast<int>(SearchSession::MaxRowsPerDrain));

        w->Clearlist1Click();
        stopAtFirstPart = true;
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        for (QAction* a : w->PopupMenu1->actions())
            QVERIFY(!a->isEnabled());
        QVERIFY(w->waitForWorker(20000));
        QTRY_COMPARE_WITH_TIMEOUT(w->BitBtn2->text(), QStringLiteral("Search"), 20000);
        QVERIFY(w->waitForSearchEnd(20000));
        QCoreApplication::processEvents();
        QCOMPARE(w->results().rowCount(), static_cast<int>(SearchSession::MaxRowsPerDrain));
        QCOMPARE(w->statusText(0), QString::number(SearchSession::MaxRowsPerDrain));
        for (QAction* a : w->PopupMenu1->actions())
            QVERIFY(a->isEnabled() || !a->isVisible());

        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        QVERIFY(w->close());
        QCOMPARE(w->BitBtn2->text(), QStringLiteral("Search"));
        w.reset(); // waits for the worker; nothing may reach a destroyed list
    }

    void autoSaveWritesTheListWhenTheSearchStops()
    {
        m_tree->makeFile("data/a.txt");
        m_tree->makeDir("home");
        m_drives->map({ { 'c', m_tree->path("data") }, { 'd', m_tree->path("home") } });
        const std::string file = "home/fls114 30 05_04 12 2036";
        auto w = makeWindow();
        w->DateTimePicker1->setDateTime(at(2036, 12, 4, 14, 30, 5));
        searchAndWait(*w, QStringLiteral("c:"));
        QVERIFY(!m_tree->exists(file)); // AutoSave unchecked
        w->CheckBox2->setChecked(true);
        w->CheckBox1->setChecked(true); // the threshold lies in the future: no hit
        searchAndWait(*w, QStringLiteral("c:"));
        // Rows of the earlier search are saved too.
        QCOMPARE(QString::fromStdString(m_tree->read(file)), "c:\\" + QString(46, ' ') + "a.txt \r\n");

        // Without a drive D: the save fails with a box, and the program goes on.
        m_drives->map({ { 'c', m_tree->path("data") } });
        test::MessageBoxDriver boxes;
        boxes.answer(QMessageBox::Ok);
        searchAndWait(*w, QStringLiteral("c:"));
        QTRY_COMPARE(boxes.seen.size(), std::size_t(1));
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Invalid filename"));
        QCOMPARE(w->BitBtn2->text(), QStringLiteral("Search"));
    }

    // The question and error texts are the file commands' (FileCommandsTest); here they
    // come up in real boxes, from the menu and from the keys.
    void deleteAndRenameAskAndReportInRealBoxes()
    {
        const QString beetle = QString::fromUtf8("Жук.txt");
        const QString hedgehog = QString::fromUtf8("Ёж.txt");
        m_tree->makeFile(beetle.toStdString(), "beetle");
        m_tree->makeFile(hedgehog.toStdString(), "to go");
        m_tree->makeFile("ZHuk.txt", "already here");
        auto w = makeWindow();
        w->RusCheck->setChecked(true);
        searchAndWait(*w, QStringLiteral("c:"));
        test::MessageBoxDriver boxes;

        // Delete asks first; the Delete key asks the same; the context-menu key opens the menu.
        w->ListView1->selectRow(names(*w).indexOf("c:\\|" + hedgehog));
        boxes.answer(QMessageBox::No);
        w->DeleteFile1Click();
        boxes.answer(QMessageBox::No);
        w->ListView1->setFocus();
        QTest::keyClick(w->ListView1, Qt::Key_Delete);
        QCOMPARE(boxes.seen.size(), std::size_t(2));
        QCOMPARE(boxes.seen[1].text, QString::fromUtf8("Erase c:\\\\Ёж.txt?"));
        QVERIFY(m_tree->exists(hedgehog.toStdString()));
        QTest::keyClick(w->ListView1, Qt::Key_Menu);
        QTRY_VERIFY(w->PopupMenu1->isVisible());
        w->PopupMenu1->hide();
        boxes.answer(QMessageBox::Yes);
        w->DeleteFile1Click();
        QVERIFY(!m_tree->exists(hedgehog.toStdString()));
        QCOMPARE(names(*w), QStringList { "c:\\|" + beetle });

        // The rename asks, then fails on the existing target with the I/O error box.
        boxes.seen.clear();
        w->ListView1->selectRow(0);
        boxes.answer(QMessageBox::Yes);
        boxes.answer(QMessageBox::Ok);
        w->ransliteit1Click();
        QCOMPARE(boxes.seen.size(), std::size_t(2));
        QCOMPARE(boxes.seen[1].text, QStringLiteral("File I/O error."));
        QCOMPARE(QString::fromStdString(m_tree->read("ZHuk.txt")), QStringLiteral("already here"));
        boxes.answer(QMessageBox::No);
        w->ransilteandrenameall1Click(); // one question for the whole list
        QCOMPARE(boxes.seen.size(), std::size_t(3));
        w->Clearlist1Click();
        QCOMPARE(w->statusText(0), QStringLiteral("0"));
        // The general error report: the program's name, a stop added unless one is there.
        boxes.seen.clear();
        generalErrorReport(nullptr, QStringLiteral("File not found"));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("main_window_test"));
        QCOMPARE(boxes.seen[0].text, QStringLiteral("File not found."));
        QCOMPARE(generalErrorText(QStringLiteral("Ends with a stop.")), QStringLiteral("Ends with a stop."));
    }

    void savingByHandWritesTheListAndAsksBeforeReplacing()
    {
        m_tree->makeFile("data/a.txt");
        m_tree->makeDir("out");
        auto w = makeWindow();
        searchAndWait(*w, QStringLiteral("c:\\data"));
        // Answers the save dialog with a file name, as its Save button would.
        const auto choose = [](const QString& file) {
            return [file](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                if (dialog) {
                    dialog->selectFile(file);
                    QMetaObject::invokeMethod(dialog, "accept");
                }
                return dialog != nullptr;
            };
        };
        const QString target = QString::fromStdString(m_tree->path("out/list.txt"));
        const auto chooseTarget = choose(target);
        const QString list = "c:\\data" + QString(42, ' ') + "a.txt \r\n";
        whenModal(chooseTarget);
        w->Savelisttofile1Click();
        QCOMPARE(QString::fromStdString(m_tree->read("out/list.txt")), list);
        QCOMPARE(w->saveDialog().FileName(), target); // offered again next time

        // A name holding "\" beside a folder "a" with "b.txt" in it: the list goes to the
        // confirmed file, and "a/b.txt" stays as it is.
        m_tree->makeFile("out/a/b.txt", "other file");
        whenModal(choose(QString::fromStdString(m_tree->path("out/a\\b.txt"))));
        w->Savelisttofile1Click();
        QCOMPARE(QString::fromStdString(m_tree->read("out/a\\b.txt")), list);
        QCOMPARE(QString::fromStdString(m_tree->read("out/a/b.txt")), QStringLiteral("other file"));

        // An existing file: the dialog asks first; No keeps the file as it is, and the
        // dialog, still open, is cancelled.
        m_tree->makeFile("out/list.txt", "keep me");
        test::MessageBoxDriver boxes;
        boxes.answer(QMessageBox::No);
        whenModal(chooseTarget);
        whenModal([&boxes](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog && boxes.seen.size() == 1)
                dialog->reject();
            return dialog && boxes.seen.size() == 1;
        });
        w->Savelisttofile1Click();
        QCOMPARE(boxes.seen.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(m_tree->read("out/list.txt")), QStringLiteral("keep me"));
    }

    // The commands that go through the real folder picker: ">", "Add from DirList" and the
    // hidden "Rename Dir"; the picker hands over a folder name's exact bytes, UTF-8 or not.
    void pickerCommands()
    {
        const std::string folder = "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0"; // Папка
        const std::string bad = "bad\xFF\xFE";
        m_tree->makeFile(bad + "/inside.txt");
        m_tree->makeDir(folder + "/sub");
        auto w = makeWindow();
        const auto pick = [&w](const std::string& path, const char* button, void (TForm1::*command)()) {
            w->folderPicker().Directory = path;
            whenModal([button](QWidget* modal) {
                auto* b = modal->findChild<QPushButton*>(QString::fromLatin1(button));
                if (b)
                    b->click();
                return b != nullptr;
            });
            ((*w).*command)();
        };
        // Every change of the excluded paths reaches the search as a whole new list.
        const auto published = [&w] { return *w->criteria().exclusions(); };
        w->Add1Click();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // the row stays, empty
        w->Add1Click();
        w->ListView2->topLevelItem(1)->setText(0, QStringLiteral("c:\\skip")); // as an edit ends
        QCOMPARE(published(), (SearchCriteria::Exclusions { "", "c:\\skip" }));
        w->ListView2->clearSelection();
        w->PopupMenu2Popup();
        QVERIFY(!w->Delete1->isEnabled());
        w->ListView2->topLevelItem(0)->setSelected(true);
        w->PopupMenu2Popup();
        QVERIFY(w->Delete1->isEnabled());
        w->Delete1Click();
        QCOMPARE(published(), SearchCriteria::Exclusions { "c:\\skip" });
        // ">": Cancel changes nothing, OK replaces the whole roots text, and the search
        // walks that very folder.
        w->ComboBox1->setEditText(QStringLiteral("c:;d:;"));
        pick("C:\\" + bad, "cancelButton", &TForm1::SpeedButton1Click);
        QCOMPARE(w->ComboBox1->currentText(), QStringLiteral("c:;d:;"));
        pick("C:\\" + bad, "okButton", &TForm1::SpeedButton1Click);
        QVERIFY(w->ComboBox1->currentText().contains(QChar(0xFFFD)));
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(w->BitBtn2->text(), QStringLiteral("Search"), 20000);
        QCOMPARE(w->results().row(0).fullPath(), "C:\\" + bad + "\\inside.txt");

        // "Add from DirList": OK appends (twice, two more rows), Cancel adds nothing; the search
        // skips the folder.
        for (const char* button : { "okButton", "okButton", "cancelButton" })
            pick("C:\\" + bad, button, &TForm1::AddfromDirList1Click);
        QCOMPARE(w->ListView2->topLevelItemCount(), 3);
        w->Clearlist1Click();
        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(w->results().rowCount(), 3);
        QVERIFY(!names(*w).join(' ').contains(QStringLiteral("inside.txt")));

        // "Rename Dir": the whole chosen path transliterated, without a question; a target
        // that exists gives "File I/O error." and nothing is replaced.
        test::MessageBoxDriver boxes;
        pick("C:\\" + folder, "okButton", &TForm1::RenameDir1Click);
        QVERIFY(boxes.seen.empty());
        QVERIFY(m_tree->isDir("Papka/sub") && !m_tree->exists(folder));
        QCOMPARE(w->statusText(1), QString::fromUtf8("C:\\Папка      C:\\Papka"));
        m_tree->makeDir(folder);
        boxes.answer(QMessageBox::Ok);
        pick("C:\\" + folder, "okButton", &TForm1::RenameDir1Click);
        QCOMPARE(boxes.seen.size(), std::size_t(1));
        QCOMPARE(boxes.seen[0].text, QStringLiteral("File I/O error."));
        QVERIFY(m_tree->isDir("Papka/sub") && m_tree->isDir(folder));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
