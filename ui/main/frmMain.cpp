// The main window's controls, their design places and the layout on resize.
#include "ui/main/frmMain.h"

#include "controls/QV_HoverLabel.h"
#include "controls/SymbolGlyphs.h"
#include "controls/WinColor.h"
#include "core/Busy.h"
#include "core/LibrarySync.h"
#include "core/Runtime.h"
#include "core/Units.h"
#include "ui/main/LibraryCheckPage.h"
#include "ui/main/OtherWindows.h"
#include "ui/main/Spectrum.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QTreeWidget>

namespace {

frmMain* g_mainWindow = nullptr;

constexpr uint32_t kStripColor = 0xBD8250;   // top strip, idle buttons
constexpr uint32_t kActiveColor = 0xFFC0C0;  // pressed or switched-on buttons, idle search box
constexpr uint32_t kWhite = 0xFFFFFF;

template <typename W>
W* Make(QWidget* parent, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

void Paint(QWidget* w, uint32_t color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, WinColorToQColor(color));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, double points, bool bold = false)
{
    auto* l = Make<QLabel>(parent, name);
    l->setText(text);
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(points);
    f.setBold(bold);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(pal);
    return l;
}

QV_HoverLabel* MakeButton(QWidget* parent, const char* name, const QString& caption, bool glyph)
{
    auto* b = Make<QV_HoverLabel>(parent, name);
    b->SetCaption(caption);
    if (glyph)
        b->SetCaptionFont(QStringLiteral("Webdings"), 14.25);
    else
        b->SetCaptionFont(QStringLiteral("MS Sans Serif"), 8.25);
    b->SetBorderStyle(1);
    b->SetBackColor(kStripColor);
    b->SetHoverColor(kWhite);
    return b;
}

} // namespace

frmMain* MainWindow() { return g_mainWindow; }
QWidget* MainWindowOwner() { return g_mainWindow; }

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(IdleCaption);
    BuildControls();
    g_mainWindow = this;
    SetTagEditorHost(this);

    connect(QV_ListControl1, &QV_ListControl::ItemCountChange, this, [this] { QV_ListControl1_ItemCountChange(); });
    connect(QV_ListControl1, &QV_ListControl::ItemDblClick, this,
            [this](qint32, int, const ListCell& key) { QV_ListControl1_ItemDblClick(key); });
    connect(QV_ListControl1, &QV_ListControl::ItemKeyDown, this,
            [this](int keyCode, int, qint32 index, const ListCell& key) { QV_ListControl1_ItemKeyDown(keyCode, index, key); });
    connect(QV_ListControl1, &QV_ListControl::ItemMouseUp, this,
            [this](qint32 row, int column, const ListCell& key, int button, int shift) {
                QV_ListControl1_ItemMouseUp(row, column, key, button, shift);
            });
    connect(QV_ListControl1, &QV_ListControl::ItemSelect, this,
            [this](qint32 index, int column, const ListCell& key) { QV_ListControl1_ItemSelect(index, column, key); });
    connect(QV_ListControl1, &QV_ListControl::HeaderMouseUp, this,
            [this](qint32 column, const QString&, int button, int) { QV_ListControl1_HeaderMouseUp(column, button); });
    connect(txtSearch, &QLineEdit::textChanged, this, [this] { txtSearch_Change(); });

    // Transport buttons: the pressed colour shows while the command runs.
    const std::pair<QV_HoverLabel*, const char*> transport[] = {
        {Label16, "Audio:Prev"}, {Label17, "Audio:Pause"}, {Label18, "Audio:Stop"}, {Label19, "Audio:Next"}};
    for (const auto& [button, cmd] : transport) {
        const QString command = QString::fromLatin1(cmd);
        connect(button, &QV_HoverLabel::MouseDown, this, [this, button, command] {
            button->SetBackColor(kActiveColor);
            // The pressed colour is drawn before the command runs.
            Pump();
            Command(command);
        });
        connect(button, &QV_HoverLabel::MouseUp, this, [button] { button->SetBackColor(kStripColor); });
    }

    tmrActualizeDisp = new QTimer(this);
    tmrActualizeDisp->setObjectName(QStringLiteral("tmrActualizeDisp"));
    tmrActualizeDisp->setInterval(100);
    connect(tmrActualizeDisp, &QTimer::timeout, this, [this] { tmrActualizeDisp_Timer(); });
    tmrAudioSys = new QTimer(this);
    tmrAudioSys->setObjectName(QStringLiteral("tmrAudioSys"));
    tmrAudioSys->setInterval(10);
    connect(tmrAudioSys, &QTimer::timeout, this, [this] { tmrAudioSys_Timer(); });
    searchTextTimer_ = new QTimer(this);
    searchTextTimer_->setInterval(0);
    connect(searchTextTimer_, &QTimer::timeout, this, [this] { PrepareSearchSlice(); });

    captionSub_ = SubscribeCaption([this](const QString& caption) { setWindowTitle(caption); });
    libraryReplacedSub_ = SubscribeLibraryReplaced([this](const LibraryDatabase& previous) { OnLibraryReplaced(previous); });

    BuildMenus();
    SetOptionsHost(this);
    // Layout and mouse handling only once every control and timer exists.
    for (QObject* o : std::initializer_list<QObject*>{centralWidget(), txtSearch, frSeek, frVol, Label3})
        o->installEventFilter(this);

    tmrActualizeDisp->start();
    tmrAudioSys->start();
    BuildLifecycle();
}

