#include "ui/dialogs/frmInfo.h"

#include "ui/main/OtherWindows.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

class Info : public ::testing::Test {
protected:
    void TearDown() override { UnloadInfo(); }
};

TEST_F(Info, Texts)
{
    OpenInfo();
    frmInfo* info = InfoWindow();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->windowTitle(), QStringLiteral("Info"));
    EXPECT_EQ(info->Label2->text(), QStringLiteral("Sarovin"));
    EXPECT_TRUE(info->Label4->text().contains(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$"))));
    EXPECT_FALSE(info->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

TEST_F(Info, OkEnterAndEscapeCloseItAndASecondOpenRaisesIt)
{
    for (int key : {0, int(Qt::Key_Return), int(Qt::Key_Escape)}) {
        OpenInfo();
        QPointer<frmInfo> info = InfoWindow();
        OpenInfo();
        EXPECT_EQ(InfoWindow(), info.data());
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        if (key) QApplication::sendEvent(info, &press);
        else info->Command1->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(info) << key;
    }
}

TEST_F(Info, MakerDrawnInItsColour)
{
    OpenInfo();
    const QImage image = InfoWindow()->Label1->grab().toImage();
    bool found = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) found = found || image.pixel(x, y) == qRgb(0xBD, 0x00, 0x04);
    EXPECT_TRUE(found);
}

} // namespace
