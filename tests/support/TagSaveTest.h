// PlatformTest with the program's tag reader and writer installed and its
// saves going through the real helper process (SAROVIN_TAG_HELPER, which
// CMake passes to the test programs that use this), in a scratch folder.
#pragma once

#include "core/LibrarySync.h"
#include "core/TagSave.h"
#include "platform/TagLibReader.h"
#include "platform/TagLibWriter.h"
#include "platform/TagSaveProcess.h"
#include "tests/support/PlatformTest.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

class TagSaveTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        SetTagReader(&reader_);
        SetTagWriter(&writer_);
        SetTagSaveRunner(&runner_);
    }
    void TearDown() override
    {
        SetTagSaveRunner(nullptr);
        SetTagWriter(nullptr);
        SetTagReader(nullptr);
        SetTagSaveFailure(TagSaveStep::None);
    }
    // The record a synchronisation makes of the file.
    static LibraryEntry Load(const QString& path)
    {
        LibraryDatabase store;
        EXPECT_TRUE(AddFile(store, path)) << path.toStdString();
        return store.Files.value(0);
    }

    QTemporaryDir dir_;
    TagLibReader reader_;
    TagLibWriter writer_;
    TagSaveProcess runner_{SAROVIN_TAG_HELPER};
};
