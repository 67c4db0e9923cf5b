// Shows a modeless window; one already open comes to the front instead.
#pragma once

class QWidget;

void ShowModeless(QWidget* window);
