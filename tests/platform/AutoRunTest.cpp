#include "core/WholeFile.h"
#include "platform/AutoRun.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/PlatformTest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>

namespace {

TEST(AutoRun, ExecQuoting)
{
    const struct { QString arg, want; } rows[] = {
        {"/opt/a b/sarovin", R"("/opt/a b/sarovin")"},
        {R"(a"b)", R"("a\\"b")"},
        {"a$b", R"("a\\$b")"},
        {"a`b", R"("a\\`b")"},
        {R"(a\b)", R"("a\\\\b")"},
        {"a%b", R"("a%%b")"},
        {"a'b", R"("a'b")"},
        {"a\nb\tc\rd", R"("a\nb\tc\rd")"},
        {"A=b", R"("A=b")"},
        {"", R"("")"},
    };
    for (const auto& r : rows) EXPECT_EQ(DesktopExecValue({r.arg}), r.want) << r.arg.toStdString();
    EXPECT_EQ(DesktopExecValue({"env", "SAROVIN_HOME=/h", "/p"}), R"("env" "SAROVIN_HOME=/h" "/p")");
}

class AutoRunFiles : public PlatformTest {
protected:
    ~AutoRunFiles() override
    {
        qunsetenv("XDG_CONFIG_HOME");
        qputenv("HOME", oldHome_);
    }
    void SetUp() override
    {
        PlatformTest::SetUp();
        ASSERT_TRUE(config_.isValid());
        oldHome_ = qgetenv("HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
    }
    QTemporaryDir config_;
    QByteArray oldHome_;
};

TEST_F(AutoRunFiles, FolderFallsBackToHome)
{
    EXPECT_EQ(AutoRunFolder(), config_.path() + "/autostart");
    qputenv("HOME", "/home/test");
    for (const char* xdg : {"", "relative/config"}) {
        qputenv("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(AutoRunFolder(), "/home/test/.config/autostart") << xdg;
    }
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(AutoRunFolder(), "/home/test/.config/autostart");
}

TEST_F(AutoRunFiles, EntryWrittenAndRemoved)
{
    const QString path = AutoRunEntryPath("Sarovin");
    ASSERT_TRUE(SetAutoRun("Sarovin", {"/opt/Sa rovin/sarovin", "/AutoRun"}));
    QFile entry(path);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_EQ(entry.readAll(), QByteArray("[Desktop Entry]\n"
                                          "Type=Application\n"
                                          "Name=Sarovin\n"
                                          "Exec=\"/opt/Sa rovin/sarovin\" \"/AutoRun\"\n"
                                          "Terminal=false\n"));
    entry.close();
    EXPECT_TRUE(RemoveAutoRun("Sarovin"));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(RemoveAutoRun("Sarovin"));  // missing is success

    // "=" in the program itself is refused; in env's variable it is fine.
    EXPECT_FALSE(SetAutoRun("Sarovin", {"/opt/a=b/sarovin", "/AutoRun"}));
    EXPECT_FALSE(SetAutoRun("Sarovin", {"env", "SAROVIN_HOME=/h", "/opt/a=b/sarovin", "/AutoRun"}));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(SetAutoRun("Sarovin", {"env", "SAROVIN_HOME=/h=1", "/opt/sarovin", "/AutoRun"}));

    QDir(AutoRunFolder()).removeRecursively();
    QFile occupied(AutoRunFolder());  // a file where the folder belongs
    ASSERT_TRUE(occupied.open(QIODevice::WriteOnly));
    EXPECT_FALSE(SetAutoRun("Sarovin", {"/opt/sarovin", "/AutoRun"}));
}

// A full disk or a size limit never leaves half an entry: the old one stays
// byte for byte and nothing is left beside it; the reason comes back.
TEST_F(AutoRunFiles, ASizeLimitKeepsTheOldEntry)
{
    const QStringList command = {"/opt/sarovin", "/AutoRun"};
    ASSERT_TRUE(SetAutoRun("Sarovin", command));
    const qint64 size = QFileInfo(AutoRunEntryPath("Sarovin")).size();
    for (const qint64 limit : {qint64(0), size / 2, size - 1}) {
        SCOPED_TRACE(limit);
        QFile old(AutoRunEntryPath("Sarovin"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
        old.write("[Desktop Entry]\nExec=alt\n");
        old.close();
        const auto before = FolderSnapshot(AutoRunFolder());
        EXPECT_EQ(RunWithFileSizeLimit(limit, [&] {
                      QString reason;
                      return StatusForLimitedWrite(SetAutoRun("Sarovin", command, &reason) ? QString() : reason);
                  }),
                  0);
        EXPECT_EQ(FolderSnapshot(AutoRunFolder()), before);
    }

    // An entry kept elsewhere and linked in stays linked.
    QTemporaryDir dotfiles;
    const QString kept = dotfiles.filePath("Sarovin.desktop");
    QFile::remove(AutoRunEntryPath("Sarovin"));
    ASSERT_TRUE(QFile::link(kept, AutoRunEntryPath("Sarovin")));
    EXPECT_TRUE(SetAutoRun("Sarovin", command));
    EXPECT_EQ(QFileInfo(AutoRunEntryPath("Sarovin")).symLinkTarget(), kept);
    EXPECT_EQ(QFileInfo(kept).size(), size);

    // A file where the folder belongs: the system's reason.
    QDir(AutoRunFolder()).removeRecursively();
    QFile occupied(AutoRunFolder());
    ASSERT_TRUE(occupied.open(QIODevice::WriteOnly));
    QString reason;
    EXPECT_FALSE(SetAutoRun("Sarovin", command, &reason));
    EXPECT_EQ(reason, SystemErrorText(ENOTDIR));
}

TEST_F(AutoRunFiles, CommandNamesTheDataFolderWhenChosen)
{
    const QString exe = QCoreApplication::applicationFilePath();
    EXPECT_EQ(AutoRunCommand(), (QStringList{"env", "SAROVIN_HOME=" + home.path(), exe, "/AutoRun"}));
    qunsetenv("SAROVIN_HOME");
    EXPECT_EQ(AutoRunCommand(), (QStringList{exe, "/AutoRun"}));
}

} // namespace
