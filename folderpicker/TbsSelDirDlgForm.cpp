#include "folderpicker/TbsSelDirDlgForm.h"

#include "folderpicker/TbsSkinDirTreeView.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace nuvero {

TbsSelDirDlgForm::TbsSelDirDlgForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setModal(true);
    setSizeGripEnabled(false); // the window's own border resizes it

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_tree = new TbsSkinDirTreeView(this);
    m_tree->setObjectName(QStringLiteral("tree"));
    m_tree->setMinimumSize(0, 0); // the window may shrink below the tree's own hint
    layout->addWidget(m_tree, 1);

    // The buttons sit at fixed places, so the strip lays nothing out by itself.
    m_buttonStrip = new QWidget(this);
    m_buttonStrip->setObjectName(QStringLiteral("buttonStrip"));
    m_buttonStrip->setFixedHeight(ButtonStripHeight);
    layout->addWidget(m_buttonStrip);

    m_okButton = new QPushButton(QStringLiteral("Ok"), m_buttonStrip);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setGeometry(20, 15, 70, 25);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), m_buttonStrip);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setGeometry(100, 15, 70, 25);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_tree, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);
    m_tree->setFocus();
}

void TbsSelDirDlgForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The folder opened before the window was shown is brought into view once the tree
    // has been laid out at its real size, which happens after this event.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (QTreeWidgetItem* selected = m_tree->selectedNode())
                m_tree->bringIntoView(selected);
        },
        Qt::QueuedConnection);
}

} // namespace nuvero
