// The main window driven as a user would: real controls, real searches of temporary trees
// mapped as drives, real message boxes answered by the test.

// moc reads this file for the test class only; the program's headers (C++20 library
// headers that moc cannot parse) stay out of its way.
#ifndef Q_MOC_RUN
#include "app/MessageBoxes.h"
#include "app/SaveDialog.h"
#include "app/TForm1.h"
#include "folderpicker/TbsSkinSelectDirectoryDialog.h"
#include "platform/Platform.h"
#include "results/ResultsModel.h"
#include "support/MessageBoxDriver.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"
#endif

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

using namespace nuvero;

namespace {

QString rowText(TForm1& w, int row, int column)
{
    return w.results().data(w.results().index(row, column)).toString();
}

QStringList names(TForm1& w)
{
    QStringList list;
    for (int r = 0; r < w.results().rowCount(); ++r)
        list << rowText(w, r, 0) + QLatin1Char('|') + rowText(w, r, 1);
    return list;
}

QDateTime pickerValue(const QDateTimeEdit* picker)
{
    return picker->dateTime();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempTree> m_tree;
    std::unique_ptr<test::TestDrives> m_drives;

    std::unique_ptr<TForm1> makeWindow()
    {
        auto w = std::make_unique<TForm1>();
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("the window did not become active");
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
    void init()
    {
        m_tree = std::make_unique<test::TempTree>();
        m_drives = std::make_unique<test::TestDrives>();
        m_drives->map({ { 'c', m_tree->root() } });
    }

    void cleanup()
    {
        m_drives.reset();
        m_tree.reset();
    }

    void startsWithTheWindowsOwnValues()
    {
        const DateTime before = platform::localNow().addMsecs(-86400000);
        auto w = makeWindow();
        const DateTime after = platform::localNow().addMsecs(-86400000);
        QCOMPARE(w->windowTitle(), QStringLiteral("Nuvero v.3.0"));
        QCOMPARE(w->pos(), QPoint(100, 100));
        QCOMPARE(w->size(), QSize(535, 451));
        QCOMPARE(w->minimumSize(), QSize(528, 200));
        QCOMPARE(w->ComboBox2->currentText(), QStringLiteral("KBytes"));
        QCOMPARE(w->ComboBox3->currentIndex(), -1);
        QCOMPARE(w->ComboBox3->currentText(), QStringLiteral("Appearance"));
        QCOMPARE(w->Edit2->text(), QStringLiteral("*.*"));
        QVERIFY(w->CheckBox1->isChecked());
        QVERIFY(!w->CheckBox2->isChecked());
        QVERIFY(!w->RusCheck->isChecked());
        QCOMPARE(w->BitBtn2->text(), QStringLiteral("Search"));
        QCOMPARE(w->StoredSettings, std::string("error"));
        // 24 hours before the start, to the second, in both pickers.
        const QDateTime shown = pickerValue(w->DateTimePicker1);
        QCOMPARE(pickerValue(w->DateTimePicker2), shown);
        const qint64 seconds = shown.toSecsSinceEpoch();
        QVERIFY(
            seconds >= before.msecs() / 1000 + QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC).toSecsSinceEpoch());
        QVERIFY(seconds
            <= after.msecs() / 1000 + QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC).toSecsSinceEpoch() + 1);
        QCOMPARE(w->criteria().threshold().calendar().second, shown.time().second());
        // Both menus' items are all there, with "Rename Dir" hidden.
        QStringList captions;
        for (QAction* a : w->PopupMenu1->actions())
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions,
            (QStringList { "S&ave list to file", "&Clear list", "-", "&Delete File", "-", "Translite and rename it",
                "Transilte and rename ALL", "Rename Dir" }));
        QVERIFY(!w->RenameDir1->isVisible());
        QCOMPARE(w->ListView2->headerItem()->text(0), QStringLiteral("Excluded paths"));
    }

    void readsTheStoredThreshold_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QDateTime>("threshold");
        QTest::newRow("date-time") << "[s]\na=04.12.2026 14:30:05\n"
                                   << QDateTime(QDate(2026, 12, 4), QTime(14, 30, 5), Qt::UTC);
        QTest::newRow("garbage") << "[s]\na=not a date\n" << QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
        QTest::newRow("binary") << QString::fromLatin1("[s]\na=\x01\xff\n")
                                << QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    }

    void readsTheStoredThreshold()
    {
        QFETCH(QString, settings);
        QFETCH(QDateTime, threshold);
        m_drives->map({ { 'c', m_tree->root() } }, settings.toStdString());
        auto w = makeWindow();
        QCOMPARE(pickerValue(w->DateTimePicker1), threshold);
        QCOMPARE(pickerValue(w->DateTimePicker2), threshold);
    }

    void listsTheDrivesFromCUpToTheLastOne_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("joined");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("C D E") << "cde"
                               << "c:;d:;e:;" << QStringList { "c:;d:;e:;", "c:", "d:", "e:" };
        QTest::newRow("C G") << "cg"
                             << "c:;d:;e:;f:;g:;" << QStringList { "c:;d:;e:;f:;g:;", "c:", "d:", "e:", "f:", "g:" };
        QTest::newRow("C only") << "c"
                                << "c:;" << QStringList { "c:;", "c:" };
        QTest::newRow("A B C") << "abc"
                               << "c:;" << QStringList { "c:;", "c:" };
    }

    void listsTheDrivesFromCUpToTheLastOne()
    {
        QFETCH(QString, letters);
        QFETCH(QString, joined);
        QFETCH(QStringList, items);
        std::map<char, std::string> table;
        for (QChar l : letters) {
            const std::string sub = std::string("drive-") + l.toLatin1();
            m_tree->makeDir(sub);
            table[l.toLatin1()] = m_tree->path(sub);
        }
        m_drives->map(table);
        auto w = makeWindow();
        QCOMPARE(w->ComboBox1->currentText(), joined);
        QStringList actual;
        for (int i = 0; i < w->ComboBox1->count(); ++i)
            actual << w->ComboBox1->itemText(i);
        QCOMPARE(actual, items);
    }

    void resizingMovesTheStripControls_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("panel6Left");
        QTest::addColumn<int>("panel5Width");
        QTest::addColumn<int>("rootsWidth");
        QTest::addColumn<int>("buttonLeft");
        QTest::addColumn<int>("maskWidth");
        QTest::newRow("528") << 528 << 413 << 156 << 121 << 129 << 137;
        QTest::newRow("700") << 700 << 585 << 328 << 293 << 301 << 309;
    }

    void resizingMovesTheStripControls()
    {
        QFETCH(int, width);
        auto w = makeWindow();
        w->resize(width, 451);
        QTRY_COMPARE(w->width(), width);
        QTEST(w->Panel6->x(), "panel6Left");
        QTEST(w->Panel5->width(), "panel5Width");
        QTEST(w->ComboBox1->width(), "rootsWidth");
        QTEST(w->SpeedButton1->x(), "buttonLeft");
        QTEST(w->Edit2->width(), "maskWidth");
        w->resize(300, 100); // below the minimum
        QTRY_COMPARE(w->size(), QSize(528, 200));
    }

    void afterDateEnablesTheDateControls()
    {
        auto w = makeWindow();
        QWidget* controls[] = { w->GroupBox1, w->ComboBox3, w->DateTimePicker1, w->DateTimePicker2 };
        QTest::mouseClick(w->CheckBox1, Qt::LeftButton);
        QVERIFY(!w->CheckBox1->isChecked());
        for (QWidget* c : controls)
            QVERIFY(!c->isEnabled());
        QVERIFY(!w->criteria().afterDate());
        QTest::mouseClick(w->CheckBox1, Qt::LeftButton);
        for (QWidget* c : controls)
            QVERIFY(c->isEnabled());
        QVERIFY(w->criteria().afterDate());
    }

    void thePickersHoldOneValue()
    {
        auto w = makeWindow();
        const QDateTime start(QDate(2026, 12, 4), QTime(14, 30, 5), Qt::UTC);
        w->DateTimePicker1->setDateTime(start);
        QCOMPARE(w->DateTimePicker2->dateTime(), start);
        // A new date in the date picker keeps the time; a new time keeps the date.
        w->DateTimePicker1->setDate(QDate(2025, 1, 2));
        QCOMPARE(w->DateTimePicker2->dateTime(), QDateTime(QDate(2025, 1, 2), QTime(14, 30, 5), Qt::UTC));
        w->DateTimePicker2->setTime(QTime(8, 9, 10));
        QCOMPARE(w->DateTimePicker1->dateTime(), QDateTime(QDate(2025, 1, 2), QTime(8, 9, 10), Qt::UTC));
        QCOMPARE(w->criteria().threshold().rowText(), std::string("02.01.2025  08:09:10"));
    }

    void typingIntoTheTimeKindBoxSelectsNothing()
    {
        auto w = makeWindow();
        w->ComboBox3->setCurrentIndex(1);
        QCOMPARE(w->criteria().timeKind(), 1);
        w->ComboBox3->lineEdit()->selectAll();
        QTest::keyClicks(w->ComboBox3->lineEdit(), QStringLiteral("whatever"));
        QCOMPARE(w->criteria().timeKind(), -1);
        QCOMPARE(w->ComboBox3->count(), 3); // nothing typed is added as an entry
        QVERIFY(!w->ComboBox2->isEditable());
    }

    void aSearchListsItsHitsAndFinishes()
    {
        m_tree->makeFile("top.txt", "12345");
        m_tree->makeFile("sub/inner.txt", std::string(3000, 'x'));
        m_tree->makeDir("sub/deeper");
        auto w = makeWindow();
        w->CheckBox1->setChecked(false); // every entry is a hit
        searchAndWait(*w, QStringLiteral("c:\\"));
        QStringList sorted = names(*w);
        QCOMPARE(sorted.size(), 4);
        // Breadth-first: both entries of the root come before the entries of sub.
        QVERIFY(sorted.indexOf("c:\\|top.txt") < sorted.indexOf("c:\\sub|inner.txt"));
        QVERIFY(sorted.indexOf("c:\\|sub") < sorted.indexOf("c:\\sub|deeper"));
        QCOMPARE(w->statusText(0), QStringLiteral("4"));
        QCOMPARE(w->statusText(1), QStringLiteral("Finished"));
        const int inner = sorted.indexOf("c:\\sub|inner.txt");
        QCOMPARE(rowText(*w, inner, 3), QStringLiteral("2 KBytes"));
        QCOMPARE(rowText(*w, inner, 4), QStringLiteral(" "));
        QCOMPARE(rowText(*w, sorted.indexOf("c:\\|sub"), 4), QStringLiteral("DIR"));
        for (QAction* a : w->PopupMenu1->actions())
            QVERIFY2(a->isEnabled() || !a->isVisible(), qPrintable(a->objectName())); // "Rename Dir" stays hidden
        for (QAction* a : w->PopupMenu2->actions())
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
    }

    void rusNamesEmptiesTheListUncheckedAppends()
    {
        m_tree->makeFile("\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.doc"); // Отчёт.doc
        m_tree->makeFile("plain.doc");
        auto w = makeWindow();
        w->CheckBox1->setChecked(false);
        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(w->results().rowCount(), 2);
        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(w->results().rowCount(), 4); // appended
        QVERIFY(!w->RusSearchFlag);
        w->RusCheck->setChecked(true);
        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(names(*w), QStringList { QString::fromUtf8("c:\\|Отчёт.doc") });
        QVERIFY(w->RusSearchFlag);
    }

    void stopKeepsTheRowsAndNeverSaysFinished()
    {
        for (int i = 0; i < 300; ++i)
            m_tree->makeFile("d" + std::to_string(i % 30) + "/f" + std::to_string(i) + ".txt");
        auto w = makeWindow();
        w->CheckBox1->setChecked(false);
        w->ComboBox1->setEditText(QStringLiteral("c:;c:;c:;c:;c:;c:;c:;c:;c:;c:;"));
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        QCOMPARE(w->BitBtn2->text(), QStringLiteral("Stop"));
        for (QAction* a : w->PopupMenu1->actions())
            QVERIFY(!a->isEnabled());
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton); // stop at once
        QCOMPARE(w->BitBtn2->text(), QStringLiteral("Search"));
        const int rowsAtStop = w->results().rowCount();
        QVERIFY(w->waitForSearchEnd(20000));
        QCoreApplication::processEvents();
        QCOMPARE(w->results().rowCount(), rowsAtStop); // nothing arrives after Stop
        QVERIFY(w->statusText(1) != QStringLiteral("Finished"));
        for (QAction* a : w->PopupMenu1->actions())
            QVERIFY(a->isEnabled() || !a->isVisible());
    }

    void closingDuringASearchStopsItFirst()
    {
        for (int i = 0; i < 200; ++i)
            m_tree->makeFile("d" + std::to_string(i % 20) + "/f" + std::to_string(i) + ".txt");
        auto w = makeWindow();
        w->CheckBox1->setChecked(false);
        w->ComboBox1->setEditText(QStringLiteral("c:;c:;c:;c:;c:;"));
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
        auto w = makeWindow();
        w->CheckBox1->setChecked(false);
        w->DateTimePicker1->setDateTime(QDateTime(QDate(2036, 12, 4), QTime(14, 30, 5), Qt::UTC));
        searchAndWait(*w, QStringLiteral("c:"));
        QVERIFY(!m_tree->exists("home/fls114 30 05_04 12 2036")); // AutoSave unchecked
        w->CheckBox2->setChecked(true);
        w->CheckBox1->setChecked(true); // the threshold lies in the future: no hit
        searchAndWait(*w, QStringLiteral("c:"));
        // Rows of the earlier search are saved too.
        const std::string expected = "c:\\" + std::string(50 - 1 - 3, ' ') + "a.txt \r\n";
        QCOMPARE(
            QString::fromStdString(m_tree->read("home/fls114 30 05_04 12 2036")), QString::fromStdString(expected));
    }

    void aFailingAutoSaveSaysSoAndTheProgramGoesOn()
    {
        m_tree->makeFile("a.txt");
        m_drives->map({ { 'c', m_tree->root() } }); // no drive D:
        auto w = makeWindow();
        test::MessageBoxDriver boxes;
        boxes.answer(QMessageBox::Ok);
        w->CheckBox1->setChecked(false);
        w->CheckBox2->setChecked(true);
        searchAndWait(*w, QStringLiteral("c:"));
        QTRY_COMPARE(boxes.seen().size(), std::size_t(1));
        QCOMPARE(boxes.seen()[0].title, QStringLiteral("Error"));
        QCOMPARE(boxes.seen()[0].text, QStringLiteral("Invalid filename"));
        QCOMPARE(boxes.seen()[0].icon, QMessageBox::Critical);
        QCOMPARE(w->BitBtn2->text(), QStringLiteral("Search"));
    }

    void excludedPathsListAndItsMenu()
    {
        m_tree->makeFile("a.txt");
        auto w = makeWindow();
        w->CheckBox1->setChecked(false);
        w->PopupMenu2Popup();
        QVERIFY(!w->Delete1->isEnabled()); // no row
        w->Add1Click();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // the row stays, empty
        QCOMPARE(w->ListView2->topLevelItemCount(), 1);
        QCOMPARE(w->ListView2->topLevelItem(0)->text(0), QString());
        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(w->results().rowCount(), 0); // an empty prefix excludes everything
        w->ListView2->clearSelection();
        w->PopupMenu2Popup();
        QVERIFY(!w->Delete1->isEnabled());
        w->ListView2->topLevelItem(0)->setSelected(true);
        w->PopupMenu2Popup();
        QVERIFY(w->Delete1->isEnabled());
        w->Delete1Click();
        QCOMPARE(w->ListView2->topLevelItemCount(), 0);
        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(w->results().rowCount(), 1);
    }

    void popupRuleFollowsSelectionAndRusNames()
    {
        m_tree->makeFile("\xD0\x90.txt");
        auto w = makeWindow();
        w->CheckBox1->setChecked(false);
        searchAndWait(*w, QStringLiteral("c:"));
        w->ListView1->clearSelection();
        w->RusCheck->setChecked(true);
        w->PopupMenu1Popup();
        QVERIFY(!w->DeleteFile1->isEnabled());
        QVERIFY(!w->ransliteit1->isEnabled()); // the search started without "Rus names"
        searchAndWait(*w, QStringLiteral("c:"));
        w->ListView1->selectRow(0);
        w->PopupMenu1Popup();
        QVERIFY(w->DeleteFile1->isEnabled());
        QVERIFY(w->ransliteit1->isEnabled());
        QVERIFY(w->ransilteandrenameall1->isEnabled());
        w->RusCheck->setChecked(false);
        w->PopupMenu1Popup();
        QVERIFY(!w->ransilteandrenameall1->isEnabled());
    }

    void deleteAsksInARealBoxAndRemovesTheRow()
    {
        m_tree->makeFile("gone.txt");
        m_tree->makeFile("kept.txt");
        auto w = makeWindow();
        w->CheckBox1->setChecked(false);
        w->Edit2->setText(QStringLiteral("gone.txt"));
        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(w->results().rowCount(), 1);
        w->ListView1->selectRow(0);
        test::MessageBoxDriver boxes;
        boxes.answer(QMessageBox::No);
        w->DeleteFile1Click();
        QCOMPARE(boxes.seen().size(), std::size_t(1));
        QCOMPARE(boxes.seen()[0].title, QStringLiteral("Confirm"));
        QCOMPARE(boxes.seen()[0].text, QStringLiteral("Erase c:\\\\gone.txt?"));
        QCOMPARE(boxes.seen()[0].icon, QMessageBox::Question);
        QVERIFY(m_tree->exists("gone.txt"));
        // The Delete key asks the same question.
        boxes.answer(QMessageBox::No);
        w->ListView1->setFocus();
        QTest::keyClick(w->ListView1, Qt::Key_Delete);
        QCOMPARE(boxes.seen().size(), std::size_t(2));
        QCOMPARE(boxes.seen()[1].text, QStringLiteral("Erase c:\\\\gone.txt?"));
        // The context-menu key opens the list's menu.
        QTest::keyClick(w->ListView1, Qt::Key_Menu);
        QTRY_VERIFY(w->PopupMenu1->isVisible());
        w->PopupMenu1->hide();
        boxes.answer(QMessageBox::Yes);
        w->DeleteFile1Click();
        QVERIFY(!m_tree->exists("gone.txt"));
        QVERIFY(m_tree->exists("kept.txt"));
        QCOMPARE(w->results().rowCount(), 0);
        QCOMPARE(w->statusText(0), QStringLiteral("0"));
    }

    void renameAsksAndReportsFailuresInRealBoxes()
    {
        m_tree->makeFile("\xD0\x96\xD1\x83\xD0\xBA.txt", "beetle"); // Жук.txt
        m_tree->makeFile("ZHuk.txt", "already here");
        auto w = makeWindow();
        w->CheckBox1->setChecked(false);
        w->RusCheck->setChecked(true);
        searchAndWait(*w, QStringLiteral("c:"));
        QCOMPARE(w->results().rowCount(), 1);
        w->ListView1->selectRow(0);
        test::MessageBoxDriver boxes;
        boxes.answer(QMessageBox::Yes);
        boxes.answer(QMessageBox::Ok);
        w->ransliteit1Click();
        QCOMPARE(boxes.seen().size(), std::size_t(2));
        QCOMPARE(boxes.seen()[0].text, QString::fromUtf8("Rename c:\\\\Жук.txt to ZHuk.txt ?"));
        QCOMPARE(boxes.seen()[0].icon, QMessageBox::Question);
        QCOMPARE(boxes.seen()[1].title, QStringLiteral("Error"));
        QCOMPARE(boxes.seen()[1].text, QStringLiteral("File I/O error."));
        QCOMPARE(boxes.seen()[1].icon, QMessageBox::Critical);
        QCOMPARE(QString::fromStdString(m_tree->read("ZHuk.txt")), QStringLiteral("already here"));
        QCOMPARE(rowText(*w, 0, 1), QString::fromUtf8("Жук.txt"));
        QCOMPARE(w->statusText(1), QStringLiteral("ZHuk.txt"));

        boxes.clear();
        boxes.answer(QMessageBox::No);
        w->ransilteandrenameall1Click();
        QCOMPARE(boxes.seen().size(), std::size_t(1));
        QCOMPARE(boxes.seen()[0].text,
            QStringLiteral("Are you sure to transliterate and rename all files and dirictories from the list? "));
    }

    void theGeneralErrorReportNamesTheProgram()
    {
        test::MessageBoxDriver boxes;
        boxes.answer(QMessageBox::Ok);
        generalErrorReport(nullptr, QStringLiteral("File not found"));
        QCOMPARE(boxes.seen().size(), std::size_t(1));
        QCOMPARE(boxes.seen()[0].title, QStringLiteral("main_window_test"));
        QCOMPARE(boxes.seen()[0].text, QStringLiteral("File not found."));
        QCOMPARE(boxes.seen()[0].icon, QMessageBox::Critical);
        QCOMPARE(generalErrorText(QStringLiteral("Ends with a stop.")), QStringLiteral("Ends with a stop."));
        QCOMPARE(generalErrorText(QStringLiteral("I/O error 3")), QStringLiteral("I/O error 3."));
        QCOMPARE(generalErrorText(QStringLiteral("dash -")), QStringLiteral("dash -"));
    }

    void headerClicksSortWithOneDirectionFlag()
    {
        m_tree->makeFile("b.txt");
        m_tree->makeFile("a.txt");
        m_tree->makeFile("c.txt");
        auto w = makeWindow();
        w->CheckBox1->setChecked(false);
        searchAndWait(*w, QStringLiteral("c:"));
        w->ListView1ColumnClick(1);
        QCOMPARE(rowText(*w, 0, 1), QStringLiteral("c.txt")); // first click: descending
        w->ListView1ColumnClick(1);
        QCOMPARE(rowText(*w, 0, 1), QStringLiteral("a.txt"));
        w->Clearlist1Click();
        QCOMPARE(w->results().rowCount(), 0);
    }

    void savingByHandWritesTheListAndAsksBeforeReplacing()
    {
        m_tree->makeFile("data/a.txt");
        m_tree->makeDir("out");
        m_drives->map({ { 'c', m_tree->root() } });
        auto w = makeWindow();
        w->CheckBox1->setChecked(false);
        searchAndWait(*w, QStringLiteral("c:\\data"));
        const QString target = QString::fromStdString(m_tree->path("out/list.txt"));
        // Answers the save dialog with a file name as soon as it is up.
        const auto chooseWhenOpen = [](const QString& path, bool accept) {
            auto* timer = new QTimer;
            timer->setInterval(5);
            QObject::connect(timer, &QTimer::timeout, [timer, path, accept] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!dialog || !dialog->isVisible())
                    return;
                timer->deleteLater();
                timer->stop();
                if (!accept) {
                    dialog->reject();
                    return;
                }
                dialog->selectFile(path);
                QMetaObject::invokeMethod(dialog, "accept"); // what the Save button does
            });
            timer->start();
        };
        chooseWhenOpen(target, true);
        w->Savelisttofile1Click();
        const std::string line = "c:\\data" + std::string(50 - 1 - 7, ' ') + "a.txt \r\n";
        QCOMPARE(QString::fromStdString(m_tree->read("out/list.txt")), QString::fromStdString(line));
        QCOMPARE(w->saveDialog().FileName(), target); // offered again next time

        // An existing file: the dialog asks first; No keeps the file as it is.
        m_tree->makeFile("out/list.txt", "keep me");
        test::MessageBoxDriver boxes;
        boxes.answer(QMessageBox::No);
        chooseWhenOpen(target, true);
        // After the refused replacement the dialog is still open: cancel it.
        auto* canceller = new QTimer;
        canceller->setInterval(5);
        QObject::connect(canceller, &QTimer::timeout, [canceller, &boxes] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog && boxes.seen().size() == 1) {
                canceller->deleteLater();
                canceller->stop();
                dialog->reject();
            }
        });
        canceller->start();
        w->Savelisttofile1Click();
        QCOMPARE(boxes.seen().size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(m_tree->read("out/list.txt")), QStringLiteral("keep me"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
