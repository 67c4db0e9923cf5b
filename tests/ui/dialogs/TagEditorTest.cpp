// The tag editor on a library made by hand (or synchronised from a temporary
// folder), the main list played by a fake host.
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/TagReader.h"
#include "core/TagSave.h"
#include "core/UiServices.h"
#include "platform/TagLibReader.h"
#include "platform/TagLibWriter.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/WindowTest.h"
#include "ui/dialogs/TagEditorHost.h"
#include "ui/dialogs/frmAudioProperties.h"
#include "ui/main/OtherWindows.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>

namespace {

struct FakeHost : TagEditorHost {
    int32_t SelectedIndex() override { return row; }
    void SetSelectedIndex(int32_t r) override { row = r; }
    int32_t ItemCount() override { return int32_t(keys.size()) - 1; }
    int32_t SelectedKey() override { return row >= 0 && row < keys.size() ? keys[row] : -1; }
    void SetTagEditorOpen(bool o) override { open = o; }
    void RecordChanged(int32_t index) override { changed << index; }
    QVector<int32_t> keys, changed;
    int32_t row = -1;
    bool open = false;
};

// Any existing file is an MPEG title to it: a folder synchronises without codecs.
struct AnyFileReader : TagReader {
    TagReading Open(const QString& path) override { return TagReading{int16_t(QFile::exists(path) ? 1 : 0)}; }
};

LibraryEntry Record(const QString& file, const QString& actions = {}, int16_t rating = 0)
{
    return {.FileName = file, .Tags = {.Format = QStringLiteral("MPEG")}, .Actions = actions, .Rating = rating};
}

class TagEditorTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        SetTagEditorHost(&host_);
    }
    void TearDown() override
    {
        UnloadTagEditor();
        SetTagEditorHost(nullptr);
    }
    frmAudioProperties* Open(int32_t index)
    {
        EXPECT_TRUE(OpenTagEditor(index));
        return TagEditor();
    }
    QString P(const char* name) const { return tree_.filePath(name); }

    QTemporaryDir tree_;
    FakeHost host_;
    AnyFileReader reader_;
};

TEST_F(TagEditorTest, WhatIsStoredAndWhatIsNot)
{
    // Nothing to show: not loaded, the list does not follow.
    EXPECT_FALSE(OpenTagEditor(-1) || TagEditor() || host_.open);

    Library.Files = {Record("/m/a.mp3"), Record("/m/b.mp3", {}, 7), Record("/m/c.mp3"), Record("/m/d.mp3", "R"),
                     Record("/m/e.mp3", "Tag;"), Record("/m/f.mp3", "RTag;")};
    frmAudioProperties* w = Open(0);
    EXPECT_EQ(w->SSTab1->currentIndex(), 1);
    EXPECT_TRUE(host_.open && w->isVisible());

    TagEditorShowProps(1);
    w->FileName->insert("zzz");
    EXPECT_EQ(Library.Files[1].Actions + Library.Files[1].FileName, "/m/b.mp3");
    EXPECT_FALSE(w->cmdSave->isEnabled());

    // A rating outside the list selects nothing and survives an edit.
    EXPECT_EQ(w->tagRating->currentIndex(), -1);
    w->tagTitel->insert("x");
    EXPECT_EQ(Library.Files[1].Rating, 7);

    // The first keystroke marks the record, once.
    for (const auto& [index, after] : {std::pair{2, "Tag;"}, {3, "RTag;"}, {4, "Tag;"}, {5, "RTag;"}}) {
        ASSERT_TRUE(w->ShowProps(index));
        w->tagTitel->insert("x");
        w->tagTitel->insert("y");
        EXPECT_EQ(Library.Files[index].Actions + "|" + Library.Files[index].Tags.Title, after + QString("|xy"));
        EXPECT_TRUE(w->cmdSave->isEnabled());
    }

    ASSERT_TRUE(w->ShowProps(0));
    w->tagRating->setCurrentIndex(3);
    EXPECT_EQ(Library.Files[0].Rating, 3);
    EXPECT_EQ(Library.Files[0].Actions, "Tag;");
    EXPECT_FALSE(w->ShowProps(-1) || w->ShowProps(6));
    EXPECT_EQ(w->ShownIndex, 0);

    w->reject();  // Esc
    EXPECT_FALSE(TagEditor() || host_.open);
}

TEST_F(TagEditorTest, StepsThroughTheList)
{
    Library.Files = {Record("/m/a.mp3"), Record("/m/b.mp3"), Record("/m/c.mp3")};
    // Rows show the records backwards: the step follows rows, ShownIndex the keys.
    const struct { QVector<int32_t> keys; int32_t row; int delta; int32_t wantRow, wantShown; } rows[] = {
        {{2, 1, 0}, 0, +1, 1, 1}, {{2, 1, 0}, 2, +1, 2, 0}, {{2, 1, 0}, 0, -1, 0, 2},
        {{2, 1, 0}, 1, -1, 0, 2}, {{-1}, 0, +1, 0, 1},       {{-1}, 0, -1, 0, 1},
    };
    for (const auto& r : rows) {
        frmAudioProperties* w = Open(1);
        host_.keys = r.keys;
        host_.row = r.row;
        (r.delta > 0 ? w->cmdNext : w->cmdPrev)->click();
        EXPECT_EQ(std::pair(host_.row, w->ShownIndex), std::pair(r.wantRow, r.wantShown)) << r.row << r.delta;
    }
    for (const LibraryEntry& e : Library.Files) EXPECT_EQ(e.Actions, "");
}

