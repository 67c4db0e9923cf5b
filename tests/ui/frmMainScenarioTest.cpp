// The window as the user meets it: a library of tone files, a double click
// that plays and crossfades into the next title, moving labels and bars, and
// typing that filters. SAROVIN_SHOT=<file.png> keeps a picture of the window.
#include "MainWindowTestSupport.h"

namespace {

void DefineColumns(QV_ListControl& list)
{
    const struct { const char* caption; int width; } columns[] = {
        {"Nr.", 200}, {"Titel", 3000}, {"Interpret", 2000}, {"Album", 2000}, {"Genre", 1500}, {"Dauer", 700},
        {"Bewertung", 1000}, {"Bitrate", 700}, {"Dateiname", 2500}, {"Dateigrösse", 500}, {"Jahr", 900},
        {"Format", 900}, {"Zuletzt gespielt", 1500}, {"Zähler", 500}};
    for (int i = 0; i < 14; ++i) {
        const QString caption = QString::fromUtf8(columns[i].caption);
        if (i == 6)
            list.SetHeader(i, caption, columns[i].width, false, QStringLiteral("Wingdings"), true, 12);
        else if (i == 9)
            list.SetHeader(i, caption, columns[i].width, false, QStringLiteral("MS Sans Serif"), false);
        else
            list.SetHeader(i, caption, columns[i].width);
    }
}

TEST_F(MainWindowTest, DoubleClickPlaysCrossfadesOnAndTypingFilters)
{
    MakeLibrary();
    for (int i = 0; i < 3; ++i) {
        Library.Files[i].Tags.Genre = QStringLiteral("Ambient");
        Library.Files[i].Tags.Track = QString::number(i + 1);
        Library.Files[i].Rating = int16_t(i + 2);
        Library.Files[i].Tags.Format = QStringLiteral("WAV");
    }
    Settings.CrossfaderEnabled = SwitchOn;
    Settings.CrossfadeTime = 1;
    Settings.ColumnVisible.fill(SwitchOn);
    Settings.ColumnVisible[9] = SwitchOff;
    DefineColumns(*w->QV_ListControl1);
    w->LoadColumnVisibility();
    w->resize(1100, 640);
    w->show();
    w->SetVol(24000);
    w->Command(QStringLiteral("AudioLibrary"));
    QApplication::processEvents();

    // Double click on the second row (the list's own mouse handling).
    const QPoint row(w->QV_ListControl1->width() / 3, int(16 + 1.5 * 16));
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                           QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, row, w->QV_ListControl1->mapToGlobal(row), Qt::LeftButton,
                      t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->QV_ListControl1, &e);
    }
    const int32_t first = w->CurrentTrack;
    ASSERT_GE(first, 0);
    EXPECT_EQ(Queue().front(), first);
    Advance(0.5);
    EXPECT_GT(w->Twips(w->shSeek).Width, 0);
    EXPECT_NEAR(w->Twips(w->shVol).Height, w->Twips(w->frVol).Height * 24000 / 32768, 1e-9);

    Advance(0.7);  // the end: the next title fades in
    const int32_t second = w->CurrentTrack;
    EXPECT_EQ(second, Queue().front());
    EXPECT_NE(second, first);
    EXPECT_EQ(Library.Files[second].PlayCNT, 1);
    EXPECT_EQ(w->lblTitle->text(), Library.Files[second].Tags.Title);
    EXPECT_TRUE(w->lblTitle->font().bold());

    w->txtSearch->setFocus();
    w->txtSearch->setText(QStringLiteral("bo"));
    EXPECT_EQ(View().Items, (QVector<int32_t>{1}));
    EXPECT_EQ(w->lblPLTitle->text(), QStringLiteral("Suche: \"bo\""));
    w->txtSearch->setText(QString());
    w->Command(QStringLiteral("AudioLibrary"));
    Advance(0.3);
    QApplication::processEvents();
    if (qEnvironmentVariableIsSet("SAROVIN_SHOT")) w->grab().save(qEnvironmentVariable("SAROVIN_SHOT"));
}

} // namespace