frmMain::~frmMain()
{
    if (g_mainWindow == this) g_mainWindow = nullptr;
    if (CurrentTagEditorHost() == this) SetTagEditorHost(nullptr);
    if (CurrentOptionsHost() == this) SetOptionsHost(nullptr);
    for (QObject* o : std::initializer_list<QObject*>{centralWidget(), txtSearch, frSeek, frVol, Label3})
        o->removeEventFilter(this);
}

void frmMain::BuildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("frmMainClient"));
    setCentralWidget(client);
    resize(TwipsToPixels(13095, logicalDpiX()), TwipsToPixels(9240, logicalDpiY()));

    // Top strip: buttons, volume bar, display and search box.
    frTop = Make<QWidget>(client, "frTop");
    Paint(frTop, kStripColor);
    Place(frTop, 0, 0, 12495, 1095);
    Label20 = MakeButton(frTop, "Label20", QStringLiteral("Cross"), false);
    Label15 = MakeButton(frTop, "Label15", QStringLiteral("Mix"), false);
    Label16 = MakeButton(frTop, "Label16", QStringLiteral("9"), true);
    Label17 = MakeButton(frTop, "Label17", QStringLiteral("4"), true);
    Label18 = MakeButton(frTop, "Label18", QStringLiteral("<"), true);
    Label19 = MakeButton(frTop, "Label19", QStringLiteral(":"), true);
    Place(Label20, 120, 120, 495, 375);
    Place(Label15, 1920, 120, 495, 375);
    Place(Label16, 120, 600, 495, 375);
    Place(Label17, 720, 600, 495, 375);
    Place(Label18, 1320, 600, 495, 375);
    Place(Label19, 1920, 600, 495, 375);

    frVol = Make<QWidget>(frTop, "frVol");
    Paint(frVol, 0x8A5A30);
    Place(frVol, 2520, 120, 255, 855);
    shVol = Make<QWidget>(frVol, "shVol");
    Paint(shVol, kActiveColor);
    Place(shVol, 0, 855, 255, 0);
    Label3 = Make<QLabel>(frVol, "Label3");
    Label3->setText(SymbolGlyphText(QStringLiteral("Webdings"), QStringLiteral("X")));
    QFont glyphs(QStringLiteral("Symbola"));
    glyphs.setPointSizeF(11);
    Label3->setFont(glyphs);
    Label3->setAlignment(Qt::AlignCenter);
    Place(Label3, 0, 240, 255, 375);

    Picture1 = Make<QWidget>(frTop, "Picture1");
    Paint(Picture1, kStripColor);
    Place(Picture1, 2880, 0, 9615, 1095);
    lblTitle = MakeLabel(Picture1, "lblTitle", QString(), 12, true);
    Place(lblTitle, 120, 120, 6615, 315);
    lblArtistAlbum = MakeLabel(Picture1, "lblArtistAlbum", QString(), 8);
    Place(lblArtistAlbum, 120, 360, 8895, 210);
    Label5 = MakeLabel(Picture1, "Label5", QStringLiteral("Suche"), 8);
    Place(Label5, 6840, 180, 465, 195);
    frSeek = Make<QWidget>(Picture1, "frSeek");
    Place(frSeek, 600, 750, 8295, 135);
    shSeekBkg = Make<QWidget>(frSeek, "shSeekBkg");
    Paint(shSeekBkg, 0x8A5A30);
    Place(shSeekBkg, 0, 0, 6255, 135);
    shSeek = Make<QWidget>(frSeek, "shSeek");
    Paint(shSeek, kWhite);
    Place(shSeek, 0, 0, 0, 135);
    shSeek->setAttribute(Qt::WA_TransparentForMouseEvents);
    shSeekBkg->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblTimeElapsed = MakeLabel(Picture1, "lblTimeElapsed", QStringLiteral("00:00"), 8);
    Place(lblTimeElapsed, 0, 720, 495, 255);
    lblTimeMax = MakeLabel(Picture1, "lblTimeMax", QStringLiteral("00:00"), 8);
    Place(lblTimeMax, 8880, 720, 495, 255);
    AttachSpectrum(Picture1);

    txtSearch = Make<QLineEdit>(frTop, "txtSearch");
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSizeF(9.75);
    txtSearch->setFont(tahoma);
    txtSearch->setFrame(false);
    QPalette searchPal = txtSearch->palette();
    searchPal.setColor(QPalette::Base, WinColorToQColor(kActiveColor));
    txtSearch->setPalette(searchPal);
    txtSearch->setText(SearchPlaceholder());
    Place(txtSearch, 10320, 120, 2055, 345);

    // Left column: navigation tree over its background, the view summary below.
    frOverview = Make<QWidget>(client, "frOverview");
    Place(frOverview, 0, 1080, 2895, 7575);
    imgOverview = Make<QWidget>(frOverview, "imgOverview");
    Paint(imgOverview, 0xE8D0B8);
    Place(imgOverview, 0, 0, 2895, 7575);
    Functions = Make<QTreeWidget>(frOverview, "Functions");
    Functions->setHeaderHidden(true);
    Functions->setColumnCount(1);
    Place(Functions, 120, 0, 2655, 6255);
    picPL = Make<QWidget>(frOverview, "picPL");
    Paint(picPL, kStripColor);
    Place(picPL, 120, 6360, 2655, 1095);
    lblPLTitle = MakeLabel(picPL, "lblPLTitle", QString(), 8, true);
    Place(lblPLTitle, 60, 30, 2535, 255);
    lblPLDetails = MakeLabel(picPL, "lblPLDetails", QString(), 8);
    lblPLDetails->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(lblPLDetails, 60, 300, 2535, 765);

    // Content panes in one place; one of them shows.
    frMusicLibrary = Make<QWidget>(client, "frMusicLibrary");
    Place(frMusicLibrary, 2880, 1095, 9480, 7560);
    QV_ListControl1 = Make<QV_ListControl>(frMusicLibrary, "QV_ListControl1");
    QV_ListControl1->SetHost(this);
    Place(QV_ListControl1, 0, 0, 6255, 3855);
    frOptions = Make<QWidget>(client, "frOptions");
    Place(frOptions, 2880, 1095, 10200, 7560);
    imgOptTop = Make<QWidget>(frOptions, "imgOptTop");
    Paint(imgOptTop, kStripColor);
    Place(imgOptTop, 0, 0, 9855, 495);
    frAudioOrganize = Make<QWidget>(client, "frAudioOrganize");
    Place(frAudioOrganize, 2880, 1095, 9600, 7560);
    OrganizePage = new LibraryCheckPage(frAudioOrganize);
    OrganizePage->move(0, 0);
    frAudioOverview = Make<QWidget>(client, "frAudioOverview");
    Place(frAudioOverview, 2880, 1095, 9480, 7560);
    frOptions->hide();
    frAudioOrganize->hide();
    frAudioOverview->hide();
    frTop->raise();
}

