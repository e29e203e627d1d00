// Takes the screenshots of the user guide from a real session: the program's own window
// on a demo tree, searched, with the folder picker and a rename question open.
// Run under a display (Xvfb in CI-like settings): nuvero-screenshots OUTPUT_DIR

#include "app/TForm1.h"
#include "folderpicker/TbsSkinSelectDirectoryDialog.h"
#include "results/ResultsModel.h"
#include "support/TempTree.h"
#include "support/TestDrives.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// Calls act(dialog) as soon as a modal window is up, from the modal loop itself.
void whenModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        // Let it paint once before the picture is taken.
        QTimer::singleShot(300, modal, [modal, act] { act(modal); });
    });
    timer->start();
}

void save(QWidget* widget, const QString& path)
{
    const QPixmap picture = widget->grab();
    if (!picture.save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nuvero"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/nuvero.svg")));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);

    nuvero::test::TempTree tree;
    tree.makeFile("Local Disk/Projects/report_2026.txt", std::string(12000, 'r'));
    tree.makeFile("Local Disk/Projects/notes.md", std::string(2500, 'n'));
    tree.makeFile("Local Disk/Projects/build/app.o", std::string(90000, 'o'));
    tree.makeFile("Local Disk/\xD0\x94\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD1\x8B/"
                  "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.doc",
        std::string(48000, 'd')); // Документы/Отчёт.doc
    tree.makeFile("Local Disk/\xD0\x94\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD1\x8B/"
                  "\xD0\xA1\xD0\xBC\xD0\xB5\xD1\x82\xD0\xB0.xls",
        std::string(30000, 's')); // Документы/Смета.xls
    tree.makeFile("Local Disk/Photos/2026-12-05/IMG_0412.jpg", std::string(350000, 'p'));
    tree.makeFile("Local Disk/Photos/2026-12-05/IMG_0413.jpg", std::string(360000, 'p'));
    tree.makeDir("Local Disk/Music");
    nuvero::test::TestDrives drives;
    drives.map({ { 'c', tree.path("Local Disk") } });

    nuvero::TForm1 window;
    window.resize(760, 460);
    window.show();
    window.ComboBox1->setEditText(QStringLiteral("c:\\"));
    window.RusCheck->setChecked(false);
    window.BitBtn2->click();
    QDeadlineTimer deadline(20000);
    while (window.searching() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    window.waitForSearchEnd(5000);
    window.ListView1->selectRow(3);
    QApplication::processEvents();
    save(&window, out + QStringLiteral("/main-window.png"));

    // The results list's menu on the selected row, taken from the screen with the window
    // under it.
    const QRect row = window.ListView1->visualRect(window.results().index(3, 1));
    window.PopupMenu1->popup(window.ListView1->viewport()->mapToGlobal(row.center()));
    deadline = QDeadlineTimer(300);
    while (!deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    const QRect area = window.frameGeometry().united(window.PopupMenu1->geometry());
    const QPixmap menu = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString menuFile = out + QStringLiteral("/results-menu.png");
    std::printf("%s\n", menu.save(menuFile) ? qPrintable(menuFile) : "could not write the menu picture");
    window.PopupMenu1->close();

    window.folderPicker().Directory = "C:\\Photos\\2026-12-05";
    whenModal([out](QWidget* dialog) {
        save(dialog, out + QStringLiteral("/folder-picker.png"));
        if (auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("cancelButton")))
            cancel->click();
    });
    window.folderPicker().Execute();

    // A rename question: a "Rus names" search, then "Translite and rename it" on a row.
    window.RusCheck->setChecked(true);
    window.BitBtn2->click();
    deadline = QDeadlineTimer(20000);
    while (window.searching() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    window.waitForSearchEnd(5000);
    window.ListView1->selectRow(0);
    whenModal([out](QWidget* box) {
        save(box, out + QStringLiteral("/rename-question.png"));
        if (auto* message = qobject_cast<QMessageBox*>(box))
            message->button(QMessageBox::No)->click();
    });
    window.ransliteit1Click();
    return 0;
}
