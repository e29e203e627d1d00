#include "app/MessageBoxes.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace nuvero {

namespace {

QMessageBox::StandardButton showBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton escape)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setEscapeButton(escape);
    box.setTextFormat(Qt::PlainText); // names are shown as they are, never as markup
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

bool confirmBox(QWidget* parent, const QString& text)
{
    return showBox(parent, QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::No)
        == QMessageBox::Yes;
}

void errorBox(QWidget* parent, const QString& text)
{
    showBox(parent, QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, QMessageBox::Ok);
}

void warningBox(QWidget* parent, const QString& text)
{
    showBox(parent, QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::Ok, QMessageBox::Ok);
}

QString generalErrorText(const QString& text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

void generalErrorReport(QWidget* parent, const QString& text)
{
    const QString title = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    showBox(parent, QMessageBox::Critical, title, generalErrorText(text), QMessageBox::Ok, QMessageBox::Ok);
}

} // namespace nuvero
