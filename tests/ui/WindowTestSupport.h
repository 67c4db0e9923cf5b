// Shared pieces of the window tests: the program's globals put back after
// each test, a tag reader that takes any existing file but one reading
// "kaputt", and message boxes answered OK and noted as "style|text".
#pragma once

#include "core/LibraryDatabase.h"
#include "core/Settings.h"
#include "core/TagReader.h"
#include "core/UiServices.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

class SavedGlobals {
public:
    ~SavedGlobals()
    {
        Settings = settings_;
        Library = library_;
        SetMessageBoxService({});
        SetTagReader(nullptr);
    }

private:
    SettingsRecord settings_ = Settings;
    LibraryDatabase library_ = Library;
};

class FileTagReader : public TagReader {
public:
    TagReading Open(const QString& path) override
    {
        TagReading r;
        QFile f(path);
        if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly) || f.readAll() == "kaputt") return r;
        r.Format = 1;
        r.Title = QFileInfo(path).baseName();
        r.Artist = QStringLiteral("Band");
        return r;
    }
};

inline void RecordMessages(QStringList& into)
{
    SetMessageBoxService([&into](const QString& text, int style, const QString&) {
        into.append(QStringLiteral("%1|%2").arg(style).arg(text));
        return int(MsgOk);
    });
}
