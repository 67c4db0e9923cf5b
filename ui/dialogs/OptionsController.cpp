#include "ui/dialogs/OptionsController.h"

#include "audio/modEqualizer.h"
#include "core/Busy.h"
#include "core/Files.h"
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/Runtime.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "platform/AutoRun.h"
#include "platform/ExecModal.h"
#include "platform/ScreenDefaults.h"
#include "ui/dialogs/OptionsHost.h"
#include "ui/dialogs/frmHotKEnable.h"
#include "ui/dialogs/frmSelectLibraryAction.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace {

const QString AutoRunName = QStringLiteral("Sarovin");
constexpr int KeyRole = Qt::UserRole;

QTreeWidgetItem* FindNode(QTreeWidget* tree, const QString& key)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->data(0, KeyRole).toString() == key) return *it;
    return nullptr;
}

} // namespace

OptionsController::OptionsController(Front front, OptionsControls controls, QObject* parent)
    : QObject(parent), front_(std::move(front)), c_(std::move(controls))
{
    for (int i = 0; i < HotKeyCount; ++i)
        connect(c_.cmdChangeHotK[i], &QPushButton::clicked, this, [this, i] { ChangeHotKey(i); });
    connect(c_.Command4, &QPushButton::clicked, this, &OptionsController::AddFolder);
    connect(c_.Command5, &QPushButton::clicked, this, &OptionsController::RemoveFolder);
    connect(front_.tree, &QTreeWidget::itemClicked, this, &OptionsController::OnNodeChosen);
    // Keys move the node too; the first current node a tree takes by itself
    // (on focus) was chosen by nobody.
    connect(front_.tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                if (previous) OnNodeChosen(current);
            });
}

void OptionsController::LoadOptionsTree()
{
    QTreeWidget* tree = front_.tree;
    if (tree->topLevelItemCount() > 0) return;
    const QSignalBlocker quiet(tree);
    for (const OptionsNode& node : OptionsTreeNodes()) {
        QTreeWidgetItem* parent = *node.parent ? FindNode(tree, QLatin1String(node.parent)) : nullptr;
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, node.text);
        item->setData(0, KeyRole, QLatin1String(node.key));
        if (!parent) {
            QFont bold = item->font(0);
            bold.setBold(true);
            item->setFont(0, bold);
        }
    }
    tree->expandAll();
}

void OptionsController::LoadOptions()
{
    const SettingsRecord& s = Settings;
    c_.AudioDBDirectorys->clear();
    c_.AudioDBDirectorys->addItems(FolderEntries(s.LibraryFolders));
    for (const auto& [field, box] : c_.checks) box->setChecked(CheckedForSwitch(s.*field));
    c_.AudioDBsyncAutoTXT->setText(QString::number(s.SyncIntervalDays));
    c_.CrossfaderTime->setText(QString::number(s.CrossfadeTime));
    for (int i = 0; i < HotKeyCount; ++i) c_.hotKeyLabels[i]->setText(HotKeyLabelText(s.*HotKeyFields[i]));
}

void OptionsController::SaveOptions()
{
    SettingsRecord& s = Settings;
    QStringList folders;
    for (int i = 0; i < c_.AudioDBDirectorys->count(); ++i) folders << c_.AudioDBDirectorys->item(i)->text();
    const QString joined = folders.join(u'\r');
    const bool changed = FoldersChanged(joined, s.LibraryFolders);
    s.LibraryFolders = joined;

    for (const auto& [field, box] : c_.checks) s.*field = SwitchForChecked(box->isChecked());
    // A number beyond its field keeps the field's value, and the box shows it.
    if (const auto days = DaysFromText(c_.AudioDBsyncAutoTXT->text())) s.SyncIntervalDays = *days;
    else c_.AudioDBsyncAutoTXT->setText(QString::number(s.SyncIntervalDays));
    if (const auto fade = CrossfadeFromText(c_.CrossfaderTime->text())) s.CrossfadeTime = *fade;
    else c_.CrossfaderTime->setText(QString::number(s.CrossfadeTime));
    for (int i = 0; i < HotKeyCount; ++i) s.*HotKeyFields[i] = HotKeyFromLabel(c_.hotKeyLabels[i]->text());
    if (OptionsHost* host = CurrentOptionsHost()) host->RefreshToggleStates();

    SaveFailures failed;
    QString reason;
    if (!SaveSettings(&reason)) failed << SaveFailure{SettingsPath(), reason};
    const bool autoRunDone = IsOn(s.RunAtStartup) ? SetAutoRun(AutoRunName, AutoRunCommand(), &reason)
                                                  : RemoveAutoRun(AutoRunName, &reason);
    if (!autoRunDone) failed << SaveFailure{AutoRunEntryPath(AutoRunName), reason};
    ReportSaveFailures(failed);

    if (changed) AskLibraryActionAndSync();
}