frmMain::TwipRect frmMain::Twips(const QWidget* control) const
{
    const auto it = twips_.find(control);
    return it == twips_.end() ? TwipRect{} : it->second;
}

void frmMain::ApplyPlace(QWidget* control)
{
    const TwipRect& r = twips_[control];
    const double dx = logicalDpiX(), dy = logicalDpiY();
    // Edges are rounded, not sizes, so neighbours meet without gaps.
    const int left = TwipsToPixels(r.Left, dx), top = TwipsToPixels(r.Top, dy);
    control->setGeometry(left, top, TwipsToPixels(r.Left + r.Width, dx) - left,
                         TwipsToPixels(r.Top + r.Height, dy) - top);
}

void frmMain::Place(QWidget* control, double left, double top, double width, double height)
{
    twips_[control] = {left, top, width, height};
    ApplyPlace(control);
}

void frmMain::SetLeft(QWidget* control, double v)
{
    twips_[control].Left = v;
    ApplyPlace(control);
}

void frmMain::SetTop(QWidget* control, double v)
{
    twips_[control].Top = v;
    ApplyPlace(control);
}

// A negative size fails and leaves the control as it was.
void frmMain::SetWidth(QWidget* control, double v)
{
    if (v < 0) return;
    twips_[control].Width = v;
    ApplyPlace(control);
}

void frmMain::SetHeight(QWidget* control, double v)
{
    if (v < 0) return;
    twips_[control].Height = v;
    ApplyPlace(control);
}

