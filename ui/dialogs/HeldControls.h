// Controls the program holds back while its own work runs (a button during the
// library check or a device copy). Qt hands the focus of a control being
// disabled on along the tab chain, out of its page: into the main window's
// search box, onto a wizard's cancel button, where the next key does what the
// user never meant. Here the focus waits on the control's parent instead and
// comes back when the control is enabled again, unless the user has put it
// elsewhere meanwhile.
#pragma once

class QWidget;

// Disables the control; a focus it held waits for `heir` (the control itself
// unless another control is to have it then).
void DisableHoldingFocus(QWidget* control, QWidget* heir = nullptr);
// Enables the control and gives it the focus that waits for it.
void EnableHoldingFocus(QWidget* control);