void OptionsController::AskLibraryActionAndSync()
{
    if (IsBusy()) {
        ShowBusyMessage();
        return;
    }
    const int action = AskLibraryAction(front_.owner ? front_.owner() : nullptr);
    if (action == 3) return;
    if (SyncLibrary(static_cast<int16_t>(action)).status == SyncResult::Busy) ShowBusyMessage();
}

void OptionsController::ShowOptions(const QString& key)
{
    bool found = false;
    for (const auto& [frameKey, frame] : c_.frames) {
        const bool match = frameKey == key;
        frame->setVisible(match);
        if (match) {
            found = true;
            front_.title->setText(front_.titlePrefix + frame->property("Tag").toString());
        }
    }
    if (!found) front_.title->setText(front_.titlePrefix + key + QStringLiteral(" (nicht Verfügbar)"));
    if (front_.noOptions) front_.noOptions->setVisible(!found);

    QTreeWidget* tree = front_.tree;
    QTreeWidgetItem* current = tree->currentItem();
    if (current && current->data(0, KeyRole).toString() == key) return;
    if (QTreeWidgetItem* node = FindNode(tree, key)) {
        const QSignalBlocker quiet(tree);
        tree->setCurrentItem(node);
    }
}

void OptionsController::OnNodeChosen(QTreeWidgetItem* item)
{
    if (item) ShowOptions(item->data(0, KeyRole).toString());
}

void OptionsController::ChangeHotKey(int index)
{
    if (index < 0 || index >= HotKeyCount) return;
    OptionsHost* host = CurrentOptionsHost();
    QString text;
    bool cancelled = true;
    {
        frmHotKEnable dialog(front_.owner ? front_.owner() : nullptr,
                             [host](bool on) { return host ? host->SetHotKeyTimer(on) : false; });
        dialog.Text1->setText(Settings.*HotKeyFields[index]);
        ExecModal(dialog);
        cancelled = dialog.Cancelled;
        text = dialog.Text1->text();
    }
    if (!cancelled) c_.hotKeyLabels[index]->setText(HotKeyLabelText(text));
}

void OptionsController::AddFolder()
{
    const QString path = BrowseFolder(QStringLiteral("Bitte geben Sie das gewünschte Verzeichnis an."));
    if (!path.isEmpty()) c_.AudioDBDirectorys->addItem(path);
}

void OptionsController::RemoveFolder()
{
    const int row = c_.AudioDBDirectorys->currentRow();
    if (row >= 0 && c_.AudioDBDirectorys->currentItem()->isSelected()) delete c_.AudioDBDirectorys->takeItem(row);
}

void OptionsController::LoadDefaults()
{
    const int answer = MsgBox(QStringLiteral("Sind sie sicher, dass Sie alle ihre Einstellungen zurücksetzen wollen?"
                                             "\r\nDiese Aktion kann nicht rückgängig gemacht werden."),
                              52, QStringLiteral("Werkseinstellungen laden"));
    if (answer != MsgYes) return;
    SaveOptions();
    ResetSettingsForScreen();
    // The reset puts every slider at its default; the sound must follow, and
    // restoring the stored positions leaves bands at the default untouched.
    for (int band = 0; band < kEqBands; ++band) {
        float flat = 1.0f;
        SetBandGain(band, flat);
    }
    LoadOptions();
    if (OptionsHost* host = CurrentOptionsHost()) host->ReapplySettings();
}
