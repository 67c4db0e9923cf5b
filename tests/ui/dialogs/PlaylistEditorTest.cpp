// The dynamic-playlist editor on Settings.DynPlaylists, and its help window.
#include "core/Settings.h"
#include "core/UiServices.h"
#include "ui/dialogs/frmPlaylistDynamic.h"
#include "ui/dialogs/frmPlaylistScriptIfo.h"
#include "ui/main/OtherWindows.h"
#include "tests/support/WindowTest.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

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

TEST_F(PlaylistEditorTest, UsedSlotsMoveToTheFront)
{
    Settings.DynPlaylists[2] = {"zwei", "rating>3"};
    Settings.DynPlaylists[5] = {"", "year=2005"};
    Settings.DynPlaylists[7] = {"sieben", ""};
    Settings.DynPlaylists[19] = {"neunzehn", "a\r\nb"};
    frmPlaylistDynamic* w = Make();
    EXPECT_EQ(Texts(w->List1), (QStringList{"zwei", "sieben", "neunzehn"}));
    EXPECT_EQ(w->Text2->text(), QStringLiteral("zwei"));
    w->close();
    std::array<DynPlaylist, DynPlaylistCount> want{};
    want[0] = {"zwei", "rating>3"}, want[1] = {"sieben", ""}, want[2] = {"neunzehn", "a\r\nb"};
    EXPECT_EQ(Settings.DynPlaylists, want);
}

TEST_F(PlaylistEditorTest, EveryWayOfClosingWritesBackOnce)
{
    const std::function<void(frmPlaylistDynamic*)> ways[] = {
        [](frmPlaylistDynamic* w) { w->cmdClose->click(); },
        [](frmPlaylistDynamic* w) { w->reject(); },  // Esc
        [](frmPlaylistDynamic* w) { w->close(); },   // the frame
        [](frmPlaylistDynamic*) { UnloadPlaylistEditor(); },
    };
    for (const auto& way : ways) {
        Settings.DynPlaylists = {};
        treeLoads_ = 0;
        frmPlaylistDynamic* w = Make();
        EXPECT_EQ(PlaylistEditor(), w);
        w->cmdNew->click();
        way(w);
        EXPECT_EQ(Settings.DynPlaylists[0].Name, QStringLiteral("Neue Playlist"));
        EXPECT_EQ(treeLoads_, 1);
        EXPECT_EQ(PlaylistEditor(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(PlaylistEditorTest, NewStopsAtTwentyAndDeleteKeepsTheLast)
{
    frmPlaylistDynamic* w = Make();
    // Nothing to edit: the fields take nothing.
    EXPECT_FALSE(w->Text1->isEnabled() || w->Text2->isEnabled() || w->cmdTakeOver->isEnabled());
    for (int i = 0; i < 25; ++i) w->cmdNew->click();
    EXPECT_EQ(w->List1->count(), 20);
    EXPECT_FALSE(w->cmdNew->isEnabled());
    EXPECT_TRUE(w->Text1->isEnabled() && w->Text2->isEnabled() && w->cmdTakeOver->isEnabled());
    w->close();
    for (const DynPlaylist& p : Settings.DynPlaylists) EXPECT_EQ(p, (DynPlaylist{"Neue Playlist", ""}));

    Settings.DynPlaylists = {};
    std::tie(Settings.DynPlaylists[0], Settings.DynPlaylists[1], Settings.DynPlaylists[2]) =
        std::tuple(DynPlaylist{"eins", "q1"}, DynPlaylist{"zwei", "q2"}, DynPlaylist{"drei", "q3"});
    w = Make();
    w->List1->setCurrentRow(-1);
    w->cmdDelete->click();
    EXPECT_EQ(Texts(w->List1), (QStringList{"eins", "zwei", "drei"}));
    w->List1->setCurrentRow(1);
    w->cmdDelete->click();
    EXPECT_EQ(Texts(w->List1), (QStringList{"eins", "drei"}));
    EXPECT_EQ(w->List1->currentRow(), 0);
    w->List1->setCurrentRow(1);
    w->cmdDelete->click();
    w->cmdDelete->click();
    EXPECT_EQ(Texts(w->List1), QStringList{"eins"});
    EXPECT_EQ(w->Text1->toPlainText(), QStringLiteral("q1"));
}

TEST_F(PlaylistEditorTest, TakenOverQueryIsStoredWithWindowsLineEnds)
{
    frmPlaylistDynamic* w = Make();
    w->cmdNew->click();
    w->cmdNew->click();
    w->Text2->setText(QStringLiteral("Gut und neu"));
    w->Text1->setPlainText(QStringLiteral("rating>3\nyear>2003"));
    w->cmdTakeOver->click();
    EXPECT_EQ(Texts(w->List1), (QStringList{"Neue Playlist", "Gut und neu"}));

    // Another row drops what was not taken over.
    w->Text2->setText(QStringLiteral("verloren"));
    w->List1->setCurrentRow(0);
    w->List1->setCurrentRow(1);
    EXPECT_EQ(w->Text2->text(), QStringLiteral("Gut und neu"));

    const QString tooLong(65536, u'x');
    w->Text1->setPlainText(tooLong);
    w->cmdTakeOver->click();
    EXPECT_EQ(shown, QStringList{QStringLiteral(
                             "48|Dynamische Wiedergabelisten|Der Text ist zu lang und wurde nicht übernommen.")});
    EXPECT_EQ(w->Text1->toPlainText(), tooLong);
    w->close();
    EXPECT_EQ(Settings.DynPlaylists[1], (DynPlaylist{"Gut und neu", "rating>3\r\nyear>2003"}));

    w = Make();
    w->List1->setCurrentRow(1);
    EXPECT_EQ(w->Text1->toPlainText(), QStringLiteral("rating>3\nyear>2003"));
}

TEST_F(PlaylistEditorTest, HelpListsTheCriteriaAndCopiesOne)
{
    frmPlaylistDynamic* w = Make();
    w->cmdHelp->click();
    frmPlaylistScriptIfo* help = w->HelpWindow();
    ASSERT_TRUE(help && help->isVisible());
    EXPECT_EQ(Texts(help->List2),
              (QStringList{"10 top timesplayed", "20 top timeplayed", "artist=*seeed*", "title=*?", "filename=*.ogg",
                           "album=The Matrix Reloaded", "rating>3", "rating>=3", "rating=5", "rating<2", "rating<=4",
                           "year>2003", "year=2005", "year<>2000", "genre<>*hip*hop*", "bitrate>=128", "track<>",
                           "33 top addtime"}));
    QGuiApplication::clipboard()->setText(QStringLiteral("vorher"));
    QListWidgetItem* last = help->List2->item(17);
    help->List2->setCurrentItem(last);
    emit help->List2->itemDoubleClicked(last);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("33 top addtime"));
}

} // namespace
