#include "ui/dialogs/frmDeviceWizard.h"

#include "core/Files.h"
#include "core/Runtime.h"
#include "core/UiServices.h"
#include "core/Units.h"
#include "platform/DeviceCopy.h"
#include "platform/WindowPlace.h"
#include "ui/dialogs/DialogParts.h"
#include "ui/dialogs/HeldControls.h"
#include "ui/dialogs/ShowModeless.h"
#include "ui/main/OtherWindows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

QPointer<frmDeviceWizard> g_wizard;

const QString HiddenTag = QStringLiteral("Hidden");

// The pages' contents keep a margin from the window's right edge.
constexpr int PageWidth = 4935;

struct PageText {
    const char* title;
    const char* description;
};
constexpr PageText Pages[4] = {
    {"Geräteauswahl", "Bitte wählen Sie das Gerät aus, auf welches Sie ihre Musik kopieren möchten."},
    {"Synchronisations-Titel", "Bitte wählen Sie die Playliste(n) aus, die Sie auf ihr Gerät kopieren möchten."},
    {"Titel werden gesucht ...",
     "Bitte warten Sie während die zu kopierenden Titel zusammengetragen werden."},
    {"Synchronisation Läuft", "Bitte warten Sie bis die Synchronisation beendet ist."},
};

// Places a child by its twips rectangle.
class Twips {
public:
    explicit Twips(const QWidget* window) : dpi_(window->logicalDpiX()) {}
    int operator()(int twips) const { return TwipsToPixels(twips, dpi_); }
    template <typename W>
    W* Place(W* widget, int x, int y, int width, int height) const
    {
        widget->setGeometry((*this)(x), (*this)(y), (*this)(x + width) - (*this)(x),
                            (*this)(y + height) - (*this)(y));
        return widget;
    }

private:
    double dpi_;
};

