// Message boxes and the folder dialog as Qt widgets, installed as the core's
// user-interface services.
#pragma once

#include <QMessageBox>
#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

// The box for a Windows style number, ready to exec (tests inspect it unshown).
std::unique_ptr<QMessageBox> MakeMessageBox(const QString& text, int style, const QString& caption,
                                            QWidget* owner = nullptr);
// The program's answer code for the button that closed a box.
int AnswerForButton(QMessageBox::StandardButton button);
// Directories only, the prompt as title.
void ConfigureFolderDialog(QFileDialog& dialog, const QString& prompt);

int ShowMessageBox(const QString& text, int style, const QString& caption);
QString ShowFolderDialog(const QString& prompt);

// Installs the two functions above as the core's services.
void InstallQtUiServices();
