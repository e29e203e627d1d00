#pragma once

#include "search/SearchCriteria.h"

#include <QMainWindow>

#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QFrame;
class QGroupBox;
class QHelpEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QTableView;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace nuvero {

class FileCommands;
class ResultsModel;
class SaveDialog;
class SearchSession;
class SortState;
class TbsSkinSelectDirectoryDialog;
class WindowCommandUi;

// The program's one main window. Every user action is a handler named after its control
// and event (BitBtn2Click, ListView1Compare, ...): a thin slot that gathers the widgets'
// state and hands the work to the logic below (search/, results/, export/).
//
// Threads: everything here runs on the window's thread. The search runs in a SearchSession,
// whose worker never touches a widget: it reads the criteria mirror m_criteria, and the
// session emits the rows, the folder text and the end on this thread.
class TForm1 : public QMainWindow {
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- handlers ----------------------------------------------------------------------
    void FormCreate();
    void FormResize();
    bool FormClose(); // false: the window stays open (the automatic save failed)
    void BitBtn1Click();
    void BitBtn2Click();
    void CheckBox1Click();
    void DateTimePicker1Change();
    void DateTimePicker2Change();
    void SpeedButton1Click();
    void ListView1ColumnClick(int column);
    void ListView1Insert();
    void ListView1Deletion(int removedRows);
    void Clearlist1Click();
    void PopupMenu1Popup();
    void DeleteFile1Click();
    void ransliteit1Click();
    void ransilteandrenameall1Click();
    void RenameDir1Click();
    void ListView1DblClick(); // also Enter on the selected row
    void Opencontainingfolder1Click();
    void Copypath1Click(); // also Ctrl+C on the list
    void Savelisttofile1Click();
    void Savelist();
    void Add1Click();
    void AddfromDirList1Click();
    void Delete1Click();
    void PopupMenu2Popup();

    // ---- state the handlers share ------------------------------------------------------
    bool RusSearchFlag = false;
    std::string StoredSettings; // the text read from the settings file at start

    // For tests and tools: the parts of the window by their names.
    ResultsModel& results() { return *m_results; }
    SearchCriteria& criteria() { return m_criteria; }
    QString statusText(int panel) const;
    bool searching() const;
    SearchSession& session() { return *m_session; }
    // The session's waits (SearchSession::waitForIdle, waitForWorkers). The program's exit
    // uses waitForWorker to learn whether a stopped worker is still held by a listing.
    bool waitForSearchEnd(int timeoutMs);
    bool waitForWorker(int timeoutMs);
    TbsSkinSelectDirectoryDialog& folderPicker() { return *bsSkinSelectDirectoryDialog1; }
    SaveDialog& saveDialog() { return *SaveDialog1; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildCriteriaStrip(QWidget* strip);
    void buildLists(QWidget* area);
    void buildMenus();
    void connectCriteria();
    void startSearch();
    void searchEnded(bool completed);
    void setMenusEnabled(bool enabled);
    void publishExclusions();
    void setThreshold(const DateTime& threshold);
    DateTime threshold() const;
    std::optional<int> selectedRow() const;
    void setStatusText(int panel, const QString& text);
    void keepOnScreen();
    void nameControls();
    bool showCellToolTip(const QHelpEvent& help);

public:
    // ---- controls, named as the window's components ---------------------------------
    QFrame* Panel2 = nullptr;
    QFrame* Panel4 = nullptr;
    QFrame* Panel5 = nullptr;
    QFrame* Panel6 = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* Panel3 = nullptr;
    QSplitter* Splitter2 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QDateTimeEdit* DateTimePicker1 = nullptr;
    QDateTimeEdit* DateTimePicker2 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* RusCheck = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QTableView* ListView1 = nullptr;
    QTreeWidget* ListView2 = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;

    QMenu* PopupMenu1 = nullptr;
    QAction* Savelisttofile1 = nullptr;
    QAction* Clearlist1 = nullptr;
    QAction* N1 = nullptr;
    QAction* DeleteFile1 = nullptr;
    QAction* N2 = nullptr;
    QAction* ransliteit1 = nullptr;
    QAction* ransilteandrenameall1 = nullptr;
    QAction* RenameDir1 = nullptr;
    QAction* N3 = nullptr;
    QAction* Opencontainingfolder1 = nullptr;
    QAction* Copypath1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* Add1 = nullptr;
    QAction* AddfromDirList1 = nullptr;
    QAction* Delete1 = nullptr;

    TbsSkinSelectDirectoryDialog* bsSkinSelectDirectoryDialog1 = nullptr;
    SaveDialog* SaveDialog1 = nullptr;

private:
    SearchCriteria m_criteria;
    std::unique_ptr<ResultsModel> m_results;
    std::unique_ptr<WindowCommandUi> m_commandUi;
    std::unique_ptr<FileCommands> m_commands;
    // After m_criteria, which its workers read: destroyed (and its workers waited for) first.
    std::unique_ptr<SearchSession> m_session;
    int m_timeKindPosition = -1; // selected entry of ComboBox3; -1 after typing
    // The last folder the ">" button put into the roots box, as its exact bytes: a name
    // that is not valid UTF-8 shows with replacement characters, and the roots text must
    // still name the real folder.
    std::string m_pickedRoot;
    bool m_autoSaveFailed = false; // the last automatic save failed (a close then stays open)
    std::unique_ptr<SortState> m_sort; // SortColumnIndex and SortDescending of the header clicks
};

} // namespace nuvero
