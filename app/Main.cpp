#include "app/Main.h"

#include <QApplication>

int RunSarovin(int argc, char** argv)
{
    QApplication app(argc, argv);
    return 0;
}
