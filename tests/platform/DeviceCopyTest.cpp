#include "platform/DeviceCopy.h"
#include "platform/DeviceVolumes.h"
#include "tests/support/AudioFixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace {

constexpr int64_t MiB = 1 << 20;

QByteArray Content(int64_t size, char seed)
{
    QByteArray data(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i) data[i] = char(seed + i % 251);
    return data;
}

bool Write(const QString& path, const QByteArray& data)
{
    return QDir().mkpath(QFileInfo(path).path()) && WriteRawFile(path, data);
}

// A library folder and a folder standing in for the device.
class DeviceCopyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        lib = tmp.filePath("lib");
        root = tmp.filePath("stick");
        QDir().mkpath(lib);
        QDir().mkpath(root);
        plan.Root = root;
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(root).constData(), &st), 0);
        plan.Device = st.st_dev;
    }
    void TearDown() override { SetCopyBlockHook({}); }

    void Add(const QString& name, const QByteArray& data, const QString& target)
    {
        const QString source = lib + u'/' + name;
        ASSERT_TRUE(data.isNull() || Write(source, data));
        plan.Jobs.append({source, root + u'/' + target, double(data.size())});
    }

    std::unique_ptr<DeviceCopier> Run()
    {
        auto copier = std::make_unique<DeviceCopier>(plan);
        copier->Start();
        copier->Wait();
        return copier;
    }

    QTemporaryDir tmp;
    QString lib, root;
    CopyPlan plan;
};

TEST_F(DeviceCopyTest, FailedTitlesAreNotCountedAndOnlyOurLeftoversGo)
{
    const QByteArray one = Content(3 * MiB / 2, 'a'), two = Content(5 * MiB / 2, 'b'), three = Content(10, 'c');
    Add("1.mp3", one, "A/B/1.mp3");
    Add("missing.mp3", QByteArray(), "A/B/2.mp3");
    Add("full.mp3", two, "A/B/full.mp3");
    Add("3.mp3", three, "A/C/3.mp3");
    ASSERT_TRUE(Write(root + "/A/C/3.mp3", "older and longer content"));
    // The library already on the device: its file is its own target.
    ASSERT_TRUE(Write(root + "/X/Y/own.mp3", one));
    plan.Jobs.append({root + "/X/Y/own.mp3", root + "/X/Y/own.mp3", double(one.size())});
    // The drive turns read-only: the rename's folder flush, or a new folder's, fails.
    Add("ro.mp3", three, "A/B/ro.mp3");
    Add("ro2.mp3", three, "N/ew/ro.mp3");
    SetCopyBlockHook([](int job, int64_t written) {
        return job == 2 && written >= MiB ? ENOSPC : job >= 5 && written == CopyFolderSync ? EROFS : 0;
    });
    // Left by a copy cut off earlier: ours in a target folder go, the rest stays.
    for (const char* name : {"A/C/.sarovin-Ab12Z9", "A/C/.sarovin-Ab12Z", "A/C/.hidden", "Q/.sarovin-Ab12Z9"})
        ASSERT_TRUE(Write(root + u'/' + name, "x"));

    const auto copier = Run();
    EXPECT_EQ(std::tuple(copier->Attempted(), copier->Copied(), copier->Current()), std::tuple(7, 3, 7));
    EXPECT_EQ(copier->DoneBytes(), double(one.size() + three.size() + one.size()));
    EXPECT_EQ(FilesUnder(root), (QStringList{"A/B/1.mp3", "A/B/ro.mp3", "A/C/.hidden", "A/C/.sarovin-Ab12Z",
                                             "A/C/3.mp3", "Q/.sarovin-Ab12Z9", "X/Y/own.mp3"}));
    EXPECT_EQ(ReadRawFile(root + "/A/B/1.mp3") + ReadRawFile(root + "/A/C/3.mp3") + ReadRawFile(root + "/X/Y/own.mp3"),
              one + three + one);
}

TEST_F(DeviceCopyTest, NothingIsWrittenOutsideTheRootOrOffTheDevice)
{
    const QString outside = tmp.filePath("outside");
    QDir().mkpath(outside);
    ASSERT_TRUE(QFile::link(outside, root + "/Linked"));
    Add("1.mp3", "x", "Linked/Album/1.mp3");
    Add("2.mp3", "y", "Linked/2.mp3");
    Add("3.mp3", "z", "Fine/Album/3.mp3");
    auto copier = Run();
    EXPECT_EQ(std::pair(copier->Copied(), copier->Attempted()), std::pair(1, 3));
    EXPECT_TRUE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());

    // The stick was pulled: its mount folder now lies on another device.
    plan.Device += 1;
    plan.Jobs = {plan.Jobs.last()};
    plan.Jobs[0].Target = root + "/Other/Album/3.mp3";
    copier = Run();
    EXPECT_EQ(std::pair(copier->Copied(), copier->Attempted()), std::pair(0, 1));
    EXPECT_FALSE(QFileInfo::exists(root + "/Other"));
}

TEST(VolumeSerial, FatVolumeIdsAsSignedDecimal)
{
    const struct {
        const char *id, *want;
    } rows[] = {
        {"DEAD-BEEF", "-559038737"}, {"1A2B-3C4D", "439041101"}, {"dead-beef", "-559038737"},
        {"0000-0000", "0"},          {"1A2B3C4D", ""},           {"4E2A8C1F3B5D7E90", ""},
        {"", ""},
    };
    for (const auto& r : rows) EXPECT_EQ(VolumeSerialText(r.id), QString::fromLatin1(r.want)) << r.id;

    QTemporaryDir byUuid;
    QFile device(byUuid.filePath("sdz1"));
    ASSERT_TRUE(device.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(byUuid.filePath("sdz1"), byUuid.filePath("DEAD-BEEF")));
    ASSERT_TRUE(QFile::link(byUuid.filePath("sdz2"), byUuid.filePath("1111-2222")));
    EXPECT_EQ(VolumeIdOf(byUuid.filePath("sdz1"), byUuid.path()), QStringLiteral("DEAD-BEEF"));
    EXPECT_EQ(VolumeIdOf(byUuid.filePath("sdz3"), byUuid.path()), QString());
}

} // namespace
