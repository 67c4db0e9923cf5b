#include "platform/AutoRun.h"
#include "tests/support/PlatformTest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

TEST_F(AutoRunFiles, CommandNamesTheDataFolderWhenChosen)
{
    const QString exe = QCoreApplication::applicationFilePath();
    EXPECT_EQ(AutoRunCommand(), (QStringList{"env", "SAROVIN_HOME=" + home.path(), exe, "/AutoRun"}));
    qunsetenv("SAROVIN_HOME");
    EXPECT_EQ(AutoRunCommand(), (QStringList{exe, "/AutoRun"}));
}

} // namespace
