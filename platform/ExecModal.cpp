#include "platform/ExecModal.h"

#include "core/UiServices.h"

#include <QDialog>

namespace {

ModalAnswerer& Answerer()
{
    static ModalAnswerer answerer;
    return answerer;
}

} // namespace

void SetModalAnswerer(ModalAnswerer answerer)
{
    Answerer() = std::move(answerer);
}

int ExecModal(QDialog& dialog)
{
    if (SessionEnding()) return QDialog::Rejected;
    if (ModalAnswerer answerer = Answerer()) {
        dialog.setResult(QDialog::Rejected);
        answerer(dialog);
        return dialog.result();
    }
    return dialog.exec();
}
