// The editor of the dynamic playlists: works on a copy of the used slots of
// Settings.DynPlaylists and writes the whole table back when it closes, by
// whatever way it is closed.
#pragma once

#include "core/Settings.h"

#include <QDialog>
#include <QPointer>
#include <QVector>
#include <functional>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class frmPlaylistScriptIfo;

class frmPlaylistDynamic : public QDialog {
    Q_OBJECT
public:
    // afterWriteBack runs once the table is written back (the navigation tree
    // rebuilds from it).
    explicit frmPlaylistDynamic(std::function<void()> afterWriteBack, QWidget* owner = nullptr);
    ~frmPlaylistDynamic() override;

    QVector<DynPlaylist> EditList;
    int16_t CurrentIndex = 0;

    QListWidget* List1;
    QLineEdit* Text2;
    QPlainTextEdit* Text1;
    QPushButton *cmdDelete, *cmdNew, *cmdHelp, *cmdTakeOver, *cmdClose;

    // The help window, nullptr until shown.
    frmPlaylistScriptIfo* HelpWindow() const;

public:
    // Esc: closes like the frame does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ActList1();
    void ShowEntry(int row);
    void UpdateEnabled();
    void AddNew();
    void DeleteSelected();
    void TakeOver();
    void ShowHelp();
    void WriteBack();

    std::function<void()> afterWriteBack_;
    bool writtenBack_ = false;
    QPointer<frmPlaylistScriptIfo> help_;
};

// The open editor, nullptr when none.
frmPlaylistDynamic* PlaylistEditor();

// A stored query's lines (CR LF, or a lone CR or LF) as the editor shows them, and back.
QString QueryToEditText(const QString& query);
QString EditTextToQuery(const QString& text);
