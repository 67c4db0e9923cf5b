// The hover-label button: the order of its events.
#include "ListControlTestSupport.h"
#include "controls/QV_HoverLabel.h"

namespace {

TEST(HoverLabel, PressReleaseAndClickInOrder)
{
    QV_HoverLabel label;
    label.resize(33, 25);
    QStringList seen;
    QObject::connect(&label, &QV_HoverLabel::MouseDown, [&](int b, int, double, double) { seen << QStringLiteral("down%1").arg(b); });
    QObject::connect(&label, &QV_HoverLabel::MouseUp, [&](int b, int, double, double) { seen << QStringLiteral("up%1").arg(b); });
    QObject::connect(&label, &QV_HoverLabel::Click, [&] { seen << QStringLiteral("click"); });
    const struct { QPointF releaseAt; Qt::MouseButton button; const char* want; } rows[] = {
        {{5, 5}, Qt::LeftButton, "down1 up1 click"},
        {{50, 5}, Qt::LeftButton, "down1 up1"},  // released outside: no click
        {{5, 5}, Qt::RightButton, "down2 up2"},
    };
    for (const auto& r : rows) {
        seen.clear();
        SendMouse(label, QEvent::MouseButtonPress, {5, 5}, r.button, r.button);
        SendMouse(label, QEvent::MouseButtonRelease, r.releaseAt, r.button, Qt::NoButton);
        EXPECT_EQ(seen.join(u' ').toStdString(), r.want);
    }
}

} // namespace
