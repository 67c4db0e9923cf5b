// Every modal window of the program is run through ExecModal: once the
// desktop session ends nothing modal is shown any more, and tests answer a
// window in place of the user without a nested event loop left waiting.
#pragma once

#include <functional>

class QDialog;

// Runs the dialog modally and returns its result code. Once the session ends
// it shows nothing and returns QDialog::Rejected. With an answerer installed
// the dialog is not shown: its result is set to Rejected, the answerer acts on
// it (fills fields, clicks buttons, calls accept or done) and its result then
// is the answer.
int ExecModal(QDialog& dialog);

using ModalAnswerer = std::function<void(QDialog& dialog)>;
// An empty function removes the answerer.
void SetModalAnswerer(ModalAnswerer answerer);