void frmMain::Form_Resize()
{
    const QWidget* client = centralWidget();
    const double W = PixelsToTwips(client->width(), logicalDpiX());
    const double H = PixelsToTwips(client->height(), logicalDpiY());
    const auto T = [this](const QWidget* w) { return Twips(w); };

    SetWidth(frMusicLibrary, W - T(frMusicLibrary).Left);
    SetHeight(frMusicLibrary, H - T(frMusicLibrary).Top);
    SetLeft(frOptions, T(frMusicLibrary).Left);
    SetTop(frOptions, T(frMusicLibrary).Top);
    SetWidth(frOptions, W - T(frMusicLibrary).Left);
    SetHeight(frOptions, H - T(frMusicLibrary).Top);
    SetLeft(imgOptTop, 0);
    SetTop(imgOptTop, 0);
    SetWidth(imgOptTop, T(frOptions).Width);
    SetLeft(QV_ListControl1, 0);
    SetTop(QV_ListControl1, 0);
    SetWidth(QV_ListControl1, T(frMusicLibrary).Width);
    SetHeight(QV_ListControl1, T(frMusicLibrary).Height);
    SetLeft(frOverview, 0);
    SetTop(frOverview, T(frTop).Height);
    SetWidth(frOverview, T(imgOverview).Width);
    SetHeight(frOverview, H - T(frTop).Height);
    SetLeft(imgOverview, 0);
    SetTop(imgOverview, 0);
    SetWidth(imgOverview, T(frOverview).Width);
    SetHeight(imgOverview, T(frOverview).Height);
    SetLeft(frTop, 0);
    SetTop(frTop, 0);
    SetWidth(frTop, W);
    SetWidth(frSeek, T(frTop).Width - 4200);
    SetLeft(shSeekBkg, 0);
    SetTop(shSeekBkg, 0);
    SetWidth(shSeekBkg, T(frSeek).Width);
    SetHeight(shSeekBkg, T(frSeek).Height);
    SetLeft(lblTimeMax, T(frSeek).Width + T(frSeek).Left + 120);
    const double pictureLeft = T(Picture1).Left;
    SetLeft(Picture1, T(frOverview).Width);
    SetWidth(Picture1, W - pictureLeft);
    SetLeft(txtSearch, T(frTop).Width - 2175);
    SetLeft(Label5, T(Picture1).Width - 2775);
    SetTop(Label5, 180);
    SetWidth(lblTitle, T(frTop).Width - 6000);
    SetWidth(lblArtistAlbum, T(frTop).Width - 3240);
    SetLeft(Functions, 120);
    SetTop(Functions, 0);
    SetWidth(Functions, T(frOverview).Width - 240);
    SetHeight(Functions, T(frOverview).Height - 120 - 120 - T(picPL).Height);
    SetLeft(picPL, 120);
    SetTop(picPL, T(Functions).Top + T(Functions).Height + 120);

    // The display follows the new sizes at once. The event loop runs right
    // after this handler, so no events are pumped here (a pump would nest resizes).
    tmrActualizeDisp_Timer();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        Form_Resize();
        return false;
    }
    if (watched == txtSearch) return txtSearch_Event(event);
    if (watched == frSeek || watched == frVol || watched == Label3) {
        const auto* w = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: {
            const auto* me = static_cast<QMouseEvent*>(event);
            // The button number: the pressed or released one, or those held while moving.
            const Qt::MouseButtons held = event->type() == QEvent::MouseMove ? me->buttons() : Qt::MouseButtons(me->button());
            const int buttons = held == Qt::LeftButton ? 1 : (held == Qt::NoButton ? 0 : 2);
            const double x = PixelsToTwips(me->position().x(), w->logicalDpiX());
            const double y = PixelsToTwips(me->position().y(), w->logicalDpiY());
            if (watched == frSeek)
                frSeek_Mouse(event->type(), buttons, x);
            else if (event->type() != QEvent::MouseButtonRelease)
                frVol_Mouse(buttons, watched == Label3 ? y + 240 : y);
            return true;
        }
        case QEvent::UngrabMouse:
        case QEvent::Hide:
            if (watched == frSeek) CancelSeekDrag();
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!SearchTextReady()) searchTextTimer_->start();
}

void frmMain::hideEvent(QHideEvent* event)
{
    CancelSeekDrag();
    QMainWindow::hideEvent(event);
}

void frmMain::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) CancelSeekDrag();
    QMainWindow::changeEvent(event);
}

QAction* frmMain::MenuAction(const QString& name, int index) const
{
    return findChild<QAction*>(index < 0 ? name : name + QString::number(index));
}

QMenu* frmMain::PopupMenu(const QString& name) const
{
    return findChild<QMenu*>(name);
}
