// Every modal window through ExecModal: answered by a test in place of the
// user, and shown to nobody once the session ends.
#include "platform/ExecModal.h"
#include "core/UiServices.h"
#include "tests/support/PlatformTest.h"

#include <QDialog>
#include <QTimer>

namespace {

using Modal = PlatformTest;

TEST_F(Modal, AnAnswererAnswersWithoutShowingTheWindow)
{
    QDialog dialog;
    bool seenVisible = true;
    SetModalAnswerer([&](QDialog& d) { seenVisible = d.isVisible(), d.done(7); });
    EXPECT_EQ(ExecModal(dialog), 7);
    EXPECT_FALSE(seenVisible);
    SetModalAnswerer([](QDialog&) {});  // closes it without an answer
    EXPECT_EQ(ExecModal(dialog), int(QDialog::Rejected));
}

TEST_F(Modal, NothingIsShownOnceTheSessionEnds)
{
    QDialog dialog;
    int answered = 0;
    bool shownToUser = false;
    SetSessionEnding(true);
    // Should the window come up after all, it is closed again and noted.
    QTimer::singleShot(0, &dialog, [&] { shownToUser = dialog.isVisible(), dialog.accept(); });
    EXPECT_EQ(ExecModal(dialog), int(QDialog::Rejected));
    SetModalAnswerer([&](QDialog& d) { ++answered, d.accept(); });
    EXPECT_EQ(ExecModal(dialog), int(QDialog::Rejected));
    EXPECT_FALSE(shownToUser || answered);
}

} // namespace
