// A file named on the command line with "/play" ends up in the library once.
#include "app/CommandLine.h"
#include "app/StartSteps.h"
#include "core/LibraryDatabase.h"
#include "core/TagReader.h"
#include "platform/TagLibReader.h"
#include "tests/support/AudioFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PlayRequest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetTagReader(&ProgramTagReader());
        song = dir.filePath(QStringLiteral("Mein Lied.MP3"));
        ASSERT_TRUE(MakeToneFile(song, FixtureFormat::Mp3, 0.3));
        ResetDatabase(Library);
    }
    void TearDown() override
    {
        SetTagReader(nullptr);
        ResetDatabase(Library);
    }
    QTemporaryDir dir;
    QString song;
};

TEST_F(PlayRequest, KnownFileIsFoundNewFileIsAddedOnce)
{
    LibraryDatabase store;
    ResetDatabase(store);
    // Into the placeholder, under the path as given (not lower-cased).
    EXPECT_EQ(LibraryIndexForPlay(store, song), 0);
    ASSERT_EQ(store.Files.size(), 1);
    EXPECT_EQ(store.Files[0].FileName, song);
    EXPECT_EQ(store.Files[0].Tags.Title, QStringLiteral("Mein Lied"));
    EXPECT_EQ(LibraryIndexForPlay(store, song), 0);
    EXPECT_EQ(LibraryIndexForPlay(store, song.toLower()), 0);  // found regardless of case
    EXPECT_EQ(store.Files.size(), 1);
    EXPECT_EQ(LibraryIndexForPlay(store, dir.filePath(QStringLiteral("fehlt.mp3"))), -1);
    EXPECT_EQ(store.Files.size(), 1);
}

TEST_F(PlayRequest, StartStepAddsToTheLibrary)
{
    StepActOnCommandLine(ParseCommandLine(QStringLiteral("\"") + song + QStringLiteral("\" /play"), dir.path()));
    ASSERT_EQ(Library.Files.size(), 1);
    EXPECT_EQ(Library.Files[0].FileName, song);
    EXPECT_EQ(Library.Files[0].Tags.Format, QStringLiteral("MPEG"));
    StepActOnCommandLine(ParseCommandLine(QStringLiteral("/AutoRun"), dir.path()));
    EXPECT_EQ(Library.Files.size(), 1);
}

} // namespace
