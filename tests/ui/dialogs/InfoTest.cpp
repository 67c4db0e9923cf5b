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
    static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

TEST_F(Info, Texts)
{
    OpenInfo();
    frmInfo* info = InfoWindow();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->windowTitle(), QStringLiteral("Info"));
    EXPECT_EQ(info->Label1->text(), QStringLiteral("Trelmund"));
    EXPECT_EQ(info->Label2->text(), QStringLiteral("Sarovin"));
    EXPECT_EQ(info->Label3->text(), QStringLiteral("Version:"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(info->Label4->text()).hasMatch());
    EXPECT_EQ(info->Label7->text(), QStringLiteral("Credits:"));
    EXPECT_EQ(info->Command1->text(), QStringLiteral("&OK"));
    EXPECT_FALSE(info->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(info->minimumSize(), info->maximumSize());
}

TEST_F(Info, OkEnterAndEscapeCloseIt)
{
    const struct { const char* how; std::function<void(frmInfo&)> act; } rows[] = {
        {"OK", [](frmInfo& d) { d.Command1->click(); }},
        {"Enter", [](frmInfo& d) { QKeyEvent k(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier); QApplication::sendEvent(&d, &k); }},
        {"Escape", [](frmInfo& d) { QKeyEvent k(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier); QApplication::sendEvent(&d, &k); }},
    };
    for (const auto& r : rows) {
        OpenInfo();
        QPointer<frmInfo> info = InfoWindow();
        ASSERT_TRUE(info);
        r.act(*info);
        Settle();
        EXPECT_FALSE(info) << r.how;
        EXPECT_EQ(InfoWindow(), nullptr) << r.how;
    }
}

TEST_F(Info, SecondOpenRaisesTheSameWindow)
{
    OpenInfo();
    frmInfo* first = InfoWindow();
    OpenInfo();
    EXPECT_EQ(InfoWindow(), first);
    EXPECT_EQ(QApplication::topLevelWidgets().count(first), 1);
    int boxes = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) boxes += qobject_cast<frmInfo*>(w) != nullptr;
    EXPECT_EQ(boxes, 1);
}

TEST_F(Info, MakerDrawnInItsColour)
{
    OpenInfo();
    const QImage image = InfoWindow()->Label1->grab().toImage();
    bool found = false;
    for (int y = 0; y < image.height() && !found; ++y)
        for (int x = 0; x < image.width() && !found; ++x) found = image.pixel(x, y) == qRgb(0xBD, 0x00, 0x04);
    EXPECT_TRUE(found);
}

} // namespace
