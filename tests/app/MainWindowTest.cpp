// The main window driven as a user would: real controls, real searches of temporary trees
// mapped as drives, real message boxes answered by the test.

// moc reads this file for the test class only; the program's headers (C++20 library
// headers that moc cannot parse) stay out of its way.
#ifndef Q_MOC_RUN
#include "app/MessageBoxes.h"
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

class MainWindowTest : public QObject {
    Q_OBJECT

    std::optional<test::TempTree> m_tree;
    std::optional<test::TestDrives> m_drives;

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
    void init()
    {
        if (::access("/dev/shm", W_OK) == 0) // trees in memory where the system has it
            ::setenv("TMPDIR", "/dev/shm", 1);
        m_tree.emplace();
        m_drives.emplace();
        m_drives->map({ { 'c', m_tree->root() } });
    }

    // The window starts with the stored threshold and the roots "c:" up to the last drive;
    // the two pickers hold one value.
    void startsWithTheStoredThresholdAndEveryDrive()
    {
        m_tree->makeDir("e");
        m_drives->map({ { 'c', m_tree->root() }, { 'e', m_tree->path("e") } }, "[s]\na=04.12.2026 14:30:05\n");
        auto w = makeWindow();
        QCOMPARE(w->ComboBox1->currentText(), QStringLiteral("c:;d:;e:;"));
        QCOMPARE(w->DateTimePicker2->dateTime(), QDateTime(QDate(2026, 12, 4), QTime(14, 30, 5), Qt::UTC));
        w->DateTimePicker1->setDate(QDate(2025, 1, 2));
        w->DateTimePicker2->setTime(QTime(8, 9, 10));
        QCOMPARE(w->criteria().threshold().rowText(), std::string("02.01.2025  08:09:10"));
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
        w->ListView1->selectRow(names(*w).indexOf(QString::fromUtf8("c:\\|Ёж.txt")));
        boxes.answer(QMessageBox::Yes);
        w->DeleteFile1Click();
        QCOMPARE(boxes.seen.at(0), QString::fromUtf8("Erase c:\\\\Ёж.txt?"));
        QVERIFY(!m_tree->exists("Ёж.txt"));
        QCOMPARE(names(*w), QStringList { QString::fromUtf8("c:\\|Жук.txt") });
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
            QCOMPARE(names(*w), stop ? expected.keys.mid(0, part) : expected.keys);
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

    // The commands that go through the real folder picker: ">" and the hidden "Rename Dir";
    // the picker hands over a folder name's exact bytes, UTF-8 or not.
    void pickerCommands()
    {
        const std::string folder = "Папка";
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
        // ">": Cancel changes nothing; OK replaces the roots, and the search walks that folder.
        pick("C:\\" + bad, "cancelButton", &TForm1::SpeedButton1Click);
        QCOMPARE(w->ComboBox1->currentText(), QStringLiteral("c:;"));
        pick("C:\\" + bad, "okButton", &TForm1::SpeedButton1Click);
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(w->BitBtn2->text(), QStringLiteral("Search"), 20000);
        QCOMPARE(w->results().row(0).fullPath(), "C:\\" + bad + "\\inside.txt");

        // "Rename Dir": the whole chosen path transliterated, without a question.
        test::MessageBoxDriver boxes;
        pick("C:\\" + folder, "okButton", &TForm1::RenameDir1Click);
        QVERIFY(boxes.seen.empty());
        QVERIFY(m_tree->isDir("Papka/sub") && !m_tree->exists(folder));
        // Onto a folder that is there already, even an empty one: refused, both kept.
        m_tree->makeDir("Лес/x");
        m_tree->makeDir("Les");
        pick("C:\\Лес", "okButton", &TForm1::RenameDir1Click);
        QCOMPARE(boxes.seen, std::vector<QString> { QStringLiteral("File I/O error.") });
        QVERIFY(m_tree->isDir("Лес/x") && m_tree->isDir("Les"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
