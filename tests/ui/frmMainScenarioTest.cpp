// The window as the user meets it: a library of tone files, a double click
// that plays and crossfades into the next title, moving labels and bars, and
// typing that filters. SAROVIN_SHOT=<file.png> keeps a picture of the window.
#include "MainWindowTestSupport.h"
#include "tests/controls/ListControlTestSupport.h"

namespace {

TEST_F(MainWindowTest, DoubleClickPlaysCrossfadesOnAndTypingFilters)
{
    MakeLibrary();
    for (int i = 0; i < 3; ++i) {
        Library.Files[i].Tags.Genre = "Ambient";
        Library.Files[i].Tags.Track = QString::number(i + 1);
        Library.Files[i].Rating = int16_t(i + 2);
    }
    Settings.CrossfaderEnabled = SwitchOn;
    Settings.CrossfadeTime = 1;
    Settings.ColumnVisible.fill(SwitchOn);
    const char* captions[] = {"Nr.", "Titel", "Interpret", "Album", "Genre", "Dauer", "Bewertung"};
    for (int i = 0; i < 7; ++i) w->QV_ListControl1->SetHeader(i, captions[i], i ? 2000 : 400);
    w->LoadColumnVisibility();
    w->resize(1100, 640);
    w->show();
    w->SetVol(24000);
    w->Command("AudioLibrary");
    QApplication::processEvents();

    // Double click on the second row (the list's own mouse handling).
    DoubleClick(*w->QV_ListControl1, QPoint(w->QV_ListControl1->width() / 3, int(16 + 1.5 * 16)));
    const int32_t first = w->CurrentTrack;
    ASSERT_GE(first, 0);
    EXPECT_EQ(Queue().front(), first);
    Advance(0.5);
    EXPECT_GT(w->Twips(w->shSeek).Width, 0);

    Advance(0.7);  // the end: the next title fades in
    const int32_t second = w->CurrentTrack;
    EXPECT_EQ(second, Queue().front());
    EXPECT_NE(second, first);
    EXPECT_EQ(Library.Files[second].PlayCNT, 1);
    EXPECT_EQ(w->lblTitle->text(), Library.Files[second].Tags.Title);
    EXPECT_TRUE(w->lblTitle->font().bold());

    w->txtSearch->setFocus();
    w->txtSearch->setText("bo");
    EXPECT_EQ(View().Items, (QVector<int32_t>{1}));
    Advance(0.3);
    QApplication::processEvents();
    if (qEnvironmentVariableIsSet("SAROVIN_SHOT")) w->grab().save(qEnvironmentVariable("SAROVIN_SHOT"));
}

} // namespace
