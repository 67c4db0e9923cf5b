// The dynamic-playlist editor on Settings.DynPlaylists, and its help window.
#include "core/Settings.h"
#include "core/UiServices.h"
#include "ui/dialogs/frmPlaylistDynamic.h"
#include "ui/dialogs/frmPlaylistScriptIfo.h"
#include "ui/main/OtherWindows.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>

namespace {

class PlaylistEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = Settings.DynPlaylists;
        Settings.DynPlaylists = {};
        SetMessageBoxService([this](const QString& text, int style, const QString& caption) {
            messages_.append(QStringLiteral("%1|%2|%3").arg(style).arg(caption, text));
            return int(MsgOk);
        });
    }
    void TearDown() override
    {
        UnloadPlaylistEditor();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetMessageBoxService({});
        Settings.DynPlaylists = saved_;
    }

    frmPlaylistDynamic* Make()
    {
        return new frmPlaylistDynamic([this] { ++treeLoads_; });
    }
    static QStringList Rows(const frmPlaylistDynamic* w)
    {
        QStringList out;
        for (int i = 0; i < w->List1->count(); ++i) out.append(w->List1->item(i)->text());
        return out;
    }
    static QStringList Names()
    {
        QStringList out;
        for (const DynPlaylist& p : Settings.DynPlaylists) out.append(p.Name);
        return out;
    }

    std::array<DynPlaylist, DynPlaylistCount> saved_;
    QStringList messages_;
    int treeLoads_ = 0;
};

TEST_F(PlaylistEditorTest, UsedSlotsLoadInOrderAndMoveToTheFront)
{
    Settings.DynPlaylists[2] = {QStringLiteral("zwei"), QStringLiteral("rating>3")};
    Settings.DynPlaylists[5] = {QString(), QStringLiteral("year=2005")};
    Settings.DynPlaylists[7] = {QStringLiteral("sieben"), QString()};
    Settings.DynPlaylists[19] = {QStringLiteral("neunzehn"), QStringLiteral("a\r\nb")};
    frmPlaylistDynamic* w = Make();
    EXPECT_EQ(Rows(w), (QStringList{"zwei", "sieben", "neunzehn"}));
    EXPECT_EQ(w->Text2->text(), QStringLiteral("zwei"));
    w->close();
    QStringList want(DynPlaylistCount);
    want[0] = QStringLiteral("zwei"), want[1] = QStringLiteral("sieben"), want[2] = QStringLiteral("neunzehn");
    EXPECT_EQ(Names(), want);
    EXPECT_EQ(Settings.DynPlaylists[2].Query, QStringLiteral("a\r\nb"));
    EXPECT_EQ(Settings.DynPlaylists[5].Query, QString());
    EXPECT_EQ(treeLoads_, 1);
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
    Settings.DynPlaylists[0] = {QStringLiteral("eins"), QStringLiteral("q1")};
    Settings.DynPlaylists[1] = {QStringLiteral("zwei"), QStringLiteral("q2")};
    Settings.DynPlaylists[2] = {QStringLiteral("drei"), QStringLiteral("q3")};
    w = Make();
    w->List1->setCurrentRow(-1);
    w->cmdDelete->click();
    EXPECT_EQ(Rows(w), (QStringList{"eins", "zwei", "drei"}));
    w->List1->setCurrentRow(1);
    w->cmdDelete->click();
    EXPECT_EQ(Rows(w), (QStringList{"eins", "drei"}));
    EXPECT_EQ(w->List1->currentRow(), 0);
    w->List1->setCurrentRow(1);
    w->cmdDelete->click();
    w->cmdDelete->click();
    EXPECT_EQ(Rows(w), QStringList{"eins"});
    EXPECT_EQ(w->Text1->toPlainText(), QStringLiteral("q1"));
}

TEST_F(PlaylistEditorTest, TakeOverKeepsLinesAndRefusesOverlongText)
{
    frmPlaylistDynamic* w = Make();
    w->cmdNew->click();
    w->cmdNew->click();
    w->Text2->setText(QStringLiteral("Neu und gut"));
    w->Text1->setPlainText(QStringLiteral("rating>3\nyear>2003"));
    w->cmdTakeOver->click();
    EXPECT_EQ(w->EditList[1], (DynPlaylist{"Neu und gut", "rating>3\r\nyear>2003"}));
    EXPECT_EQ(Rows(w), (QStringList{"Neue Playlist", "Neu und gut"}));

    // Another row drops what was not taken over.
    w->Text2->setText(QStringLiteral("verloren"));
    w->List1->setCurrentRow(0);
    w->List1->setCurrentRow(1);
    EXPECT_EQ(w->Text2->text(), QStringLiteral("Neu und gut"));
    EXPECT_EQ(w->Text1->toPlainText(), QStringLiteral("rating>3\nyear>2003"));

    const QString tooLong = QString(65536, u'x');
    w->Text1->setPlainText(tooLong);
    w->cmdTakeOver->click();
    EXPECT_EQ(messages_, QStringList{QStringLiteral(
                             "48|Dynamische Wiedergabelisten|Der Text ist zu lang und wurde nicht übernommen.")});
    EXPECT_EQ(w->EditList[1].Query, QStringLiteral("rating>3\r\nyear>2003"));
    EXPECT_EQ(w->Text1->toPlainText(), tooLong);
}

TEST_F(PlaylistEditorTest, HelpListsTheCriteriaAndCopiesOne)
{
    frmPlaylistDynamic* w = Make();
    w->cmdHelp->click();
    frmPlaylistScriptIfo* help = w->HelpWindow();
    ASSERT_TRUE(help && help->isVisible());
    QStringList entries;
    for (int i = 0; i < help->List2->count(); ++i) entries.append(help->List2->item(i)->text());
    EXPECT_EQ(entries, (QStringList{"10 top timesplayed", "20 top timeplayed", "artist=*seeed*", "title=*?",
                                    "filename=*.ogg", "album=The Matrix Reloaded", "rating>3", "rating>=3",
                                    "rating=5", "rating<2", "rating<=4", "year>2003", "year=2005", "year<>2000",
                                    "genre<>*hip*hop*", "bitrate>=128", "track<>", "33 top addtime"}));
    QGuiApplication::clipboard()->setText(QStringLiteral("vorher"));
    QListWidgetItem* last = help->List2->item(17);
    help->List2->setCurrentItem(last);
    emit help->List2->itemDoubleClicked(last);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("33 top addtime"));
}

} // namespace
