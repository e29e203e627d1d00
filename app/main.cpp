#include "app/TForm1.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nuvero"));
    QApplication::setDesktopFileName(QStringLiteral("nuvero"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("nuvero"), QIcon(QStringLiteral(":/nuvero.svg"))));
    nuvero::TForm1 Form1;
    Form1.show();
    return app.exec();
}
