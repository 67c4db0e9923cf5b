#include "platform/TermSignal.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// Each ends the program with a save: the desktop's log-off, Ctrl+C in a
// terminal, a closed terminal.
constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};
bool watched[std::size(kEndSignals)] = {};

int pipeFds[2] = {-1, -1};
std::unique_ptr<QSocketNotifier> notifier;
std::function<void()> callback;

void OnTermSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
    errno = saved;
}

void Drain()
{
    char buf[64];
    while (::read(pipeFds[0], buf, sizeof buf) > 0) {}
}

} // namespace

bool WatchTermSignal(std::function<void()> onTerm)
{
    callback = std::move(onTerm);
    if (pipeFds[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pipeFds) != 0) {
            pipeFds[0] = pipeFds[1] = -1;
            return false;
        }
    }
    if (!notifier) {
        notifier = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [] {
            Drain();
            if (callback) callback();
        });
    }

    struct sigaction sa = {};
    sa.sa_handler = OnTermSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    bool ok = true;
    for (size_t i = 0; i < std::size(kEndSignals); ++i) {
        struct sigaction old = {};
        // A signal the caller ignores (nohup, a background job) stays ignored; TERM is always ours.
        watched[i] = kEndSignals[i] == SIGTERM || (::sigaction(kEndSignals[i], nullptr, &old) == 0 && old.sa_handler != SIG_IGN);
        if (watched[i]) ok = ::sigaction(kEndSignals[i], &sa, nullptr) == 0 && ok;
    }
    return ok;
}

void StopWatchingTermSignal()
{
    for (size_t i = 0; i < std::size(kEndSignals); ++i)
        if (std::exchange(watched[i], false)) std::signal(kEndSignals[i], SIG_DFL);
    notifier.reset();
    callback = nullptr;
    if (pipeFds[0] >= 0) Drain();
}
