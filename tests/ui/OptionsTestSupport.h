// A fake main window for the options, and answerers for their boxes and
// dialogs, over temporary data and autostart folders.
#pragma once

#include "core/LibraryDatabase.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "platform/ExecModal.h"
#include "ui/dialogs/OptionsHost.h"

#include <QDialog>
#include <QTemporaryDir>
#include <QWidget>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

class FakeOptionsHost : public OptionsHost {
public:
    bool SetHotKeyTimer(bool enabled) override
    {
        timerCalls << enabled;
        return std::exchange(polling, enabled);
    }
    void ReapplySettings() override
    {
        ++reapplied;
        reappliedRecord = Settings;
    }
    QWidget* DialogOwner() override { return nullptr; }
    QWidget* OptionsPageFrame() override { return &frOptions; }

    QWidget frOptions;
    QList<bool> timerCalls;
    bool polling = true;
    int reapplied = 0;
    SettingsRecord reappliedRecord;
};

class OptionsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid() && config_.isValid());
        qputenv("SAROVIN_HOME", QFile::encodeName(home_.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
        saved_ = Settings;
        Settings = SettingsRecord{};
        SetOptionsHost(&host_);
        SetMessageBoxService([this](const QString& text, int style, const QString& caption) {
            boxes_ << QStringLiteral("%1|%2|%3").arg(style).arg(caption, text);
            if (answers_.empty()) return int(MsgOk);
            const int a = answers_.front();
            answers_.pop_front();
            return a;
        });
        SetFolderDialogService([this](const QString& prompt) {
            folderPrompts_ << prompt;
            return folderAnswer_;
        });
        SetModalAnswerer([this](QDialog& d) {
            dialogs_ << d.objectName();
            if (dialogAnswers_.empty()) return;
            auto answer = std::move(dialogAnswers_.front());
            dialogAnswers_.pop_front();
            answer(d);
        });
    }
    void TearDown() override
    {
        SetModalAnswerer({});
        SetFolderDialogService({});
        SetMessageBoxService({});
        SetOptionsHost(nullptr);
        ResetDatabase(Library);
        Settings = saved_;
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("SAROVIN_HOME");
    }

    QTemporaryDir home_;
    QTemporaryDir config_;
    FakeOptionsHost host_;
    SettingsRecord saved_;
    QStringList boxes_;
    std::deque<int> answers_;
    QStringList folderPrompts_;
    QString folderAnswer_;
    QStringList dialogs_;
    std::deque<std::function<void(QDialog&)>> dialogAnswers_;
};
