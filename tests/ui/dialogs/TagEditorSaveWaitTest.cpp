// The tag editor while its save runs in the helper, held at a gate the test
// opens: the window paints, takes no input, the program is busy, and a close
// or another row waits for the save's end.
#include "core/Busy.h"
#include "core/LibrarySync.h"
#include "core/TagSave.h"
#include "platform/TagLibReader.h"
#include "platform/TagLibWriter.h"
#include "platform/TagSaveProcess.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/HelperScript.h"
#include "tests/support/WindowTest.h"
#include "ui/dialogs/TagEditorHost.h"
#include "ui/dialogs/frmAudioProperties.h"
#include "ui/main/OtherWindows.h"

#include <QThread>

namespace {

struct ListHost : TagEditorHost {
    int32_t SelectedIndex() override { return row; }
    void SetSelectedIndex(int32_t r) override { row = r; }
    int32_t ItemCount() override { return 1; }
    int32_t SelectedKey() override { return row; }
    void SetTagEditorOpen(bool) override {}
    void RecordChanged(int32_t) override {}
    int32_t row = 0;
};

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// What the test saw while the save ran.
struct During {
    bool ran = false, enabled = true, busy = false, syncRefused = false, open = false, painted = false;
    int32_t row = -1, shown = -1;
};

class TagEditorSaveWaitTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(WriteGatedHelper(aside_.filePath("helfer"), aside_.filePath("pid"), gate(), SAROVIN_TAG_HELPER));
        SetTagEditorHost(&host_);
        SetTagReader(&reader_);
        SetTagWriter(&writer_);
        SetTagSaveRunner(&helper_);
        for (const char* name : {"a.mp3", "b.mp3"}) {
            ASSERT_TRUE(MakeToneFile(music_.filePath(name), FixtureFormat::Mp3, 0.3) &&
                        WriteFixtureTags(music_.filePath(name), {.Title = "Alt"}));
        }
        ASSERT_EQ(SyncLibrary(1, music_.path()).status, SyncResult::Done);
        ASSERT_EQ(Library.Files.size(), 2);
    }
    void TearDown() override
    {
        UnloadTagEditor();
        SetTagSaveRunner(nullptr);
        SetTagWriter(nullptr);
        SetTagReader(nullptr);
        SetTagEditorHost(nullptr);
    }
    QString gate() const { return aside_.filePath("tor"); }

    QTemporaryDir aside_, music_;
    ListHost host_;
    TagLibReader reader_;
    TagLibWriter writer_;
    TagSaveProcess helper_{aside_.filePath("helfer")};
};

TEST_F(TagEditorSaveWaitTest, EditorWaitsForTheSave)
{
    enum class Then { Close, ShowOtherRow };
    const QString failed = "16|Eigenschaften|Die Tags konnten nicht in die Datei geschrieben werden.";
    // A close waits for the save, and for its message when it failed.
    const struct { Then then; TagSaveStep fail; QString title; QString message; } rows[] = {
        {Then::Close, TagSaveStep::None, "Eins", ""},
        {Then::ShowOtherRow, TagSaveStep::None, "Zwei", ""},
        {Then::Close, TagSaveStep::Rename, "Zwei", failed},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.title.toStdString() + " " + std::to_string(int(r.then)));
        QFile::remove(gate());
        shown.clear();
        SetTagSaveFailure(r.fail);
        ASSERT_TRUE(OpenTagEditor(0));
        frmAudioProperties* w = TagEditor();
        w->tagTitel->setText(r.title == "Zwei" && r.fail != TagSaveStep::None ? "Drei" : r.title);
        PaintCounter counter;
        w->installEventFilter(&counter);
        During during;
        QTimer::singleShot(0, w, [&] {
            during.ran = true;
            during.enabled = w->isEnabled();
            during.busy = IsBusy();
            during.syncRefused = SyncLibrary(1, music_.path()).status == SyncResult::Busy;
            w->cmdNext->click();
            during.row = host_.row;
            if (r.then == Then::Close) {
                w->close();
            } else {
                TagEditorShowProps(1);
            }
            during.open = TagEditor() == w && w->isVisible();
            during.shown = w->ShownIndex;
            const int paints = counter.paints;
            w->update();
            // A later turn of the loop, still inside the save: has it painted?
            QTimer::singleShot(0, w, [&, paints] {
                during.painted = counter.paints > paints;
                WriteRawFile(gate(), "");
            });
        });
        w->cmdSave->click();
        SetTagSaveFailure(TagSaveStep::None);

        EXPECT_TRUE(during.ran);
        EXPECT_FALSE(during.enabled);
        EXPECT_TRUE(during.busy);
        EXPECT_TRUE(during.syncRefused);
        EXPECT_EQ(during.row, 0);
        EXPECT_TRUE(during.open);
        EXPECT_EQ(during.shown, 0);
        EXPECT_TRUE(during.painted);
        // Saved or not, then closed or moved on.
        EXPECT_EQ(shown.join(""), r.message);
        EXPECT_EQ(Library.Files[0].Actions, r.message.isEmpty() ? "" : "Tag;");
        EXPECT_EQ(reader_.Open(Library.Files[0].FileName).Title, r.title);
        EXPECT_FALSE(IsBusy());
        if (r.then == Then::Close) {
            EXPECT_EQ(TagEditor(), nullptr);
        } else {
            ASSERT_EQ(TagEditor(), w);
            EXPECT_EQ(w->ShownIndex, 1);
            EXPECT_TRUE(w->isEnabled());
            w->removeEventFilter(&counter);
            UnloadTagEditor();
        }
        EXPECT_EQ(FilesUnder(music_.path()), (QStringList{"a.mp3", "b.mp3"}));
    }
}

} // namespace
