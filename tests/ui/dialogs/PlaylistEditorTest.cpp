// The dynamic-playlist editor on Settings.DynPlaylists, and its help window.
#include "core/Settings.h"
#include "core/UiServices.h"
#include "ui/dialogs/frmPlaylistDynamic.h"
#include "ui/dialogs/frmPlaylistScriptIfo.h"
#include "ui/main/OtherWindows.h"
#include "tests/support/WindowTest.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>

namespace {

QStringList Texts(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out.append(list->item(i)->text());
    return out;
}

class PlaylistEditorTest : public WindowTest {
protected:
    void TearDown() override { UnloadPlaylistEditor(); }

    frmPlaylistDynamic* Make() { return new frmPlaylistDynamic([this] { ++treeLoads_; }); }

    int treeLoads_ = 0;
};

// The used slots, in order and a new one behind them, are written back to the
// front once, however the window closes.
TEST_F(PlaylistEditorTest, EveryWayOfClosingWritesTheUsedSlotsBackOnce)
{
    const std::function<void(frmPlaylistDynamic*)> ways[] = {
        [](frmPlaylistDynamic* w) { w->cmdClose->click(); },
        [](frmPlaylistDynamic* w) { w->reject(); },  // Esc
        [](frmPlaylistDynamic* w) { w->close(); },   // the frame
        [](frmPlaylistDynamic*) { UnloadPlaylistEditor(); },
    };
    std::array<DynPlaylist, DynPlaylistCount> sparse{}, want{};
    sparse[2] = want[0] = {"zwei", "rating>3"}, sparse[5] = {"", "year=2005"};
    sparse[7] = want[1] = {"sieben", ""}, sparse[19] = want[2] = {"neunzehn", "a\r\nb"};
    want[3] = {"Neue Playlist", ""};
    for (const auto& way : ways) {
        Settings.DynPlaylists = sparse;
        treeLoads_ = 0;
        frmPlaylistDynamic* w = Make();
        EXPECT_EQ(PlaylistEditor(), w);
        w->cmdNew->click();
        way(w);
        EXPECT_EQ(Settings.DynPlaylists, want);
        EXPECT_EQ(treeLoads_, 1);
        EXPECT_EQ(PlaylistEditor(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// New stops at twenty, delete keeps the last; a taken-over name is one line,
// the query stored with Windows line ends.
TEST_F(PlaylistEditorTest, NewDeleteAndTakeOver)
{
    frmPlaylistDynamic* w = Make();
    const auto editable = [&] { return w->Text1->isEnabled() + w->Text2->isEnabled() + w->cmdTakeOver->isEnabled(); };
    EXPECT_EQ(editable(), 0);  // nothing to edit: the fields take nothing
    for (int i = 0; i < 25; ++i) w->cmdNew->click();
    EXPECT_EQ(w->List1->count(), 20);
    EXPECT_FALSE(w->cmdNew->isEnabled());
    EXPECT_EQ(editable(), 3);
    w->close();
    for (const DynPlaylist& p : Settings.DynPlaylists) EXPECT_EQ(p, (DynPlaylist{"Neue Playlist", ""}));

    Settings.DynPlaylists = {};
    Settings.DynPlaylists[0] = {"eins", "q1"}, Settings.DynPlaylists[1] = {"zwei", "q2"};
    Settings.DynPlaylists[2] = {"drei", "q3"};
    w = Make();
    // No row, the middle one, then the last twice: one entry always stays.
    const struct { int row; QStringList left; } steps[] = {
        {-1, {"eins", "zwei", "drei"}}, {1, {"eins", "drei"}}, {1, {"eins"}}, {0, {"eins"}}};
    for (const auto& s : steps) {
        w->List1->setCurrentRow(s.row);
        w->cmdDelete->click();
        EXPECT_EQ(Texts(w->List1), s.left) << s.row;
    }
    EXPECT_EQ(w->List1->currentRow(), 0);
    EXPECT_EQ(w->Text1->toPlainText(), "q1");

    w->cmdNew->click();
    w->Text2->setText("Gut\r\nund\nneu");  // pasted line breaks
    w->Text1->setPlainText("rating>3\nyear>2003");
    w->cmdTakeOver->click();
    EXPECT_EQ(Texts(w->List1), (QStringList{"eins", "Gut und neu"}));

    // Another row drops what was not taken over.
    w->Text2->setText("verloren");
    w->List1->setCurrentRow(0);
    w->List1->setCurrentRow(1);
    EXPECT_EQ(w->Text2->text(), "Gut und neu");

    const QString tooLong(65536, u'x');
    w->Text1->setPlainText(tooLong);
    w->cmdTakeOver->click();
    EXPECT_EQ(shown, QStringList{"48|Dynamische Wiedergabelisten|Der Text ist zu lang und wurde nicht übernommen."});
    EXPECT_EQ(w->Text1->toPlainText(), tooLong);
    w->close();
    EXPECT_EQ(Settings.DynPlaylists[1], (DynPlaylist{"Gut und neu", "rating>3\r\nyear>2003"}));

    w = Make();
    w->List1->setCurrentRow(1);
    EXPECT_EQ(w->Text1->toPlainText(), "rating>3\nyear>2003");
}

TEST_F(PlaylistEditorTest, HelpListsTheCriteriaAndCopiesOne)
{
    frmPlaylistDynamic* w = Make();
    w->cmdHelp->click();
    frmPlaylistScriptIfo* help = w->HelpWindow();
    ASSERT_TRUE(help && help->isVisible());
    QGuiApplication::clipboard()->setText("vorher");
    QListWidgetItem* last = help->List2->item(17);
    help->List2->setCurrentItem(last);
    emit help->List2->itemDoubleClicked(last);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "33 top addtime");
}

} // namespace
