// The device synchronisation wizard: choose a drive, choose the titles, see
// whether they fit, copy them. The copy runs on the copier's worker; a 50 ms
// timer shows its counters. The wizard holds the busy state from load to
// unload, and past it while a cancelled copy winds down.
#pragma once

#include "core/Busy.h"
#include "core/DeviceSync.h"
#include "platform/DeviceVolumes.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

class DeviceCopier;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

class frmDeviceWizard : public QWidget {
    Q_OBJECT
public:
    explicit frmDeviceWizard(QWidget* owner = nullptr);
    ~frmDeviceWizard() override;

    // Takes the busy state, lists the drives and titles, shows page 0. False
    // when another operation holds the busy state.
    bool Load();
    // Hides at once; a running copy is cancelled and the wizard goes when it has stopped.
    void Unload();
    // For the exit: cancels a running copy and waits for it.
    void StopCopy();
    bool Unloading() const { return unloading_; }
    bool Copying() const;

    void cmd_WindowsXP_Button1_Click();  // cancel
    void cmd_WindowsXP_Button2_Click();  // next
    void cmd_WindowsXP_Button3_Click();  // back
    void cmd_WindowsXP_Button4_Click();  // background
    void Drive1_Change();

    QString Tag;  // "Hidden" once sent to the background
    double SyncSizeMB = 0;

    QPushButton* cmd_WindowsXP_Button1 = nullptr;
    QPushButton* cmd_WindowsXP_Button2 = nullptr;
    QPushButton* cmd_WindowsXP_Button3 = nullptr;
    QPushButton* cmd_WindowsXP_Button4 = nullptr;
    std::array<QFrame*, 4> tab{};
    QLabel* lblTitle = nullptr;
    QLabel* lblDesc = nullptr;
    QComboBox* Drive1 = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblDetails = nullptr;
    QListWidget* List1 = nullptr;
    QLabel* Label5 = nullptr;
    QGroupBox* frNoSpace = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label9 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Label2 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    int HideAllPages();
    void ShowPage(int page);
    const DeviceVolume* SelectedVolume() const;
    void PrepareSync();
    void FinishSync();
    void ShowProgress();
    void CopyFinished();
    void EndCopy();
    void FillDrives();
    void FillTitleList();
    void BuildPages();

    std::unique_ptr<BusyGuard> busy_;
    QVector<DeviceVolume> volumes_;
    QVector<SyncSource> sources_;
    std::unique_ptr<DeviceCopier> copier_;
    QTimer progressTimer_;
    bool unloading_ = false;
    bool questionOpen_ = false;
    bool endWaiting_ = false;  // the copy ended while the cancel question was open
};

// The loaded wizard, nullptr when there is none.
frmDeviceWizard* DeviceWizard();
