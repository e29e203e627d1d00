#pragma once

#include <QString>

class QWidget;

namespace nuvero {

// The program's modal message boxes. Only Yes lets a confirmation go on: No, Esc and
// closing the box all count as No.
bool confirmBox(QWidget* parent, const QString& text); // "Confirm", question icon, Yes/No
void errorBox(QWidget* parent, const QString& text); // "Error", error icon, OK
void warningBox(QWidget* parent, const QString& text); // "Warning", warning icon, OK

// The application's general error report, for an error that no handler catches: a box
// with the stop icon and OK, titled with the program file's name without extension,
// showing the text with "." appended when its last character sorts after ".".
void generalErrorReport(QWidget* parent, const QString& text);
QString generalErrorText(const QString& text);

} // namespace nuvero
