#include "ui/dialogs/ShowModeless.h"

#include <QWidget>

void ShowModeless(QWidget* window)
{
    if (window->isVisible()) {
        window->raise();
        window->activateWindow();
    }
    window->show();
}
