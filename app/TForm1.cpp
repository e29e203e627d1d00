#include "app/TForm1.h"

#include "app/DesktopActions.h"
#include "app/MessageBoxes.h"
#include "app/SaveDialog.h"
#ifdef Q_OS_WIN
#include "app/WineFonts.h"
#endif
#include "app/WindowCommandUi.h"
#include "export/ListFileWriter.h"
#include "folderpicker/TbsSkinSelectDirectoryDialog.h"
#include "platform/Platform.h"
#include "qt/QtText.h"
#include "results/FileCommands.h"
#include "results/PopupRule.h"
#include "results/ResultsModel.h"
#include "results/SortState.h"
#include "search/SearchSession.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <span>
#include <utility>

namespace nuvero {

namespace {

// An excluded path added from the folder picker keeps its exact bytes here.
constexpr int ExactPathRole = Qt::UserRole + 1;

// The bytes a text of a box stands for: `exact` when the text is still what `exact` shows
// as (a name that is not valid UTF-8 shows with replacement characters, which name no
// folder), else the text as typed.
std::string exactText(const QString& text, const std::string& exact)
{
    if (!exact.empty() && text == toQString(exact))
        return exact;
    return toUtf8(text);
}

// The roots text of the roots box, with every root that still reads as the folder the
// ">" button chose given that folder's exact bytes. On Linux a host path ("/home/ann") is
// searched as the program path of the drive that holds it, so that rows and list files
// keep program paths; one that no drive holds stays as typed and cannot be entered.
std::string rootsText(const QString& text, const std::string& picked)
{
    std::string roots;
    const QStringList pieces = text.split(QLatin1Char(';'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            roots.push_back(';');
        std::string root = exactText(pieces[i], picked);
#ifndef Q_OS_WIN
        if (root.starts_with('/'))
            root = platform::fromNativePath(root).value_or(root);
#endif
        roots += root;
    }
    return roots;
}

const QString SearchCaption = QStringLiteral("Search");
const QString StopCaption = QStringLiteral("Stop");

// The pickers hold a plain local date-time; they run in UTC so that no daylight-saving
// rule of the Qt side moves or refuses a value.
QDateTime toQDateTime(const DateTime& value)
{
    const CalendarTime f = value.calendar();
    return QDateTime(QDate(f.year, f.month, f.day), QTime(f.hour, f.minute, f.second, f.millisecond), Qt::UTC);
}

DateTime fromQDateTime(const QDateTime& value)
{
    const QDate d = value.date();
    const QTime t = value.time();
    return DateTime::fromCalendar({ d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec() });
}

QFrame* makePanel(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(left, top, width, height);
    return panel;
}

template <typename T> T* place(T* widget, const char* name, int left, int top, int width = -1, int height = -1)
{
    widget->setObjectName(QString::fromLatin1(name));
    if (width < 0) {
        widget->adjustSize();
        widget->move(left, top);
    } else {
        widget->setGeometry(left, top, width, height);
    }
    return widget;
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent)
    , m_results(std::make_unique<ResultsModel>())
    , m_session(std::make_unique<SearchSession>(m_criteria))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Nuvero v.3.0"));
    setMinimumSize(528, 200);
    resize(535, 451);
    // The window's controls are laid out in pixels for an 8-point font; the desktop's own
    // family keeps the look native (Windows has its classic "MS Sans Serif").
    QFont font = QApplication::font();
#ifdef Q_OS_WIN
    font.setFamily(QStringLiteral("MS Sans Serif"));
    // Wine may have neither that family nor the desktop's (see WineFonts.h); the window and
    // the boxes and dialogs that take the desktop's font then get the one Wine draws with.
    substituteMissingFamiliesUnderWine({ font.family(), QApplication::font().family() });
#endif
    font.setPointSize(8);
    setFont(font);
    buildWindow();
    m_commandUi = std::make_unique<WindowCommandUi>(
        this, [this](const std::string& text) { setStatusText(1, toQString(text)); });
    m_commands = std::make_unique<FileCommands>(*m_results, *m_commandUi);
    connect(m_session.get(), &SearchSession::rowsFound, this,
        [this](std::span<ResultRow> rows) { m_results->appendRows(rows); });
    connect(m_session.get(), &SearchSession::statusChanged, this,
        [this](const std::string& folder) { setStatusText(1, toQString(folder)); });
    connect(m_session.get(), &SearchSession::ended, this, &TForm1::searchEnded);
    bsSkinSelectDirectoryDialog1 = new TbsSkinSelectDirectoryDialog(this);
    bsSkinSelectDirectoryDialog1->setObjectName(QStringLiteral("bsSkinSelectDirectoryDialog1"));
    SaveDialog1 = new SaveDialog(this);
    FormCreate();
}

TForm1::~TForm1()
{
    delete SaveDialog1;
}

// ---- building the window ---------------------------------------------------------------

void TForm1::buildWindow()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel2 = new QFrame(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(105);
    buildCriteriaStrip(Panel2);
    column->addWidget(Panel2);

    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    buildLists(Panel1);
    column->addWidget(Panel1, 1);
    setCentralWidget(central);

    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    StatusPanel0 = new QLabel(bar);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel0->setMinimumWidth(50);
    StatusPanel1 = new QLabel(bar);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setMinimumWidth(50);
    StatusPanel1->setTextFormat(Qt::PlainText);
    // Panel 1 takes the rest of the width so that long folder paths can be read.
    bar->addWidget(StatusPanel0);
    bar->addWidget(StatusPanel1, 1);
    buildMenus();
    connectCriteria();
    nameControls();
}

void TForm1::buildCriteriaStrip(QWidget* strip)
{
    Panel4 = makePanel(strip, "Panel4", 3, 8, 105, 92);
    BitBtn2 = place(new QPushButton(SearchCaption, Panel4), "BitBtn2", 8, 5, 89, 33);
    BitBtn2->setIcon(
        QIcon::fromTheme(QStringLiteral("edit-find"), style()->standardIcon(QStyle::SP_FileDialogContentsView)));
    CheckBox1 = place(new QCheckBox(QStringLiteral("After date:"), Panel4), "CheckBox1", 8, 42, 89, 17);
    CheckBox1->setChecked(true);
    ComboBox3 = place(new QComboBox(Panel4), "ComboBox3", 8, 64, 89, 21);
    ComboBox3->setEditable(true);
    ComboBox3->setInsertPolicy(QComboBox::NoInsert);
    ComboBox3->setCompleter(nullptr);
    ComboBox3->addItems({ QStringLiteral("Appearance"), QStringLiteral("Changing"), QStringLiteral("Access") });
    ComboBox3->setCurrentIndex(-1);
    ComboBox3->setEditText(QStringLiteral("Appearance"));
    // As wide as its longest entry needs, within the panel's frame: a desktop font a little
    // wider than the classic one would cut "Appearance" short.
    const int timeKindWidth = std::min(ComboBox3->sizeHint().width(), Panel4->width() - 8);
    if (timeKindWidth > ComboBox3->width())
        ComboBox3->setGeometry(
            (Panel4->width() - timeKindWidth) / 2, ComboBox3->y(), timeKindWidth, ComboBox3->height());

    GroupBox1 = place(new QGroupBox(QStringLiteral("Date"), strip), "GroupBox1", 112, 3, 137, 97);
    DateTimePicker1 = place(new QDateTimeEdit(GroupBox1), "DateTimePicker1", 16, 23, 105, 21);
    DateTimePicker1->setTimeSpec(Qt::UTC);
    DateTimePicker1->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker2 = place(new QDateTimeEdit(GroupBox1), "DateTimePicker2", 16, 63, 105, 21);
    DateTimePicker2->setTimeSpec(Qt::UTC);
    DateTimePicker2->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    for (auto* picker : { DateTimePicker1, DateTimePicker2 })
        picker->setMinimumDateTime(QDateTime(QDate(1753, 1, 1), QTime(0, 0), Qt::UTC));

    Panel5 = makePanel(strip, "Panel5", 253, 8, 156, 92);
    Label1 = place(new QLabel(QStringLiteral("Search in:"), Panel5), "Label1", 8, 4);
    ComboBox1 = place(new QComboBox(Panel5), "ComboBox1", 8, 18, 121, 21);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setCompleter(nullptr);
    SpeedButton1 = place(new QToolButton(Panel5), "SpeedButton1", 129, 19, 17, 18);
    SpeedButton1->setText(QStringLiteral(">"));
    QFont bold = SpeedButton1->font();
    bold.setBold(true);
    SpeedButton1->setFont(bold);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    Label2 = place(new QLabel(QStringLiteral("Search for:"), Panel5), "Label2", 8, 44);
    Edit2 = place(new QLineEdit(QStringLiteral("*.*"), Panel5), "Edit2", 8, 59, 137, 21);

    Panel6 = makePanel(strip, "Panel6", 413, 8, 104, 92);
    CheckBox2 = place(new QCheckBox(QStringLiteral("AutoSave"), Panel6), "CheckBox2", 8, 8, 89, 17);
    RusCheck = place(new QCheckBox(QStringLiteral("Rus names"), Panel6), "RusCheck", 8, 28, 93, 17);
    Label4 = place(new QLabel(QStringLiteral("Size in "), Panel6), "Label4", 16, 45);
    ComboBox2 = place(new QComboBox(Panel6), "ComboBox2", 8, 59, 89, 21);
    ComboBox2->addItems(
        { QStringLiteral("bytes"), QStringLiteral("KBytes"), QStringLiteral("MBytes"), QStringLiteral("GBytes") });

    // Keyboard order of the strip, then the two lists.
    QWidget* order[] = { BitBtn2, CheckBox1, ComboBox3, DateTimePicker1, DateTimePicker2, ComboBox1, Edit2, CheckBox2,
        ComboBox2, RusCheck };
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm1::CheckBox1Click);
    connect(DateTimePicker1, &QDateTimeEdit::dateTimeChanged, this, &TForm1::DateTimePicker1Change);
    connect(DateTimePicker2, &QDateTimeEdit::dateTimeChanged, this, &TForm1::DateTimePicker2Change);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
}

void TForm1::buildLists(QWidget* area)
{
    auto* layout = new QHBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    Splitter2 = new QSplitter(Qt::Horizontal, area);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setChildrenCollapsible(false);
    layout->addWidget(Splitter2);

    ListView1 = new QTableView(Splitter2);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(m_results.get());
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setShowGrid(false);
    ListView1->setWordWrap(false);
    ListView1->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    // A row dragged out is its file; nothing can be dropped onto either list.
    ListView1->setDragDropMode(QAbstractItemView::DragOnly);
    ListView1->setDefaultDropAction(Qt::CopyAction);
    // Rows of one fixed height: a million of them cost the view next to nothing.
    ListView1->verticalHeader()->hide();
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 4);
    QHeaderView* header = ListView1->horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    // Column widths as laid out for the classic 8-point font; a wider desktop font gets
    // enough room for the typical text of each column.
    const QFontMetrics metrics = ListView1->fontMetrics();
    const struct {
        int width;
        const char* typical;
    } columns[] = { { 0, "" }, { 100, "" }, { 120, "30.12.2026  00:00:00" }, { 50, "1023 KBytes" }, { 35, "DIR" } };
    for (int c = 1; c < 5; ++c) {
        header->setSectionResizeMode(c, QHeaderView::Interactive);
        const int needed = metrics.horizontalAdvance(QString::fromLatin1(columns[c].typical)) + 16;
        header->resizeSection(c, std::max(columns[c].width, needed));
    }
    connect(header, &QHeaderView::sectionClicked, this, &TForm1::ListView1ColumnClick);
    // Status panel 0 follows the model's own row signals, whatever changed the count: a
    // search's rows, "&Delete File", "&Clear list".
    connect(m_results.get(), &QAbstractItemModel::rowsInserted, this, [this] { ListView1Insert(); });
    connect(m_results.get(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
        [this](const QModelIndex&, int first, int last) { ListView1Deletion(last - first + 1); });

    Panel3 = new QWidget(Splitter2);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setMinimumWidth(103);
    auto* right = new QVBoxLayout(Panel3);
    right->setContentsMargins(0, 0, 0, 0);
    ListView2 = new QTreeWidget(Panel3);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    ListView2->setColumnCount(1);
    ListView2->setHeaderLabels({ QStringLiteral("Excluded paths") });
    ListView2->setRootIsDecorated(false);
    ListView2->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView2->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    ListView2->setSortingEnabled(false);
    ListView2->header()->setSectionsClickable(false);
    ListView2->header()->setStretchLastSection(true);
    ListView2->setContextMenuPolicy(Qt::CustomContextMenu);
    right->addWidget(ListView2);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);
    Splitter2->setSizes({ width() - 107, 107 });

