// Hooks with many listeners: a list of its own and the program's two hooks
// follow the same rules.
#include "core/Busy.h"
#include "core/Hooks.h"
#include "core/LibrarySync.h"
#include "tests/support/ProgramTest.h"

#include <QTemporaryDir>

namespace {

using Hooks = ProgramTest;

struct Hook {
    const char* name;
    std::function<Subscription(std::function<void()>)> subscribe;
    std::function<void()> call;
};

TEST_F(Hooks, ListenersRunInOrderAndMayLeaveDuringACall)
{
    QTemporaryDir tree;
    HookList<> own;
    const Hook hooks[] = {
        {"own", [&](auto f) { return own.Subscribe(f); }, [&] { own.Call(); }},
        {"caption", [](auto f) { return SubscribeCaption([f](const QString& c) { if (c != IdleCaption) f(); }); },
         [] { BusyGuard().SetCaption(QStringLiteral("Sarovin (Test)")); }},
        {"library", [](auto f) { return SubscribeLibraryReplaced([f](const LibraryDatabase&) { f(); }); },
         [&] { SyncLibrary(1, tree.path()); }},
    };
    for (const Hook& h : hooks) {
        QString calls;
        int round = 0;
        Subscription a, b, c;
        a = h.subscribe([&] {
            calls += u'a';
            if (round == 3) c.Reset();  // another one, before its turn
        });
        b = h.subscribe([&] {
            calls += u'b';
            if (round == 2) b.Reset();  // itself: the next one still runs
        });
        c = h.subscribe([&] { calls += u'c'; });
        for (round = 1; round <= 3; ++round) {
            h.call();
            calls += u'|';
        }
        a = Subscription();  // the first one's owner ends first
        h.call();
        EXPECT_EQ(calls, QStringLiteral("abc|abc|a|")) << h.name;
    }
}

TEST(HookList, ASubscriptionOutlivingItsListDoesNothing)
{
    Subscription late;
    {
        HookList<int> gone;
        late = gone.Subscribe([](int) {});
        EXPECT_EQ(gone.Size(), 1u);
    }
    late.Reset();
    EXPECT_FALSE(late);
}

} // namespace
