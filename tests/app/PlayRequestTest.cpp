// A file named on the command line with "/play" ends up in the library once.
#include "app/CommandLine.h"
#include "app/StartSteps.h"
#include "core/LibraryDatabase.h"
#include "core/TagReader.h"
#include "platform/TagLibReader.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/StartTest.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using PlayRequest = StartTest;

TEST_F(PlayRequest, NewFileIsAddedOnceUnderItsOwnPath)
{
    QTemporaryDir dir;
    const QString song = dir.filePath(QStringLiteral("Mein Lied.MP3"));
    ASSERT_TRUE(MakeToneFile(song, FixtureFormat::Mp3, 0.3));
    SetTagReader(&ProgramTagReader());
    ResetDatabase(Library);
    // Into the placeholder, under the path as given (not lower-cased).
    StepActOnCommandLine(ParseCommandLine(QStringLiteral("\"") + song + QStringLiteral("\" /play"), dir.path()));
    ASSERT_EQ(Library.Files.size(), 1);
    EXPECT_EQ(Library.Files[0].FileName, song);
    EXPECT_EQ(Library.Files[0].Tags.Title, QStringLiteral("Mein Lied"));
    EXPECT_EQ(Library.Files[0].Tags.Format, QStringLiteral("MPEG"));
    EXPECT_EQ(LibraryIndexForPlay(Library, song), 0);
    EXPECT_EQ(LibraryIndexForPlay(Library, song.toLower()), 0); // found regardless of case
    EXPECT_EQ(LibraryIndexForPlay(Library, dir.filePath(QStringLiteral("fehlt.mp3"))), -1);
    StepActOnCommandLine(ParseCommandLine(QStringLiteral("/AutoRun"), dir.path()));
    EXPECT_EQ(Library.Files.size(), 1);
}

} // namespace
