// The library check page over records whose files exist or not.
#include "core/Busy.h"
#include "core/LibraryTypes.h"
#include "core/UiServices.h"
#include "ui/main/LibraryCheckPage.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/WindowTest.h"
#include "tests/ui/MainWindowTestSupport.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>

namespace {

// Which parts are shown (home, processing, bar, start, info, result,
// execute), then the result's text when shown.
QString Look(const LibraryCheckPage& p)
{
    QString s;
    for (const QWidget* w : std::initializer_list<const QWidget*>{p.lblOrgHome, p.lblOrgProcessing,
             p.pgbOrgProcessing, p.cmdOrgStart, p.lblOrgInfo, p.txtOrgThings, p.cmdOrgExecute})
        s += w->isVisibleTo(&p) ? u'1' : u'0';
    return s + ' ' + (p.txtOrgThings->isVisibleTo(&p) ? p.txtOrgThings->toPlainText() : QString());
}

std::string Name(const QWidget* w)
{
    return w ? w->objectName().toStdString() : "(none)";
}

const QString Result = QStringLiteral("Titel existieren nicht. Aus Datenbank entfernen.");

class LibraryCheckPageTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        captionSub_ = SubscribeCaption([this](const QString& c) { captions_.append(c); });
    }
    // A record of a file in the temporary folder, made on disk when it is to exist.
    void Add(int n, bool exists, const QString& actions = {})
    {
        LibraryEntry e;
        e.FileName = dir_.filePath(QStringLiteral("t%1.mp3").arg(n));
        EXPECT_TRUE(!exists || WriteRawFile(e.FileName, ""));
        e.Actions = actions;
        Library.Files.append(e);
    }

    QTemporaryDir dir_;
    QStringList captions_;
    Subscription captionSub_;
};

TEST_F(LibraryCheckPageTest, MarksOnlyTheMissingFiles)
{
    const struct { char file; const char *before, *after; } rows[] = {
        // e existing, m missing, p the placeholder
        {'e', "", ""},  {'e', "Tag;", "Tag;"},  {'e', "R", ""},  {'e', "RTag;", "Tag;"},
        {'m', "", "R"}, {'m', "Tag;", "RTag;"}, {'m', "R", "R"}, {'m', "RTag;", "RTag;"},
        {'p', "", ""},  {'p', "Tag;", "Tag;"},  {'p', "R", "R"},
    };
    for (int i = 0; i < int(std::size(rows)); ++i) {
        Add(i, rows[i].file == 'e', rows[i].before);
        if (rows[i].file == 'p') Library.Files.last().FileName.clear();
    }
    LibraryCheckPage page;
    EXPECT_EQ(Look(page), "1001000 ");
    page.cmdOrgStart->click();
    for (int i = 0; i < int(std::size(rows)); ++i) EXPECT_EQ(Library.Files[i].Actions, rows[i].after) << i;
    EXPECT_EQ(Look(page), "1001111 4" + Result);
    EXPECT_TRUE(page.cmdOrgStart->text() == "Analyse starten" && page.cmdOrgStart->isEnabled());
    EXPECT_TRUE(shown.isEmpty() && captions_.isEmpty());

    // Files back: a second run takes the marks away again.
    for (int i = 4; i < 8; ++i) ASSERT_TRUE(WriteRawFile(Library.Files[i].FileName, ""));
    page.cmdOrgStart->click();
    EXPECT_EQ(Look(page), "1001111 0" + Result);
    EXPECT_EQ(Library.Files[5].Actions + '|' + Library.Files[6].Actions, "Tag;|");

    Library.Files = {LibraryEntry{}};  // the empty library's placeholder alone
    page.cmdOrgStart->click();
    EXPECT_EQ(Look(page), "1001111 0" + Result);
}

TEST_F(LibraryCheckPageTest, WalkRunsBusyAndSurvivesAShorterLibrary)
{
    for (int i = 0; i < 6; ++i) Add(i, false);
    LibraryCheckPage page;
    QString seen;
    QTimer::singleShot(0, &page, [&] {
        seen = Look(page) + (IsBusy() ? " busy " : " idle ") + page.cmdOrgStart->text();
        page.cmdOrgStart_Click();  // a click while the caption says "Abbrechen"
        Library.Files.resize(2);
    });
    page.cmdOrgStart->click();
    EXPECT_EQ(seen, "0111000  busy Abbrechen");
    EXPECT_EQ(Look(page), "1001111 2" + Result);
    EXPECT_FALSE(IsBusy());
    EXPECT_TRUE(captions_.isEmpty());

    BusyGuard other;  // another operation: refused, nothing checked
    Library.Files[0].Actions.clear();
    page.cmdOrgStart->click();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("48|Synchronisieren|"));
    EXPECT_EQ(Library.Files[0].Actions, "");
}

// The start button disables itself while the check runs. The focus it had
// waits on the page, never in the search box, whose next key would replace
// the search and hide the page; afterwards it is the button's again. Focus
// the user moved meanwhile, or had elsewhere, stays where it is.
TEST_F(MainWindowTest, TheCheckKeepsTheFocusOnItsPage)
{
    MakeLibrary();
    w->show();
    w->activateWindow();
    w->Command("AudioOrganize");
    QApplication::processEvents();
    LibraryCheckPage* page = w->OrganizePage;
    QWidget* start = page->cmdOrgStart;
    const struct { QWidget* before; QWidget* movedTo; QWidget* during; QWidget* after; } rows[] = {
        {start, nullptr, page, start},
        {start, w->Functions, page, w->Functions},
        {w->Functions, nullptr, w->Functions, w->Functions},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.before->objectName().toStdString() + " > " + (r.movedTo ? "moved" : "stays"));
        r.before->setFocus(Qt::MouseFocusReason);
        QPointer<QWidget> during;
        QTimer::singleShot(0, page, [&] {
            during = QApplication::focusWidget();
            if (r.movedTo) r.movedTo->setFocus(Qt::MouseFocusReason);
        });
        page->cmdOrgStart->click();
        EXPECT_EQ(Name(during), Name(r.during));
        EXPECT_EQ(Name(QApplication::focusWidget()), Name(r.after));
    }
}

} // namespace
