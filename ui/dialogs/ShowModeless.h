// Shows a modeless window, placed inside the screen; one already open comes
// to the front instead.
#pragma once

class QWidget;

void ShowModeless(QWidget* window);
