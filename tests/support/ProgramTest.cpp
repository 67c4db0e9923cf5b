#include "tests/support/ProgramTest.h"

#include "core/Busy.h"
#include "core/Clock.h"
#include "core/Id3v1Writer.h"
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/Settings.h"
#include "core/TagReader.h"
#include "core/TagSave.h"
#include "core/TagWriter.h"
#include "core/UiServices.h"

#include <QCoreApplication>
#include <QFile>
#include <QEvent>

void ProgramTest::ResetGlobals()
{
    Library = LibraryDatabase{};
    Settings = SettingsRecord{};
    SetMessageBoxService({});
    SetFolderDialogService({});
    SetSaveFileDialogService({});
    SetSessionEnding(false);
    SetMonotonicClock({});
    SetWallClock({});
    Randomize(5489u);
    SetTagReader(nullptr);
    SetDatabaseWriteCheck({});
    SetTagWriteFailure(false);
    SetTagWriter(nullptr);
    SetTagSaveRunner(nullptr);
    SetTagSaveFailure(TagSaveStep::None);
}

void ProgramTest::SetUp()
{
    ASSERT_TRUE(home.isValid());
    hadHome_ = qEnvironmentVariableIsSet("SAROVIN_HOME");
    savedHome_ = qgetenv("SAROVIN_HOME");
    qputenv("SAROVIN_HOME", QFile::encodeName(home.path()));
    ResetGlobals();
    SetMessageBoxService([this](const QString& text, int style, const QString& caption) {
        shown << QStringLiteral("%1|%2|%3").arg(style).arg(caption, text);
        if (onMessage) onMessage();
        return messageAnswer;
    });
    captionListeners_ = CaptionListenerCount();
    replacedListeners_ = LibraryReplacedListenerCount();
}

ProgramTest::~ProgramTest()
{
    // Objects the test left for deletion go now, not in the next test.
    if (QCoreApplication::instance()) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CaptionListenerCount(), captionListeners_) << "a caption listener outlived the test";
    EXPECT_EQ(LibraryReplacedListenerCount(), replacedListeners_) << "a library listener outlived the test";
    ResetGlobals();
    if (hadHome_)
        qputenv("SAROVIN_HOME", savedHome_);
    else
        qunsetenv("SAROVIN_HOME");
}
