#include "platform/MouseWheel.h"

#include <QEvent>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>
#include <memory>

namespace {

constexpr int kNotch = 120;

class WheelFilter : public QObject {
public:
    explicit WheelFilter(std::function<void(int)> dispatch) : dispatch_(std::move(dispatch)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Wheel) Gather(static_cast<QWheelEvent*>(event)->angleDelta().y());
        return QObject::eventFilter(watched, event);
    }

private:
    void Gather(int delta)
    {
        if (delta == 0) return;
        if ((delta > 0) != (sum_ > 0) && sum_ != 0) sum_ = 0;
        sum_ += delta;
        while (sum_ >= kNotch || sum_ <= -kNotch) {
            const int notch = sum_ > 0 ? 1 : -1;
            sum_ -= notch * kNotch;
            if (dispatch_) dispatch_(notch);
        }
    }

    std::function<void(int)> dispatch_;
    int sum_ = 0;
};

QPointer<QWidget> hookedWindow;
std::unique_ptr<WheelFilter> filter;

} // namespace

void DispatchWheel(WheelScroller& target, int notches)
{
    if (notches == -1) target.ScrollUp();
    else if (notches == 1) target.ScrollDown();
}

void InstallWheelHook(QWidget* window, std::function<void(int)> dispatch)
{
    RemoveWheelHook();
    if (!window) return;
    filter = std::make_unique<WheelFilter>(std::move(dispatch));
    hookedWindow = window;
    window->installEventFilter(filter.get());
}

void RemoveWheelHook()
{
    if (hookedWindow && filter) hookedWindow->removeEventFilter(filter.get());
    hookedWindow = nullptr;
    filter.reset();
}
