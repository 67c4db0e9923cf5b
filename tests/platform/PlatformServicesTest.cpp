#include "platform/QtUiServices.h"
#include "platform/SingleInstance.h"
#include "platform/TermSignal.h"
#include "core/Runtime.h"
#include "core/UiServices.h"
#include "tests/support/PlatformTest.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLockFile>
#include <QPushButton>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(QtMessageBox, StylesMapToIconsAndButtons)
{
    using B = QMessageBox;
    const struct { int style; B::Icon icon; B::StandardButtons buttons; } rows[] = {
        {0, B::NoIcon, B::Ok}, {16, B::Critical, B::Ok}, {48, B::Warning, B::Ok}, {52, B::Warning, B::Yes | B::No},
        {64, B::Information, B::Ok},
    };
    for (const auto& r : rows) {
        auto box = MakeMessageBox(QStringLiteral("Zeile 1\r\nZeile 2"), r.style, QStringLiteral("Sarovin"));
        EXPECT_EQ(box->icon(), r.icon) << r.style;
        EXPECT_EQ(box->standardButtons(), r.buttons) << r.style;
        EXPECT_EQ(box->windowTitle() + u'|' + box->text(), QStringLiteral("Sarovin|Zeile 1\nZeile 2"));
    }
    // Escape on a Yes/No question means No; the buttons speak German.
    auto question = MakeMessageBox(QStringLiteral("?"), 52, QStringLiteral("Sarovin"));
    EXPECT_EQ(question->button(B::Yes)->text() + question->button(B::No)->text(), QStringLiteral("&Ja&Nein"));
    ASSERT_NE(question->escapeButton(), nullptr);
    EXPECT_EQ(AnswerForButton(question->standardButton(question->escapeButton())), MsgNo);
    for (const auto& [button, answer] : {std::pair{B::Yes, 6}, {B::Ok, 1}, {B::Cancel, 2}})
        EXPECT_EQ(AnswerForButton(button), answer);
}

// Qt's own dialogs speak German on any desktop.
TEST(QtDialogs, SaveDialogSpeaksGerman)
{
    ASSERT_TRUE(LoadQtTranslation());
    QFileDialog dialog;
    ConfigureSaveDialog(dialog, QStringLiteral("Exportieren"), {QStringLiteral("M3U (*.m3u)")}, 1);
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_TRUE(buttons);
    QString accept;
    for (QAbstractButton* b : buttons->buttons())
        if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole) accept = b->text();
    EXPECT_EQ(accept.remove(u'&'), QStringLiteral("Speichern"));
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
}

using SingleInstance = PlatformTest;

TEST_F(SingleInstance, ALiveHolderKeepsTheLock)
{
    const QString lockPath = DataFile(QStringLiteral("Sarovin.lock"));

    ASSERT_TRUE(AcquireSingleInstanceLock());
    EXPECT_TRUE(QFile::exists(lockPath));
    QLockFile other(lockPath);
    other.setStaleLockTime(0);
    EXPECT_FALSE(other.tryLock(0));  // held by a live process, however old

    ReleaseSingleInstanceLock();
    EXPECT_FALSE(QFile::exists(lockPath));
    EXPECT_FALSE(HoldsSingleInstanceLock());

    ASSERT_TRUE(other.tryLock(0));
    EXPECT_FALSE(AcquireSingleInstanceLock());
    other.unlock();
}

TEST(TermSignal, ArrivesAsAnEventOnThisThread)
{
    int calls = 0;
    ASSERT_TRUE(WatchTermSignal([&] { ++calls; }));
    std::raise(SIGTERM);
    EXPECT_EQ(calls, 0);  // nothing runs inside the signal handler
    for (int i = 0; i < 1000 && calls == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    EXPECT_EQ(calls, 1);
    StopWatchingTermSignal();
}

// A signal ignored when the watch begins (nohup, a background job) stays
// ignored, while watched and after; TERM is always the program's. Each row
// runs in a child, which a signal that is not ignored would end; it reports
// through its exit status.
TEST(TermSignal, ASignalIgnoredAtTheStartStaysIgnored)
{
    enum Exit { Alive = 0, WatchFailed = 10, WrongCalls = 11 };
    const struct { int signal; bool ignored; int calls; } rows[] = {
        {SIGINT, true, 0}, {SIGHUP, true, 0}, {SIGTERM, true, 1}, {SIGINT, false, 1}, {SIGHUP, false, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "signal " << r.signal << (r.ignored ? ", ignored" : ""));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(r.signal, r.ignored ? SIG_IGN : SIG_DFL);
            int calls = 0;
            if (!WatchTermSignal([&] { ++calls; })) ::_exit(WatchFailed);
            std::raise(r.signal);
            for (int i = 0; i < 1000 && calls == 0; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (calls != r.calls) ::_exit(WrongCalls);
            StopWatchingTermSignal();
            if (r.calls == 0) std::raise(r.signal);  // still ignored once the watch ends
            ::_exit(Alive);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, Alive);
    }
}

} // namespace
