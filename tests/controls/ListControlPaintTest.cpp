#include "ListControlTestSupport.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

class ListPaint : public ListFixture
{
protected:
    ListPaint()
    {
        host.rows = [](qint32 i) {
            return QList<ListCell>{i, QStringLiteral("Titel"), QStringLiteral("Interpret %1").arg(i)};
        };
        list.SetItemCount(29);
    }
    QImage Grab()
    {
        QImage img = list.grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (qEnvironmentVariableIsSet("LIST_PAINT_DUMP"))
            img.save(QString::fromUtf8(qgetenv("LIST_PAINT_DUMP")) + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png");
        return img;
    }
    // Pixel at (x, y) twips.
    static QRgb At(const QImage& img, double x, double y) { return img.pixel(qRound(x / 15), qRound(y / 15)); }
    // Pixels of exactly that colour inside a twips rectangle.
    static int Count(const QImage& img, QRect twips, QRgb colour)
    {
        int n = 0;
        for (int y = twips.top() / 15; y < twips.bottom() / 15; ++y)
            for (int x = twips.left() / 15; x < twips.right() / 15; ++x)
                n += img.pixel(x, y) == colour;
        return n;
    }
};

constexpr QRgb kWhite = 0xFFFFFFFF, kOdd = 0xFFF0F0FF, kHeader = 0xFFC0C0FF, kSelection = 0xFF8080FF,
               kSeparator = 0xFFC0C0C0;

} // namespace

TEST_F(ListPaint, BandsHeaderSeparatorsAndTrack)
{
    const QImage img = Grab();
    ASSERT_EQ(img.size(), QSize(600, 336));
    EXPECT_EQ(At(img, 5000, 100), kHeader);
    EXPECT_EQ(At(img, 5000, 240 + 120), kWhite);      // row 0
    EXPECT_EQ(At(img, 5000, 480 + 120), kOdd);        // row 1
    EXPECT_EQ(At(img, 5000, 240 * 20 + 120), kOdd);   // row 19
    EXPECT_EQ(At(img, 2500, 240 * 3 + 120), kSeparator);
    EXPECT_EQ(At(img, 4000, 100), kSeparator);        // over the header band too
    EXPECT_EQ(At(img, 9000 - 100, 240 + 100), kSelection); // thumb at the top of the track
    list.SetTopRow(1); // colours stay with the data rows
    EXPECT_EQ(At(Grab(), 5000, 240 + 120), kOdd);
}

TEST_F(ListPaint, SelectionBarFollowsKeyboardAndClicks)
{
    EXPECT_EQ(Count(Grab(), QRect(4500, 240, 3000, 240 * 20), kSelection), 0);
    Key(list, Qt::Key_Down); // keyboard only: the bar shows all the same
    Key(list, Qt::Key_Down);
    QImage img = Grab();
    EXPECT_EQ(At(img, 5000, 240 * 2 + 120), kSelection);
    EXPECT_EQ(At(img, 5000, 240 * 3 + 120), kWhite);
    Click(list, CellPoint(4, 1));
    img = Grab();
    EXPECT_EQ(At(img, 5000, 240 * 5 + 120), kSelection);
    EXPECT_EQ(At(img, 5000, 240 * 2 + 120), kOdd);
    list.SetTopRow(9); // scrolled above the first row: hidden under the header
    EXPECT_EQ(At(Grab(), 5000, 100), kHeader);
}

TEST_F(ListPaint, HighlightedRowIsDarkBlueAndBold)
{
    // Rows 4 and 6 both show "Titel" on white. Text is antialiased: on white a
    // pixel of coverage c has red 255(1 - c); dark blue adds 128c to blue.
    struct Ink { double coverage = 0, blueExcess = 0; };
    auto measure = [](const QImage& img, int labelRow) {
        Ink ink;
        for (int y = 16 + 16 * labelRow; y < 30 + 16 * labelRow; ++y)
            for (int x = 40; x < 166; ++x) {
                const QRgb p = img.pixel(x, y);
                ink.coverage += (255 - qRed(p)) / 255.0;
                ink.blueExcess += qBlue(p) - qRed(p);
            }
        return ink;
    };
    QImage img = Grab();
    const Ink plain = measure(img, 4);
    EXPECT_GT(plain.coverage, 5);
    EXPECT_EQ(plain.blueExcess, 0); // black
    list.SetHighlighted(1004);
    img = Grab();
    const Ink lit = measure(img, 4);
    EXPECT_NEAR(lit.blueExcess / lit.coverage, 128, 12); // &H800000
    EXPECT_GT(lit.coverage, plain.coverage * 1.15);      // bold strokes are wider
    EXPECT_EQ(measure(img, 6).coverage, plain.coverage);
}

TEST_F(ListPaint, RatingColumnDrawsStarsFromTheStoredCharacter)
{
    auto draw = [&](const char* font, QChar stored) {
        list.SetHeader(3, "Bewertung", 1000, false, font, true, 12);
        host.rows = [stored](qint32) { return QList<ListCell>{1, "x", "y", QString(3, stored)}; };
        list.SetItemCount(0);
        return Grab().copy(4100 / 15, 16, 60, 14);
    };
    const QImage stars = draw("Wingdings", QChar(171));
    EXPECT_EQ(ListControlProbe::Caption(list, 0, 3), QString(3, QChar(171)));
    EXPECT_LT(Count(stars, QRect(0, 0, 900, 210), kWhite), 60 * 14); // something is drawn
    EXPECT_EQ(stars, draw("", QChar(0x2605))); // as the star symbol in the default font
}
