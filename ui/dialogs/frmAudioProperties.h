// The tag editor: one library record's facts and its editable tags. Edits go
// straight into the record and mark it "Tag;"; "&Speichern" writes the tags
// into the file. While loaded it follows the main list's selection.
#pragma once

#include "core/Hooks.h"
#include "core/LibraryTypes.h"

#include <QDialog>
#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

class frmAudioProperties : public QDialog {
    Q_OBJECT
public:
    explicit frmAudioProperties(QWidget* owner = nullptr);
    ~frmAudioProperties() override;

    // Shows record Files(index); false, nothing changed, when index is no record.
    bool ShowProps(int32_t index);

    // The library index shown; -1 once its file left the library.
    int32_t ShownIndex = -1;
    // False while ShowProps fills the fields, so filling stores nothing.
    bool Ready = true;

    QTabWidget* SSTab1;
    QLabel *allBitrate, *allDauer, *allFormat, *allTagVersion, *allAdded, *allLastPlayed, *allCounter;
    QLineEdit *tagTitel, *tagArtist, *tagAlbum, *tagYear, *tagTrack, *tagComment, *FileName;
    QComboBox *tagGenre, *tagRating;
    QPushButton *cmdClose, *cmdPrev, *cmdNext, *cmdSave;

public:
    // Esc: closes like the frame does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void WriteChanges();
    void StepTo(int32_t delta);
    void SaveTag();
    void OnLibraryReplaced(const LibraryDatabase& previous);

    Subscription librarySub_;
    // While a save runs: what to show and whether to close once it ended.
    bool saving_ = false;
    int32_t showAfterSave_ = -1;
    bool closeAfterSave_ = false;
};

// The loaded editor, nullptr when unloaded.
frmAudioProperties* TagEditor();