    connect(ListView2, &QTreeWidget::itemChanged, this, [this] { publishExclusions(); });
    connect(ListView2->model(), &QAbstractItemModel::rowsInserted, this, [this] { publishExclusions(); });
    connect(ListView2->model(), &QAbstractItemModel::rowsRemoved, this, [this] { publishExclusions(); });
}

void TForm1::buildMenus()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    const auto separator = [](QMenu* menu, const char* name) {
        QAction* action = menu->addSeparator();
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    Savelisttofile1 = item(PopupMenu1, "Savelisttofile1", QStringLiteral("S&ave list to file"));
    Clearlist1 = item(PopupMenu1, "Clearlist1", QStringLiteral("&Clear list"));
    N1 = separator(PopupMenu1, "N1");
    DeleteFile1 = item(PopupMenu1, "DeleteFile1", QStringLiteral("&Delete File"));
    N2 = separator(PopupMenu1, "N2");
    ransliteit1 = item(PopupMenu1, "ransliteit1", QStringLiteral("Translite and rename it"));
    ransilteandrenameall1 = item(PopupMenu1, "ransilteandrenameall1", QStringLiteral("Transilte and rename ALL"));
    RenameDir1 = item(PopupMenu1, "RenameDir1", QStringLiteral("Rename Dir"));
    RenameDir1->setVisible(false);
    N3 = separator(PopupMenu1, "N3");
    Opencontainingfolder1 = item(PopupMenu1, "Opencontainingfolder1", QStringLiteral("Open containing folder"));
    Copypath1 = item(PopupMenu1, "Copypath1", QStringLiteral("Copy path"));

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    Add1 = item(PopupMenu2, "Add1", QStringLiteral("Add"));
    AddfromDirList1 = item(PopupMenu2, "AddfromDirList1", QStringLiteral("Add from DirList"));
    Delete1 = item(PopupMenu2, "Delete1", QStringLiteral("Delete"));

    connect(Savelisttofile1, &QAction::triggered, this, &TForm1::Savelisttofile1Click);
    connect(Clearlist1, &QAction::triggered, this, &TForm1::Clearlist1Click);
    connect(DeleteFile1, &QAction::triggered, this, &TForm1::DeleteFile1Click);
    connect(ransliteit1, &QAction::triggered, this, &TForm1::ransliteit1Click);
    connect(ransilteandrenameall1, &QAction::triggered, this, &TForm1::ransilteandrenameall1Click);
    connect(RenameDir1, &QAction::triggered, this, &TForm1::RenameDir1Click);
    connect(Opencontainingfolder1, &QAction::triggered, this, &TForm1::Opencontainingfolder1Click);
    connect(Copypath1, &QAction::triggered, this, &TForm1::Copypath1Click);
    connect(ListView1, &QAbstractItemView::doubleClicked, this, &TForm1::ListView1DblClick);
    connect(Add1, &QAction::triggered, this, &TForm1::Add1Click);
    connect(AddfromDirList1, &QAction::triggered, this, &TForm1::AddfromDirList1Click);
    connect(Delete1, &QAction::triggered, this, &TForm1::Delete1Click);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TForm1::PopupMenu1Popup);
    connect(PopupMenu2, &QMenu::aboutToShow, this, &TForm1::PopupMenu2Popup);

    connect(ListView1, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos)); });
    connect(ListView2, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { PopupMenu2->popup(ListView2->viewport()->mapToGlobal(pos)); });

    // The Delete key on a selected row asks to delete its file, as the menu item does; on
    // the excluded paths it deletes the selected row. Enter opens the selected row's
    // entry, Ctrl+C copies its path. While a text is edited in place the keys go to the
    // editor, not to the list.
    ListView1->installEventFilter(this);
    ListView2->installEventFilter(this);
    ListView1->viewport()->installEventFilter(this); // tooltips of the cells
}

