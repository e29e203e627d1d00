#pragma once

#include <QDialog>

class QPushButton;
class QShowEvent;
class QWidget;

namespace nuvero {

class TbsSkinDirTreeView;

// The folder picker's window: the drive and folder tree above a 50-pixel strip holding
// "Ok" (the default button) and "Cancel" (Esc) at fixed places at the strip's left, which
// they keep when the window is resized. Caption bar with a close button only; a close
// counts as Cancel. Built anew for every pick by TbsSkinSelectDirectoryDialog.
//
// Object names, for tests and style sheets: "tree", "buttonStrip", "okButton",
// "cancelButton".
class TbsSelDirDlgForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int ButtonStripHeight = 50;

    explicit TbsSelDirDlgForm(QWidget* parent = nullptr);

    TbsSkinDirTreeView* tree() const { return m_tree; }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    TbsSkinDirTreeView* m_tree = nullptr;
    QWidget* m_buttonStrip = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

} // namespace nuvero