// A text longer than its box opens at its start, also in a box the user
// left at the end of the previous title.
TEST_F(TagEditorTest, EveryBoxShowsTheStartOfALongText)
{
    const QString lang = QStringLiteral("Ein Text, der gewiss nicht mehr ganz hineinpasst und abgeschnitten werden muss");
    for (const QString& end : {QStringLiteral(" (eins)"), QStringLiteral(" (zwei)")}) {
        LibraryEntry e = Record("/m/" + lang + end + ".mp3");
        e.Tags = {.Title = lang + end, .Artist = lang, .Album = lang, .Year = lang, .Comment = lang, .Genre = lang,
                  .Track = lang};
        Library.Files.append(e);
    }
    frmAudioProperties* w = Open(0);
    const std::pair<const char*, QLineEdit*> boxes[] = {
        {"tagTitel", w->tagTitel}, {"tagArtist", w->tagArtist}, {"tagAlbum", w->tagAlbum},
        {"tagGenre", w->tagGenre->lineEdit()}, {"tagYear", w->tagYear}, {"tagTrack", w->tagTrack},
        {"tagComment", w->tagComment}, {"FileName", w->FileName}};
    for (const int32_t index : {0, 1}) {
        TagEditorShowProps(index);
        for (const auto& [name, box] : boxes) {
            EXPECT_EQ(box->cursorPosition(), 0) << name << ' ' << index;
            box->end(false);
        }
    }
    EXPECT_EQ(Library.Files[0].Actions + Library.Files[1].Actions, "");
}

TEST_F(TagEditorTest, SaveWritesOrSaysWhyNot)
{
    const QString mp3 = P("a.mp3"), wav = P("b.wav");
    ASSERT_TRUE(MakeToneFile(mp3, FixtureFormat::Mp3, 0.3) && MakeToneFile(wav, FixtureFormat::Wav, 0.3));
    TagLibReader reader;
    TagLibWriter writer;
    SetTagReader(&reader);
    SetTagWriter(&writer);
    Library.Files = {Record(mp3), Record(wav)};
    Library.Files[1].Tags.Format = "WAV";
    const QByteArray wavBefore = ReadRawFile(wav);
    frmAudioProperties* w = Open(1);
    const QString caption = "|Eigenschaften|";
    // Not writable, a failed write, then a good one; "Tag;" stays until the file has the tags.
    const struct { int index; TagSaveStep fail; QString message, actions; } rows[] = {
        {1, TagSaveStep::None, "48" + caption + "Dieses Dateiformat kann keine ID3v1-Tags aufnehmen. Die Änderungen "
                                                "bleiben in der Bibliothek.", "Tag;"},
        {0, TagSaveStep::Rename, "16" + caption + "Die Tags konnten nicht in die Datei geschrieben werden.", "Tag;"},
        {0, TagSaveStep::None, "", ""},
    };
    for (const auto& r : rows) {
        shown.clear();
        host_.changed.clear();
        w->ShowProps(r.index);
        w->tagTitel->setText("Übermorgen");
        SetTagSaveFailure(r.fail);
        w->cmdSave->click();
        EXPECT_EQ(shown.join(""), r.message);
        EXPECT_EQ(Library.Files[r.index].Actions, r.actions);
        EXPECT_EQ(w->cmdSave->isEnabled(), !r.actions.isEmpty());
        EXPECT_EQ(host_.changed, QVector<int32_t>{r.index});  // the main list shows the record anew
    }
    EXPECT_EQ(ReadRawFile(wav), wavBefore);
    EXPECT_EQ(reader.Open(mp3).Title, "Übermorgen");
    SetTagWriter(nullptr);
    SetTagReader(nullptr);
}

// A synchronisation renumbers the records: the edit goes to the shown file, or nowhere once it is gone.
TEST_F(TagEditorTest, EditFollowsTheShownFileThroughASync)
{
    SetTagReader(&reader_);
    for (const char* gone : {"a.mp3", "c.mp3"}) {
        Library = LibraryDatabase();
        for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}) ASSERT_TRUE(WriteRawFile(P(name), "x"));
        ASSERT_EQ(SyncLibrary(1, tree_.path()).status, SyncResult::Done);
        frmAudioProperties* w = Open(2);
        ASSERT_TRUE(QFile::remove(P(gone)));
        ASSERT_EQ(SyncLibrary(1, tree_.path()).status, SyncResult::Done);
        w->tagTitel->setText("Neu");
        EXPECT_EQ(w->cmdSave->isEnabled(), gone == QString("a.mp3"));
        for (const LibraryEntry& e : Library.Files) {
            const bool shown = e.FileName == P("c.mp3");
            EXPECT_EQ(e.Tags.Title == "Neu", shown) << gone;
            EXPECT_EQ(e.Actions, shown ? "Tag;" : "") << gone;
            EXPECT_EQ(ReadRawFile(e.FileName), "x");
        }
        UnloadTagEditor();
    }
}

} // namespace