// Every control is named for a screen reader by its caption or by its label, and each
// label leads to its box (its buddy: also the label's mnemonic target).
void TForm1::nameControls()
{
    const std::pair<QLabel*, QWidget*> labelled[] = { { Label1, ComboBox1 }, { Label2, Edit2 }, { Label4, ComboBox2 } };
    for (const auto& [label, box] : labelled) {
        label->setBuddy(box);
        box->setAccessibleName(label->text().trimmed());
    }
    ComboBox3->setAccessibleName(QStringLiteral("File time"));
    DateTimePicker1->setAccessibleName(QStringLiteral("Date"));
    DateTimePicker2->setAccessibleName(QStringLiteral("Time"));
    SpeedButton1->setAccessibleName(QStringLiteral("Choose folder"));
    ListView1->setAccessibleName(QStringLiteral("Results"));
    ListView2->setAccessibleName(QStringLiteral("Excluded paths"));
}

void TForm1::connectCriteria()
{
    // The worker reads these live; the mirror follows every change of the controls.
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) { m_criteria.setAfterDate(on); });
    connect(RusCheck, &QCheckBox::toggled, this, [this](bool on) { m_criteria.setRusNames(on); });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this,
        [this](int index) { m_criteria.setSizeUnit(static_cast<SizeUnit>(std::clamp(index, 0, 3))); });
    const auto selectTimeKind = [this](int index) {
        m_timeKindPosition = index;
        m_criteria.setTimeKind(index);
    };
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, selectTimeKind);
    connect(ComboBox3, &QComboBox::activated, this, selectTimeKind);
    // A text typed into the time-kind box selects no entry: the search then compares
    // creation times.
    connect(ComboBox3->lineEdit(), &QLineEdit::textEdited, this, [this] {
        m_timeKindPosition = -1;
        m_criteria.setTimeKind(-1);
    });
    m_criteria.setAfterDate(CheckBox1->isChecked());
    m_criteria.setTimeKind(m_timeKindPosition);
    m_criteria.setRusNames(RusCheck->isChecked());
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip && watched == ListView1->viewport())
        return showCellToolTip(*static_cast<QHelpEvent*>(event));
    if (event->type() == QEvent::KeyPress && watched == ListView1) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            Copypath1Click();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            ListView1DblClick();
            return true;
        }
    }
    // The context-menu key opens a list's menu at its current row.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Menu
        && (watched == ListView1 || watched == ListView2)) {
        auto* view = static_cast<QAbstractItemView*>(watched);
        const QRect current = view->visualRect(view->currentIndex());
        const QPoint at = current.isValid() ? current.bottomLeft() : QPoint(0, 0);
        (view == ListView1 ? PopupMenu1 : PopupMenu2)->popup(view->viewport()->mapToGlobal(at));
        return true;
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete
        && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        if (watched == ListView1) {
            PopupMenu1Popup();
            if (DeleteFile1->isEnabled())
                DeleteFile1Click();
            return true;
        }
        if (watched == ListView2) {
            PopupMenu2Popup();
            if (Delete1->isEnabled())
                Delete1Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- start-up, size and close -------------------------------------------------------------

void TForm1::FormCreate()
{
    move(100, 100);
    keepOnScreen();
    RusSearchFlag = false;
    ComboBox2->setCurrentIndex(1);
    m_criteria.setSizeUnit(SizeUnit::KBytes);
    const DateTime now = platform::localNow();
    const DateTime yesterday = now.addMsecs(-86400000);
    m_sort = std::make_unique<SortState>();
    StoredSettings = platform::readProfileString("s", "a", "error");
    DateTime threshold; // the zero date-time: every file counts
    if (StoredSettings == "error")
        threshold = yesterday;
    else if (const auto stored = DateTime::parse(StoredSettings))
        threshold = *stored;
    setThreshold(threshold);
    BitBtn1Click();
}

// The start place and size suit any desktop screen; a small or highly scaled one (a
// 1280x1024 screen at twice the size is 640x512) gets the window moved, and at need made
// smaller, so that all of it, title bar and status bar included, is on the screen.
void TForm1::keepOnScreen()
{
    const QScreen* shown = screen();
    if (!shown)
        return;
    const QRect available = shown->availableGeometry();
    // The window manager's frame is not known before the window is shown: room for a title
    // bar and borders.
    const QMargins frame(4, 32, 4, 4);
    if (available.contains(QRect(pos(), size().grownBy(frame))))
        return;
    const QSize fitting = size().boundedTo(available.size().shrunkBy(frame)).expandedTo(minimumSize());
    resize(fitting);
    const QSize outer = fitting.grownBy(frame);
    move(std::clamp(x(), available.left(), std::max(available.left(), available.right() + 1 - outer.width())),
        std::clamp(y(), available.top(), std::max(available.top(), available.bottom() + 1 - outer.height())));
}

void TForm1::BitBtn1Click()
{
    const std::uint32_t mask = platform::logicalDrives();
    int last = -1;
    for (int bit = 0; bit < 26; ++bit) {
        if (mask & (1u << bit))
            last = bit;
    }
    QString joined;
    QStringList items;
    for (int bit = 2; bit <= last; ++bit) {
        const QString letter = QString(QChar(u'a' + bit)) + QLatin1Char(':');
        joined += letter + QLatin1Char(';');
        items << letter;
    }
    ComboBox1->clear();
    ComboBox1->addItem(joined);
    ComboBox1->addItems(items);
    ComboBox1->setEditText(joined);
}

void TForm1::FormResize()
{
    const int w = width();
    Panel6->move(w - 115, Panel6->y());
    Panel5->resize(w - 372, Panel5->height());
    ComboBox1->resize(w - 407, ComboBox1->height());
    SpeedButton1->move(w - 399, SpeedButton1->y());
    Edit2->resize(w - 391, Edit2->height());
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

bool TForm1::FormClose()
{
    if (!m_session->running())
        return true;
    BitBtn2Click();
    return !m_autoSaveFailed;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (FormClose())
        event->accept();
    else
        event->ignore(); // the automatic save failed and said so; a second close closes
}

// ---- criteria strip -----------------------------------------------------------------------

void TForm1::CheckBox1Click()
{
    const bool on = CheckBox1->isChecked();
    GroupBox1->setEnabled(on);
    ComboBox3->setEnabled(on);
    DateTimePicker1->setEnabled(on);
    DateTimePicker2->setEnabled(on);
}

void TForm1::DateTimePicker1Change()
{
    if (DateTimePicker2->dateTime() != DateTimePicker1->dateTime())
        DateTimePicker2->setDateTime(DateTimePicker1->dateTime());
    m_criteria.setThreshold(threshold());
}

void TForm1::DateTimePicker2Change()
{
    if (DateTimePicker1->dateTime() != DateTimePicker2->dateTime())
        DateTimePicker1->setDateTime(DateTimePicker2->dateTime());
    m_criteria.setThreshold(threshold());
}

void TForm1::setThreshold(const DateTime& value)
{
    DateTimePicker1->setDateTime(toQDateTime(value));
    DateTimePicker2->setDateTime(toQDateTime(value));
    m_criteria.setThreshold(value);
}

DateTime TForm1::threshold() const
{
    return fromQDateTime(DateTimePicker2->dateTime());
}

void TForm1::SpeedButton1Click()
{
    // Only a confirmed folder changes the roots; Cancel leaves them as they are.
    if (!bsSkinSelectDirectoryDialog1->Execute())
        return;
    const std::string& folder = bsSkinSelectDirectoryDialog1->Directory;
    if (!folder.empty()) {
        m_pickedRoot = folder;
        ComboBox1->setEditText(toQString(folder));
    }
}

// ---- the search ---------------------------------------------------------------------------

void TForm1::BitBtn2Click()
{
    if (m_session->running())
        m_session->stop(); // the stop sequence runs in searchEnded
    else
        startSearch();
}

void TForm1::startSearch()
{
    if (RusCheck->isChecked()) {
        m_results->clear();
        RusSearchFlag = true;
    } else {
        RusSearchFlag = false;
    }
    setMenusEnabled(false);
    m_session->start(rootsText(ComboBox1->currentText(), m_pickedRoot), toUtf8(Edit2->text()));
    BitBtn2->setText(StopCaption);
}

// The stop sequence, after a click on "Stop", a close during a search, or the last root.
void TForm1::searchEnded(bool completed)
{
    if (completed)
        setStatusText(1, QStringLiteral("Finished"));
    BitBtn2->setText(SearchCaption);
    setMenusEnabled(true);
    Savelist();
}

bool TForm1::searching() const
{
    return m_session->running();
}

bool TForm1::waitForWorker(int timeoutMs)
{
    return m_session->waitForWorkers(timeoutMs);
}

bool TForm1::waitForSearchEnd(int timeoutMs)
{
    return m_session->waitForIdle(timeoutMs);
}

void TForm1::setMenusEnabled(bool enabled)
{
    for (QAction* action : PopupMenu1->actions())
        action->setEnabled(enabled);
    for (QAction* action : PopupMenu2->actions())
        action->setEnabled(enabled);
}

// ---- results list -------------------------------------------------------------------------

void TForm1::ListView1Insert()
{
    setStatusText(0, QString::number(m_results->rowCount()));
}

void TForm1::ListView1Deletion(int removedRows)
{
    setStatusText(0, QString::number(m_results->rowCount() - removedRows));
}

void TForm1::ListView1ColumnClick(int column)
{
    m_sort->columnClicked(column, *m_results);
}

void TForm1::Clearlist1Click()
{
    m_results->clear();
}

void TForm1::PopupMenu1Popup()
{
    const PopupRule rule
        = PopupRule::evaluate(selectedRow().has_value(), RusCheck->isChecked(), RusSearchFlag, m_session->running());
    DeleteFile1->setEnabled(rule.deleteFile);
    ransliteit1->setEnabled(rule.transliterate);
    ransilteandrenameall1->setEnabled(rule.transliterate);
    Opencontainingfolder1->setEnabled(rule.rowLinks);
    Copypath1->setEnabled(rule.rowLinks);
}

std::optional<int> TForm1::selectedRow() const
{
    const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.constFirst().row();
}

void TForm1::DeleteFile1Click()
{
    m_commands->deleteFile(selectedRow());
}

void TForm1::ransliteit1Click()
{
    m_commands->renameOne(selectedRow());
}

void TForm1::ransilteandrenameall1Click()
{
    m_commands->renameAll();
}

void TForm1::RenameDir1Click()
{
    // Whether the picker was confirmed is not consulted: its Directory is what counts.
    bsSkinSelectDirectoryDialog1->Execute();
    m_commands->renameDir(bsSkinSelectDirectoryDialog1->Directory);
}

// ---- rows out to the desktop ------------------------------------------------------------------

void TForm1::ListView1DblClick()
{
    if (const auto row = selectedRow())
        desktop::openEntry(this, m_results->row(*row).fullPath());
}

void TForm1::Opencontainingfolder1Click()
{
    if (const auto row = selectedRow())
        desktop::showInFolder(this, m_results->row(*row).fullPath());
}

void TForm1::Copypath1Click()
{
    if (const auto row = selectedRow())
        desktop::copyPath(m_results->row(*row).fullPath());
}

// Path and Name show the entry as the desktop names it; any other cell its whole text
// where the column cuts it.
bool TForm1::showCellToolTip(const QHelpEvent& help)
{
    const QModelIndex index = ListView1->indexAt(help.pos());
    const QRect cell = ListView1->visualRect(index);
    QString tip = index.data(Qt::ToolTipRole).toString();
    if (tip.isEmpty()) {
        const QString text = index.data().toString();
        const int margins = 2 * (ListView1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListView1) + 1);
        if (ListView1->fontMetrics().horizontalAdvance(text) + margins > cell.width())
            tip = text;
    }
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help.globalPos(), tip, ListView1->viewport(), cell);
    return true;
}

// ---- list export ------------------------------------------------------------------------------

void TForm1::Savelisttofile1Click()
{
    const auto chosen = SaveDialog1->Execute();
    if (!chosen)
        return;
    // The very file the dialog confirmed: turned into a program path and back, a Linux
    // name holding "\" would name another file, which would then be emptied unasked.
    const platform::IoStatus status
        = ListFileWriter::writeHostFile(toUtf8(QDir::toNativeSeparators(*chosen)), *m_results);
    if (!status.ok())
        errorBox(this, QString::fromStdString(status.text()));
}

void TForm1::Savelist()
{
    const platform::IoStatus status
        = ListFileWriter::saveList(CheckBox2->isChecked(), fromQDateTime(DateTimePicker1->dateTime()), *m_results);
    m_autoSaveFailed = !status.ok();
    if (!status.ok()) {
        m_autoSaveFailed = true;
        errorBox(this, QString::fromStdString(status.text()));
    }
}

// ---- excluded paths ---------------------------------------------------------------------------

void TForm1::Add1Click()
{
    auto* item = new QTreeWidgetItem(ListView2, QStringList { QString() });
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    ListView2->setFocus();
    ListView2->setCurrentItem(item);
    ListView2->editItem(item, 0);
}

void TForm1::AddfromDirList1Click()
{
    if (!bsSkinSelectDirectoryDialog1->Execute())
        return;
    const std::string& folder = bsSkinSelectDirectoryDialog1->Directory;
    if (folder.empty())
        return;
    auto* item = new QTreeWidgetItem(QStringList { toQString(folder) });
    item->setData(0, ExactPathRole, QByteArray::fromStdString(folder));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    ListView2->addTopLevelItem(item);
}

void TForm1::Delete1Click()
{
    const auto selected = ListView2->selectedItems();
    if (!selected.isEmpty())
        delete selected.constFirst();
}

void TForm1::PopupMenu2Popup()
{
    Delete1->setEnabled(!ListView2->selectedItems().isEmpty());
}

void TForm1::publishExclusions()
{
    // The walk tests every folder against one whole snapshot of the list, so an edit made
    // during a search never shows it half a list.
    SearchCriteria::Exclusions items;
    items.reserve(static_cast<std::size_t>(ListView2->topLevelItemCount()));
    for (int i = 0; i < ListView2->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = ListView2->topLevelItem(i);
        items.push_back(exactText(item->text(0), item->data(0, ExactPathRole).toByteArray().toStdString()));
    }
    m_criteria.setExclusions(std::move(items));
}

// ---- status bar -------------------------------------------------------------------------------

void TForm1::setStatusText(int panel, const QString& text)
{
    (panel == 0 ? StatusPanel0 : StatusPanel1)->setText(text);
}

QString TForm1::statusText(int panel) const
{
    return (panel == 0 ? StatusPanel0 : StatusPanel1)->text();
}

} // namespace nuvero
