#include "ui/dialogs/frmInfo.h"

#include "tests/support/WindowTest.h"
#include "ui/main/OtherWindows.h"

#include <QRegularExpression>

namespace {

TEST(Info, VersionShownAndOkEnterOrEscapeCloseItAndASecondOpenRaisesIt)
{
    for (int key : {0, int(Qt::Key_Return), int(Qt::Key_Escape)}) {
        OpenInfo();
        QPointer<frmInfo> info = InfoWindow();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(info->Label4->text()).hasMatch())
            << info->Label4->text().toStdString();
        OpenInfo();
        EXPECT_EQ(InfoWindow(), info.data());
        if (key) SendKey(info, key);
        else info->Command1->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(info) << key;
    }
    UnloadInfo();
}

} // namespace
