#include "folderpicker/TbsSkinSelectDirectoryDialog.h"

#include "folderpicker/TbsSelDirDlgForm.h"
#include "folderpicker/TbsSkinDirTreeView.h"

#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace nuvero {

namespace {

// Owns the window for the length of Execute and empties the component's reference to it
// on every way out, an exception included. Should the window already be gone (its
// parent destroyed while it ran), there is nothing left to delete.
class DialogScope {
public:
    DialogScope(TbsSelDirDlgForm*& reference, TbsSelDirDlgForm* dialog)
        : m_reference(reference)
        , m_dialog(dialog)
    {
        m_reference = dialog;
    }
    ~DialogScope()
    {
        m_reference = nullptr;
        delete m_dialog.data();
    }
    DialogScope(const DialogScope&) = delete;
    DialogScope& operator=(const DialogScope&) = delete;

    TbsSelDirDlgForm* operator->() const { return m_dialog.data(); }
    bool alive() const { return !m_dialog.isNull(); }

private:
    TbsSelDirDlgForm*& m_reference;
    QPointer<TbsSelDirDlgForm> m_dialog;
};

} // namespace

TbsSkinSelectDirectoryDialog::TbsSkinSelectDirectoryDialog(QObject* owner)
    : QObject(owner)
{
}

TbsSkinSelectDirectoryDialog::~TbsSkinSelectDirectoryDialog() = default;

QFont TbsSkinSelectDirectoryDialog::defaultFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    return font;
}

bool TbsSkinSelectDirectoryDialog::Execute()
{
    QWidget* ownerWindow = qobject_cast<QWidget*>(parent());
    DialogScope dialog(m_dialog, new TbsSelDirDlgForm(ownerWindow ? ownerWindow->window() : nullptr));

    dialog->setWindowTitle(Title);
    if (AlphaBlend)
        dialog->setWindowOpacity(AlphaBlendValue / 255.0);

    TbsSkinDirTreeView* tree = dialog->tree();
    tree->setFont(DefaultFont);
    if (!Directory.empty())
        tree->OpenPath(Directory); // a folder that no longer exists leaves the initial tree
    dialog->okButton()->setFont(DefaultFont);
    dialog->cancelButton()->setFont(DefaultFont);

    const int width = DialogWidth != 0 ? DialogWidth : InitialClientWidth;
    const int height = DialogWidth != 0 ? DialogHeight : InitialClientHeight;
    dialog->resize(width, height);
    QScreen* screen = ownerWindow ? ownerWindow->screen() : QGuiApplication::primaryScreen();
    if (screen)
        dialog->move(screen->availableGeometry().center() - QPoint(width / 2, height / 2));

    const bool confirmed = dialog->exec() == QDialog::Accepted;
    if (!dialog.alive())
        return false;

    DialogWidth = dialog->width();
    DialogHeight = dialog->height();
    if (confirmed)
        Directory = tree->GetSelectedPath();
    return confirmed;
}

} // namespace nuvero
