#include "core/Files.h"
#include "core/UiServices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/support/ProgramTest.h"

namespace {

TEST(Files, PathParts)
{
    const struct { const char *path, *name, *extension, *parent; } rows[] = {
        {"/home/ute/Musik/Lied.mp3", "Lied.mp3", "mp3", "/home/ute/Musik"}, {"/Lied.mp3", "Lied.mp3", "mp3", ""},
        {"Lied.mp3", "Lied.mp3", "mp3", ""},
        {"/home/ute/Musik/Lied", "Lied", "", "/home/ute/Musik"},
        {"/home/a.b/Lied", "Lied", "", "/home/a.b"},  // a dot in a folder is no extension
        {"/home/ute/Musik/", "", "", "/home/ute/Musik"},
        {"/x/archiv.tar.gz", "archiv.tar.gz", "gz", "/x"},
        {"/x/Lied.", "Lied.", "", "/x"},
        {"/x/.hidden", ".hidden", "hidden", "/x"},
        {"/x/Grüße 日本.FLAC", "Grüße 日本.FLAC", "FLAC", "/x"},
        {"", "", "", ""},
    };
    for (const auto& r : rows) {
        const QString path = QString::fromUtf8(r.path);
        EXPECT_EQ(QStringList({GetFileName(path), GetFileExtension(path), GetParentFolder(path)}),
                  QStringList({QString::fromUtf8(r.name), QString::fromUtf8(r.extension), QString::fromUtf8(r.parent)}))
            << r.path;
    }
}

TEST(Files, CreatePathMakesEveryLevelAndIgnoresFailures)
{
    QTemporaryDir dir;
    const QString deep = dir.filePath(QStringLiteral("Musik/Interpret/Album"));
    for (int i = 0; i < 2; ++i) CreatePath(deep);  // the second time all is there already
    EXPECT_TRUE(QFileInfo(deep).isDir());
    QFile file(dir.filePath(QStringLiteral("Datei")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    CreatePath(file.fileName() + QStringLiteral("/unter"));  // cannot be made, no report
    EXPECT_TRUE(QFileInfo(file.fileName()).isFile());
    CreatePath(QString());
}

// Nothing modal while the session ends: a box gives its cautious answer, folder and save dialogs are cancelled.
using UiServices = ProgramTest;

TEST_F(UiServices, DialogsGoThroughTheirServices)
{
    SetMessageBoxService({});
    const struct { int style, answer; } rows[] = {
        {0, MsgOk}, {16, MsgOk}, {48, MsgOk}, {64, MsgOk}, {52, MsgNo}, {1, MsgCancel}, {3, MsgCancel}};
    for (auto r : rows) EXPECT_EQ(MsgBox(QStringLiteral("Test"), r.style), r.answer) << r.style;
    const auto saveAnswer = [] {
        const SaveFileAnswer a = AskForSaveFile(QStringLiteral("Speichern"), {QStringLiteral("M3U (*.m3u)")});
        return std::pair(a.Path, a.FilterIndex);
    };
    EXPECT_EQ(BrowseFolder(QStringLiteral("Ordner")), QString());
    EXPECT_EQ(saveAnswer(), std::pair(QString(), 0));

    QStringList asked;
    SetMessageBoxService([&](const QString& text, int, const QString&) { asked << text; return int(MsgYes); });
    SetFolderDialogService([&](const QString& prompt) { asked << prompt; return QStringLiteral("/home/ute/Musik"); });
    QString savePath = QStringLiteral("/home/ute/a.m3u");
    SetSaveFileDialogService([&](const QString& title, const QStringList&, int initial) {
        asked << title;
        return SaveFileAnswer{savePath, initial + 1};
    });
    for (bool ending : {false, true}) {
        SetSessionEnding(ending);
        EXPECT_EQ(MsgBox(QStringLiteral("Frage"), 52), ending ? MsgNo : MsgYes);
        EXPECT_EQ(BrowseFolder(QStringLiteral("Wählen")), ending ? QString() : QStringLiteral("/home/ute/Musik"));
        EXPECT_EQ(saveAnswer(), ending ? std::pair(QString(), 0) : std::pair(savePath, 2));
    }
    EXPECT_EQ(asked, (QStringList{"Frage", "Wählen", "Speichern"}));
    SetSessionEnding(false);
    savePath.clear();  // cancelled: no filter either
    EXPECT_EQ(saveAnswer(), std::pair(QString(), 0));
}

} // namespace
