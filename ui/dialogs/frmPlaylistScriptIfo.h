// Help on the query language of dynamic playlists: examples, and criteria
// that a double click copies to the clipboard.
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

class frmPlaylistScriptIfo : public QDialog {
    Q_OBJECT
public:
    explicit frmPlaylistScriptIfo(QWidget* owner = nullptr);

    QListWidget* List2;
    QPushButton* cmdClose;
};
