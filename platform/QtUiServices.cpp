#include "platform/QtUiServices.h"

#include "core/UiServices.h"
#include "platform/ExecModal.h"

#include <QApplication>
#include <QAbstractButton>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {
QPointer<QWidget>& FallbackOwner()
{
    static QPointer<QWidget> owner;
    return owner;
}
} // namespace

QWidget* DialogOwner()
{
    if (QWidget* active = QApplication::activeWindow()) return active;
    QWidget* fallback = FallbackOwner();
    return fallback && fallback->isVisible() ? fallback : nullptr;
}

void SetFallbackOwner(QWidget* window)
{
    FallbackOwner() = window;
}

std::unique_ptr<QMessageBox> MakeMessageBox(const QString& text, int style, const QString& caption,
                                            QWidget* owner)
{
    using B = QMessageBox;
    B::StandardButtons buttons;
    switch (style & 7) {
    case 1: buttons = B::Ok | B::Cancel; break;
    case 2: buttons = B::Abort | B::Retry | B::Ignore; break;
    case 3: buttons = B::Yes | B::No | B::Cancel; break;
    case 4: buttons = B::Yes | B::No; break;
    case 5: buttons = B::Retry | B::Cancel; break;
    default: buttons = B::Ok; break;
    }
    B::Icon icon = B::NoIcon;
    switch (style & 0x70) {
    case 16: icon = B::Critical; break;
    case 32: icon = B::Question; break;
    case 48: icon = B::Warning; break;
    case 64: icon = B::Information; break;
    default: break;
    }
    // Texts join their lines with CR LF; a label wants LF alone.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto box = std::make_unique<QMessageBox>(icon, caption, shown, buttons, owner);
    box->setTextFormat(Qt::PlainText);
    // The program speaks German whatever Qt's own translations are.
    const struct { B::StandardButton button; const char* caption; } captions[] = {
        {B::Ok, "OK"}, {B::Cancel, "Abbrechen"}, {B::Abort, "Abbrechen"}, {B::Retry, "&Wiederholen"},
        {B::Ignore, "&Ignorieren"}, {B::Yes, "&Ja"}, {B::No, "&Nein"},
    };
    for (const auto& c : captions)
        if (QAbstractButton* b = box->button(c.button)) b->setText(QString::fromUtf8(c.caption));
    // Escape or the close box answers a question with its cautious choice.
    if (buttons.testFlag(B::Cancel)) box->setEscapeButton(B::Cancel);
    else if (buttons.testFlag(B::No)) box->setEscapeButton(B::No);
    else if (buttons.testFlag(B::Abort)) box->setEscapeButton(B::Abort);
    else box->setEscapeButton(B::Ok);
    return box;
}

int AnswerForButton(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok: return MsgOk;
    case QMessageBox::Cancel: return MsgCancel;
    case QMessageBox::Abort: return MsgAbort;
    case QMessageBox::Retry: return MsgRetry;
    case QMessageBox::Ignore: return MsgIgnore;
    case QMessageBox::Yes: return MsgYes;
    case QMessageBox::No: return MsgNo;
    default: return MsgCancel;
    }
}

bool LoadQtTranslation()
{
    static QPointer<QTranslator> loaded;
    if (loaded) return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    loaded = translator;
    return true;
}

void ConfigureFolderDialog(QFileDialog& dialog, const QString& prompt)
{
    // The desktop's own dialog would ignore Qt's translation.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowTitle(prompt);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
}

int ShowMessageBox(const QString& text, int style, const QString& caption)
{
    auto box = MakeMessageBox(text, style, caption, DialogOwner());
    ExecModal(*box);
    // Closing the box without a button counts as its escape button.
    const auto clicked = box->standardButton(box->clickedButton());
    if (clicked == QMessageBox::NoButton) return UnattendedAnswer(style);
    return AnswerForButton(clicked);
}

QString ShowFolderDialog(const QString& prompt)
{
    QFileDialog dialog(DialogOwner());
    ConfigureFolderDialog(dialog, prompt);
    if (ExecModal(dialog) != QDialog::Accepted) return QString();
    return dialog.selectedFiles().value(0);
}

void ConfigureSaveDialog(QFileDialog& dialog, const QString& title, const QStringList& filters, int initialFilter)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowTitle(title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (initialFilter >= 1 && initialFilter <= filters.size()) dialog.selectNameFilter(filters[initialFilter - 1]);
}

SaveFileAnswer ShowSaveFileDialog(const QString& title, const QStringList& filters, int initialFilter)
{
    QFileDialog dialog(DialogOwner());
    ConfigureSaveDialog(dialog, title, filters, initialFilter);
    if (ExecModal(dialog) != QDialog::Accepted) return {};
    const QString path = dialog.selectedFiles().value(0);
    if (path.isEmpty()) return {};
    return {path, int(filters.indexOf(dialog.selectedNameFilter())) + 1};
}

void InstallQtUiServices()
{
    LoadQtTranslation();
    SetMessageBoxService(ShowMessageBox);
    SetFolderDialogService(ShowFolderDialog);
    SetSaveFileDialogService(ShowSaveFileDialog);
}
