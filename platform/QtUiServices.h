// Message boxes and the folder dialog as Qt widgets, installed as the core's
// user-interface services.
#pragma once

#include "core/UiServices.h"

#include <QMessageBox>
#include <QStringList>
#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

// The box for a Windows style number, ready to exec (tests inspect it unshown).
std::unique_ptr<QMessageBox> MakeMessageBox(const QString& text, int style, const QString& caption,
                                            QWidget* owner = nullptr);
// The program's answer code for the button that closed a box.
int AnswerForButton(QMessageBox::StandardButton button);
// Qt's own texts (dialog buttons, file dialogs) in German, whatever the
// desktop's language; Qt's default locale stays as it is. False when Qt's
// translation is not installed: its texts then stay English.
bool LoadQtTranslation();
// Directories only, the prompt as title; Qt's own dialog, on every desktop.
void ConfigureFolderDialog(QFileDialog& dialog, const QString& prompt);

// The owner of message boxes and dialogs: the active window, else the window
// set here (the splash, which a start's boxes must stack above although it
// never takes the focus). The fallback is forgotten when its window goes.
QWidget* DialogOwner();
void SetFallbackOwner(QWidget* window);

int ShowMessageBox(const QString& text, int style, const QString& caption);
QString ShowFolderDialog(const QString& prompt);
// The save dialog: the filters in order, the 1-based initial one selected;
// the answer names the filter chosen.
void ConfigureSaveDialog(QFileDialog& dialog, const QString& title, const QStringList& filters, int initialFilter);
SaveFileAnswer ShowSaveFileDialog(const QString& title, const QStringList& filters, int initialFilter);

// Installs the functions above as the core's services and loads Qt's translation.
void InstallQtUiServices();
