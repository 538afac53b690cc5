// The program's entry: the application, and its one window until that closes.
#include "application.h"
#include "form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    setUpApplication();
    Form1 window;
    window.show();
    return QApplication::exec();
}
