#include "platform/ScreenDefaults.h"

#include "core/Settings.h"
#include "core/Units.h"

#include <QGuiApplication>
#include <QScreen>

void ResetSettingsForScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize px = screen ? screen->size() : QSize(800, 600);
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    ResetSettings(PixelsToTwips(px.width(), dpi), PixelsToTwips(px.height(), dpi));
}
