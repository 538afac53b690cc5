// The application's version and icon.
#include "application.h"

#include <QApplication>
#include <QIcon>

void setUpApplication()
{
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION_TEXT));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/corvane.ico")));
}