template <typename W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* MakeLabel(const QString& text, QWidget* parent, bool bold = false)
{
    QLabel* label = bold ? MakeBoldLabel(text) : new QLabel(text);
    label->setParent(parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* MakeButton(const QString& text, const char* objectName, QWidget* parent)
{
    QPushButton* button = MakeButton(text, objectName);
    button->setParent(parent);
    return button;
}

QFrame* MakeRule(QWidget* parent)
{
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::NoFrame);
    rule->setStyleSheet(QStringLiteral("background: #c0c0c0"));
    return rule;
}

QString DriveDetailsText(const DeviceVolume& info)
{
    return QStringLiteral("Verfügbarer Speicher: ") + SizeToText(info.TotalBytes) + QStringLiteral("\r\n")
           + QStringLiteral("Freier Speicher: ") + SizeToText(info.FreeBytes) + QStringLiteral("\r\n")
           + QStringLiteral("Dateisystem: ") + info.FileSystem + QStringLiteral("\r\n")
           + QStringLiteral("Seriennummer: ") + info.Serial;
}

QString ShownText(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

} // namespace

frmDeviceWizard* DeviceWizard()
{
    return g_wizard && !g_wizard->Unloading() ? g_wizard.data() : nullptr;
}

void OpenDeviceWizard()
{
    if (frmDeviceWizard* loaded = DeviceWizard()) {
        loaded->Tag.clear();
        ShowModeless(loaded);
        return;
    }
    if (IsBusy()) {
        ShowBusyMessage();
        return;
    }
    auto* wizard = new frmDeviceWizard(MainWindowOwner());
    if (!wizard->Load()) {
        delete wizard;
        ShowBusyMessage();
        return;
    }
    g_wizard = wizard;
    wizard->show();
}

void UnloadDeviceWizard()
{
    if (!g_wizard) return;
    g_wizard->StopCopy();
    delete g_wizard.data();
}

frmDeviceWizard::frmDeviceWizard(QWidget* owner)
    : QWidget(owner, FixedDialogFlags)
{
    setObjectName(QStringLiteral("frmDeviceWizard"));
    setWindowTitle(QStringLiteral("Synchronisations-Assistent"));
    const Twips tw(this);
    setFixedSize(tw(7455), tw(5055));

    auto* side = Named(tw.Place(new QLabel(QStringLiteral("♫"), this), 0, 0, 2310, 4410), "picSide");
    side->setAlignment(Qt::AlignCenter);
    side->setStyleSheet(QStringLiteral("background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2b5797, "
                                       "stop:1 #7aa7e0); color: rgba(255, 255, 255, 170); font-size: 64px"));

    auto* header = tw.Place(new QFrame(this), 2310, 0, 5175, 855);
    header->setStyleSheet(QStringLiteral("background: white"));
    lblTitle = Named(tw.Place(MakeLabel(QString(), header, true), 240, 120, 4800, 255), "lblTitle");
    lblDesc = Named(tw.Place(MakeLabel(QString(), header), 360, 390, 4680, 435), "lblDesc");
    tw.Place(MakeRule(this), 2310, 860, 5145, 15);
    tw.Place(MakeRule(this), 0, 4410, 7455, 15);

    cmd_WindowsXP_Button1 =
        tw.Place(MakeButton(QStringLiteral("A&bbrechen"), "cmd_WindowsXP_Button1", this), 120, 4560, 1335, 375);
    cmd_WindowsXP_Button3 =
        tw.Place(MakeButton(QStringLiteral("< &Zurück"), "cmd_WindowsXP_Button3", this), 4440, 4560, 1335, 375);
    cmd_WindowsXP_Button2 =
        tw.Place(MakeButton(QStringLiteral("&Weiter >"), "cmd_WindowsXP_Button2", this), 5880, 4560, 1335, 375);
    connect(cmd_WindowsXP_Button1, &QPushButton::clicked, this, &frmDeviceWizard::cmd_WindowsXP_Button1_Click);
    connect(cmd_WindowsXP_Button2, &QPushButton::clicked, this, &frmDeviceWizard::cmd_WindowsXP_Button2_Click);
    connect(cmd_WindowsXP_Button3, &QPushButton::clicked, this, &frmDeviceWizard::cmd_WindowsXP_Button3_Click);

    BuildPages();

    progressTimer_.setInterval(50);
    connect(&progressTimer_, &QTimer::timeout, this, &frmDeviceWizard::ShowProgress);
}

void frmDeviceWizard::BuildPages()
{
    const Twips tw(this);
    for (int i = 0; i < 4; ++i) {
        tab[i] = tw.Place(new QFrame(this), 2400, 960, PageWidth + 120, 3375);
        tab[i]->setObjectName(QStringLiteral("tab%1").arg(i));
        tab[i]->hide();
    }

    auto* driveFrame = tw.Place(new QGroupBox(QStringLiteral("Wählen Sie das gewünschte Gerät aus"), tab[0]),
                                0, 0, PageWidth, 855);
    Drive1 = Named(tw.Place(new QComboBox(driveFrame), 120, 330, PageWidth - 240, 375), "Drive1");
    connect(Drive1, &QComboBox::currentIndexChanged, this, &frmDeviceWizard::Drive1_Change);
    auto* infoFrame = tw.Place(new QGroupBox(QStringLiteral("Geräte-Info"), tab[0]), 0, 960, PageWidth, 2415);
    lblName = Named(tw.Place(MakeLabel(QString(), infoFrame, true), 240, 360, PageWidth - 480, 255), "lblName");
    lblDetails = Named(tw.Place(MakeLabel(QString(), infoFrame), 240, 720, PageWidth - 480, 1455), "lblDetails");

    auto* listFrame = tw.Place(new QGroupBox(QStringLiteral("Playliste"), tab[1]), 0, 0, PageWidth, 3375);
    List1 = Named(tw.Place(new QListWidget(listFrame), 120, 330, PageWidth - 240, 2925), "List1");

    Label5 = Named(tw.Place(MakeLabel(QStringLiteral("Synchronisationstitel werden gesucht ..."), tab[2]),
                            0, 0, PageWidth, 495),
                   "Label5");
    frNoSpace = Named(tw.Place(new QGroupBox(tab[2]), 0, 600, PageWidth, 2235), "frNoSpace");
    tw.Place(MakeLabel(QStringLiteral("Der Speicherplatz auf ihrem Gerät reicht nicht aus, um alle Titel "
                                      "abzuspeichern."),
                       frNoSpace, true),
             120, 180, PageWidth - 240, 435);
    tw.Place(MakeLabel(QStringLiteral("Welche Titel sollen zuerst synchronisiert werden?"), frNoSpace), 120, 720,
             PageWidth - 240, 255);
    const char* options[] = {"Meist gespielt", "Beste Wertung", "Zuletzt gespielt", "Zuletzt hinzugefügt"};
    for (int i = 0; i < 4; ++i) {
        auto* option = tw.Place(new QRadioButton(QString::fromUtf8(options[i]), frNoSpace), 360, 1035 + i * 285,
                                PageWidth - 600, 255);
        option->setChecked(i == 0);
    }
    frNoSpace->hide();
    auto* hint = tw.Place(MakeLabel(QStringLiteral("Klicken Sie auf 'Weiter' um die Synchronisation zu starten."),
                                    tab[2]),
                          0, 3000, PageWidth, 375);
    hint->setEnabled(false);

    tw.Place(MakeLabel(QStringLiteral("Gerät wird synchronisiert ..."), tab[3], true), 0, 0, PageWidth, 255);
    Label10 = Named(tw.Place(MakeLabel(QString(), tab[3]), 0, 420, PageWidth, 255), "Label10");
    Label9 = Named(tw.Place(MakeLabel(QString(), tab[3]), 0, 720, PageWidth, 255), "Label9");
    ProgressBar1 = Named(tw.Place(new QProgressBar(tab[3]), 0, 1050, PageWidth, 300), "ProgressBar1");
    ProgressBar1->setTextVisible(false);
    Label2 = Named(tw.Place(MakeLabel(QString(), tab[3]), 0, 1440, PageWidth, 255), "Label2");
    auto* background = tw.Place(MakeLabel(QStringLiteral("Sie können die Synchronisation jederzeit in den "
                                                         "Hintergrund setzen. Sie wird dadurch nicht verlangsamt."),
                                          tab[3]),
                                0, 2040, PageWidth, 735);
    background->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    cmd_WindowsXP_Button4 = tw.Place(MakeButton(QStringLiteral("&Hintergrund"), "cmd_WindowsXP_Button4", tab[3]),
                                     PageWidth - 1335, 2880, 1335, 375);
    connect(cmd_WindowsXP_Button4, &QPushButton::clicked, this, &frmDeviceWizard::cmd_WindowsXP_Button4_Click);
}

frmDeviceWizard::~frmDeviceWizard() = default;

bool frmDeviceWizard::Load()
{
    busy_ = std::make_unique<BusyGuard>();
    if (!busy_->Acquired()) {
        busy_.reset();
        return false;
    }
    busy_->SetCaption(QStringLiteral("Sarovin - Gerätesynchronisation..."));

    QWidget* owner = parentWidget();
    const QRect area = owner ? owner->frameGeometry() : screen()->availableGeometry();
    MoveInsideScreen(*this, QRect(area.center() - QPoint(width() / 2, height() / 2), OuterSize(*this)));

    FillDrives();
    cmd_WindowsXP_Button2_Click();
    FillTitleList();
    return true;
}

void frmDeviceWizard::FillDrives()
{
    volumes_ = DeviceVolumes();
    {
        const QSignalBlocker quiet(Drive1);
        Drive1->clear();
        for (const DeviceVolume& v : volumes_) Drive1->addItem(v.Label + QStringLiteral(" (") + v.Root + u')');
        Drive1->setCurrentIndex(volumes_.isEmpty() ? -1 : 0);
    }
    Drive1_Change();
}

void frmDeviceWizard::FillTitleList()
{
    sources_ = SyncSources(Settings.DynPlaylists);
    List1->clear();
    for (const SyncSource& s : sources_) {
        auto* item = new QListWidgetItem(s.Name, List1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

const DeviceVolume* frmDeviceWizard::SelectedVolume() const
{
    const int i = Drive1->currentIndex();
    return i >= 0 && i < volumes_.size() ? &volumes_[i] : nullptr;
}

void frmDeviceWizard::Drive1_Change()
{
    const DeviceVolume* selected = SelectedVolume();
    if (!selected) {
        lblName->clear();
        lblDetails->clear();
        return;
    }
    const DeviceVolume info = GetDriveInfo(selected->Root);
    lblName->setText(info.Label);
    lblDetails->setText(ShownText(DriveDetailsText(info)));
}

int frmDeviceWizard::HideAllPages()
{
    int current = -1;
    for (int i = 0; i < 4; ++i) {
        if (!tab[i]->isHidden()) current = i;
        tab[i]->hide();
    }
    return current;
}

void frmDeviceWizard::ShowPage(int page)
{
    tab[page]->show();
    lblTitle->setText(QString::fromUtf8(Pages[page].title));
    lblDesc->setText(QString::fromUtf8(Pages[page].description));
    if (page == 0) cmd_WindowsXP_Button2->setEnabled(Drive1->count() > 0);
}

void frmDeviceWizard::cmd_WindowsXP_Button2_Click()
{
    const int current = HideAllPages();
    if (current == 3) {
        Unload();
        return;
    }
    const int page = current + 1;
    ShowPage(page);
    if (page == 2) {
        // Disabled before the pump lets the page paint, so a second click cannot pass the search.
        DisableHoldingFocus(cmd_WindowsXP_Button2);
        DisableHoldingFocus(cmd_WindowsXP_Button3);
        QPointer<frmDeviceWizard> self(this);
        Pump();
        if (!self || unloading_) return;
        PrepareSync();
        EnableHoldingFocus(cmd_WindowsXP_Button2);
        EnableHoldingFocus(cmd_WindowsXP_Button3);
    } else if (page == 3) {
        DisableHoldingFocus(cmd_WindowsXP_Button2);
        cmd_WindowsXP_Button2->setText(QStringLiteral("&Fertig"));
        DisableHoldingFocus(cmd_WindowsXP_Button3);
        FinishSync();
    }
}

void frmDeviceWizard::cmd_WindowsXP_Button3_Click()
{
    const int current = HideAllPages();
    if (current <= 0) {
        Unload();
        return;
    }
    cmd_WindowsXP_Button3->setEnabled(current - 1 > 0);
    cmd_WindowsXP_Button1->setEnabled(true);
    ShowPage(current - 1);
}

void frmDeviceWizard::cmd_WindowsXP_Button1_Click()
{
    QPointer<frmDeviceWizard> self(this);
    questionOpen_ = true;
    const int answer = MsgBox(QStringLiteral("Achtung! Wollen Sie die Synchronisation wirklich abbrechen?"), 52);
    if (!self) return;
    questionOpen_ = false;
    if (answer != MsgNo) {
        Unload();
    } else if (endWaiting_) {
        endWaiting_ = false;
        EndCopy();
    }
}

void frmDeviceWizard::cmd_WindowsXP_Button4_Click()
{
    Tag = HiddenTag;
    hide();
}

void frmDeviceWizard::closeEvent(QCloseEvent* event)
{
    Unload();
    event->accept();
}

bool frmDeviceWizard::Copying() const
{
    return copier_ && copier_->Running();
}

void frmDeviceWizard::Unload()
{
    if (unloading_) return;
    unloading_ = true;
    hide();
    progressTimer_.stop();
    if (Copying()) {
        copier_->Cancel();  // CopyFinished ends the unload once the worker stopped
        return;
    }
    busy_.reset();
    deleteLater();
}

void frmDeviceWizard::StopCopy()
{
    if (!copier_) return;
    copier_->Cancel();
    copier_->Wait();
}

void frmDeviceWizard::PrepareSync()
{
    const DeviceVolume* volume = SelectedVolume();
    const double freeBytes = volume ? GetDriveInfo(volume->Root).FreeBytes : 0;
    const SyncSource* source = nullptr;
    for (int i = 0; i < List1->count() && i < sources_.size(); ++i) {
        if (List1->item(i)->checkState() == Qt::Checked) {
            source = &sources_[i];
            break;
        }
    }
    const SyncSummary summary = FillSyncList(Library, source);
    SyncSizeMB = summary.SizeMB;
    frNoSpace->setVisible(SyncNeedsWarning(SyncSizeMB, freeBytes));
    Label5->setText(SyncCountText(summary.Count));
}

void frmDeviceWizard::FinishSync()
{
    SyncSizeMB = SyncSizeMB * 1024 * 1024;
    CopyPlan plan;
    if (const DeviceVolume* volume = SelectedVolume()) {
        plan.Root = volume->Root;
        plan.Device = volume->Device;
    }
    const auto& entries = Library.ListSets[SyncList].Entries;
    for (int32_t i : entries.isEmpty() ? QVector<int32_t>() : entries[0].Items) {
        if (!IsValidLibraryIndex(Library, i) || Library.Files[i].FileName.isEmpty()) continue;
        const LibraryEntry& record = Library.Files[i];
        plan.Jobs.append({record.FileName, SyncTargetPath(plan.Root, record), record.SizeInMB * 1024 * 1024});
    }
    ProgressBar1->setRange(0, std::max<int>(1, int(plan.Jobs.size())));
    ProgressBar1->setValue(0);

    copier_ = std::make_unique<DeviceCopier>(std::move(plan));
    connect(copier_.get(), &DeviceCopier::Finished, this, &frmDeviceWizard::CopyFinished);
    copier_->Start();
    ShowProgress();
    progressTimer_.start();
}

void frmDeviceWizard::ShowProgress()
{
    if (!copier_) return;
    const QVector<CopyJob>& jobs = copier_->Plan().Jobs;
    const int count = int(jobs.size());
    ProgressBar1->setValue(copier_->Attempted());
    if (count > 0) {
        const int i = std::min(copier_->Current(), count - 1);
        Label2->setText(QStringLiteral("Titel %1 von %2 wird kopiert ...").arg(i + 1).arg(count));
        Label10->setText(GetFileName(jobs[i].Target));
    }
    Label9->setText(SizeToText(copier_->DoneBytes()) + QStringLiteral(" von ") + SizeToText(SyncSizeMB)
                    + QStringLiteral(" kopiert"));
}

void frmDeviceWizard::CopyFinished()
{
    if (unloading_) {
        busy_.reset();
        deleteLater();
    } else if (questionOpen_) {
        endWaiting_ = true;
    } else {
        EndCopy();
    }
}

void frmDeviceWizard::EndCopy()
{
    progressTimer_.stop();
    ShowProgress();
    // Sent to the background after the end, the wizard would hold the busy
    // state unseen. Its focus waits for "&Fertig".
    DisableHoldingFocus(cmd_WindowsXP_Button4, cmd_WindowsXP_Button2);
    QPointer<frmDeviceWizard> self(this);
    MsgBox(QStringLiteral("Synchronisation wurde beendet.\r\nEs wurden %1 von %2 Titel erfolgreich kopiert.")
               .arg(copier_->Copied())
               .arg(copier_->Attempted()),
           64);
    if (!self || unloading_) return;
    EnableHoldingFocus(cmd_WindowsXP_Button2);
    QApplication::beep();
    if (Tag == HiddenTag) Unload();
}
