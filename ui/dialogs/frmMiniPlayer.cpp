#include "ui/dialogs/frmMiniPlayer.h"

#include "controls/SpectrumBox.h"
#include "controls/SymbolGlyphs.h"
#include "controls/WinColor.h"
#include "core/Files.h"
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/PlaylistImport.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "core/VbHelpers.h"
#include "controls/QV_HoverLabel.h"
#include "platform/WindowPlace.h"
#include "ui/main/OtherWindows.h"

#include <QApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QUrl>

#include <algorithm>

namespace {

constexpr uint32_t kStripBack = 0xBD8250;
constexpr uint32_t kStripBars = 0xFFC0C0;
constexpr double kBarLeft = 2160;   // twips: the volume bar's left edge
constexpr double kBarWidth = 4695;  // twips: the volume bar at full volume
constexpr int kTopBand = 50;        // pixels at the top of the screen that hide the strip without Ctrl
const QString kIdleText = QStringLiteral("keine Wiedergabe");
const QString kUnplayable = QStringLiteral("Die Datei kann nicht abgespielt werden.");

// Guarded: the strip also ends when the desktop or a test deletes it.
QPointer<frmMiniPlayer> instance;
MiniPlayerHost* host = nullptr;
MiniPlayerInputSource inputSource;

bool OnWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Under Wayland neither the pointer outside our windows nor the keyboard can be
// read: the strip counts as pointed at with Ctrl held while the pointer is over it.
MiniPlayerInput DesktopInput(const QWidget& strip)
{
    MiniPlayerInput in;
    const QWidget* active = QApplication::activeWindow();
    in.OtherWindowActive = active && active != &strip;
    if (OnWayland()) {
        const bool over = strip.underMouse();
        in.PointerY = over ? 0 : kTopBand + 1;
        in.Ctrl = over;
        return in;
    }
    const QPoint pos = QCursor::pos();
    const QScreen* screen = QGuiApplication::screenAt(pos);
    if (!screen) screen = QGuiApplication::primaryScreen();
    in.PointerY = pos.y() - (screen ? screen->geometry().top() : 0);
    in.Ctrl = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
    return in;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);  // clicks and drops reach the strip
    return label;
}

// The text cut at its end to the width, "..." standing for the rest.
QString ElideRight(const QFontMetrics& metrics, const QString& text, int width)
{
    if (metrics.horizontalAdvance(text) <= width) return text;
    const QString dots = QStringLiteral("...");
    qsizetype fit = 0, over = text.size();
    while (over - fit > 1) {
        const qsizetype mid = (fit + over) / 2;
        (metrics.horizontalAdvance(text.left(mid) + dots) <= width ? fit : over) = mid;
    }
    if (fit > 0 && text[fit - 1].isHighSurrogate()) --fit;
    return text.left(fit) + dots;
}

int32_t IndexOfFile(const QString& path)
{
    const auto& files = Library.Files;
    for (qsizetype i = 0; i < files.size(); ++i)
        if (files[i].FileName == path) return int32_t(i);
    return -1;
}

} // namespace

void SetMiniPlayerHost(MiniPlayerHost* h)
{
    host = h;
}

void SetMiniPlayerInputSource(MiniPlayerInputSource source)
{
    inputSource = std::move(source);
}

frmMiniPlayer* frmMiniPlayer::Loaded()
{
    return instance;
}

frmMiniPlayer& frmMiniPlayer::Load()
{
    if (!instance) instance = new frmMiniPlayer;
    return *instance;
}

void frmMiniPlayer::Unload()
{
    delete std::exchange(instance, nullptr).data();
}

frmMiniPlayer::frmMiniPlayer()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("frmMiniPlayer"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAcceptDrops(true);
    setFixedSize(Px(6960), Px(375));

    Picture2 = new SpectrumBox(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(0, 0, Px(6975), Px(375));
    Picture2->SetColors(WinColorToQColor(kStripBack), WinColorToQColor(kStripBars));
    Picture2->SetBarWidth(5);
    Picture2->setAttribute(Qt::WA_TransparentForMouseEvents);

    QFont text(QStringLiteral("MS Sans Serif"));
    text.setPointSizeF(9.75);
    text.setBold(true);
    QFont symbol(QStringLiteral("Webdings"));
    symbol.setPointSizeF(14.25);

    Label1 = MakeLabel(Picture2, QStringLiteral("Label1"), kIdleText, text);
    Label1->setGeometry(Px(120), Px(60), Px(6735), Px(255));
    Label3 = MakeLabel(Picture2, QStringLiteral("Label3"), QStringLiteral("Volume"), text);
    Label3->setGeometry(Px(120), Px(60), Px(1815), Px(255));
    Label2 = MakeLabel(Picture2, QStringLiteral("Label2"), SymbolGlyphText(symbol.family(), QStringLiteral("X")), symbol);
    // Centred where the symbol font's narrow glyph stood; the Unicode symbol needs the gap's width.
    Label2->setGeometry(Px(1830), 0, Px(315), Px(375));
    Shape1 = new QWidget(Picture2);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setAutoFillBackground(true);
    Shape1->setPalette(QPalette(Qt::white, Qt::white));
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Shape1->setGeometry(Px(kBarLeft), Px(60), Px(kBarWidth), Px(255));

    // Buttons lie on the window, over the strip, so they take their own presses.
    struct Button { QV_HoverLabel*& button; const char* name; const char* caption; int left; };
    const Button buttons[] = {{hlbPause, "hlbPause", ";", 120}, {hlbNext, "hlbNext", ":", 720}, {hlbShow, "hlbShow", "2", 1320}};
    for (const Button& b : buttons) {
        b.button = new QV_HoverLabel(this);
        b.button->setObjectName(QLatin1String(b.name));
        b.button->SetCaptionFont(QStringLiteral("Webdings"), 9.75);
        b.button->SetCaption(QLatin1String(b.caption));
        b.button->setGeometry(Px(b.left), Px(60), Px(495), Px(255));
        b.button->SetBackColor(0xFFFFFF);
        b.button->SetHoverColor(0xFF0000);
        b.button->SetForeColor(0);
    }
    connect(hlbPause, &QV_HoverLabel::Click, this, [] { if (host) host->Command(QStringLiteral("Audio:Pause")); });
    connect(hlbNext, &QV_HoverLabel::Click, this, [] { if (host) host->Command(QStringLiteral("Audio:Next")); });
    connect(hlbShow, &QV_HoverLabel::Click, this, [] { if (host) host->ToggleTray(); });

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer2.setObjectName(QStringLiteral("Timer2"));
    Timer2.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &frmMiniPlayer::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &frmMiniPlayer::Timer2_Timer);
    ShowView(View::Title);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect g = screen->geometry();
        MoveInsideScreen(*this, QRect(QPoint(g.x() + (g.width() - width()) / 2, g.y()), OuterSize(*this)));
    }
    Timer1.start(50);
}

int frmMiniPlayer::Px(double twips) const
{
    return TwipsToPixels(twips, logicalDpiX());
}

void frmMiniPlayer::ShowView(View view)
{
    view_ = view;
    Label1->setVisible(view == View::Title);
    Label3->setVisible(view == View::Volume);
    Label2->setVisible(view != View::Title);
    Shape1->setVisible(view != View::Title);
    for (QV_HoverLabel* b : {hlbPause, hlbNext, hlbShow}) b->setVisible(view == View::Controls);
}

void frmMiniPlayer::SetTitleLine(const QString& line)
{
    // Centred, a line wider than the strip would lose both its ends.
    Label1->setText(ElideRight(Label1->fontMetrics(), line, Label1->contentsRect().width()));
}

void frmMiniPlayer::Timer1_Timer()
{
    if (!IsOn(Settings.ShowMiniPlayer)) {
        Timer1.stop();
        Timer2.stop();
        hide();
        // Deleted once this tick has returned.
        if (instance == this) instance = nullptr;
        deleteLater();
        return;
    }
    const MiniPlayerInput in = inputSource ? inputSource(*this) : DesktopInput(*this);
    if (!in.OtherWindowActive && (in.Ctrl || in.PointerY > kTopBand)) {
        if (in.PointerY > kTopBand)
            ShowView(Timer2.isActive() ? View::Volume : View::Title);
        else
            ShowView(View::Controls);
        show();
    } else {
        hide();
    }
}

void frmMiniPlayer::Timer2_Timer()
{
    ShowView(View::Title);
    Timer2.stop();
}

void frmMiniPlayer::ShowVol(double vol)
{
    if (vol < 0) return;
    Shape1->resize(Px(VbInt(vol / 32768.0 * kBarWidth)), Shape1->height());
    Timer2.stop();
    Timer2.start();
    ShowView(View::Volume);
    // Only this redraw, no event pump: the caller is inside SetVol.
    if (isVisible()) repaint();
}

void frmMiniPlayer::SetVolFromMouse(double pixelX)
{
    const double x = PixelsToTwips(pixelX, logicalDpiX()) - kBarLeft;
    if (x < 0) return;
    if (host) host->SetVol(RoundToInt32(std::min(x, kBarWidth) * 32768.0 / kBarWidth));
}

void frmMiniPlayer::mousePressEvent(QMouseEvent* event)
{
    SetVolFromMouse(event->position().x());
}

void frmMiniPlayer::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() != Qt::NoButton) SetVolFromMouse(event->position().x());
}

void frmMiniPlayer::ShowSpectrum(const QVector<float>& heights)
{
    Picture2->SetHeights(heights);
}

void frmMiniPlayer::ClearSpectrum()
{
    Picture2->Clear();
}

QString DroppedFile(const QMimeData& data)
{
    const QList<QUrl> urls = data.urls();
    return urls.isEmpty() || !urls.first().isLocalFile() ? QString() : urls.first().toLocalFile();
}

void frmMiniPlayer::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedFile(*event->mimeData()).isEmpty()) return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void frmMiniPlayer::dropEvent(QDropEvent* event)
{
    const QString path = DroppedFile(*event->mimeData());
    if (path.isEmpty()) return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    DropFile(path);
}

void frmMiniPlayer::DropFile(const QString& path)
{
    if (const int32_t known = IndexOfFile(path); known >= 0) {
        AddToPlaying(0, known);
        if (host) host->AudioPlay(known);
        return;
    }
    const QString ext = GetFileExtension(path);
    if (ext.contains(QLatin1String("mp3"))) {
        if (!AddFile(Library, path)) {
            MsgBox(kUnplayable, 48);
            return;
        }
        // The category slots learn the new title; queue, view and device list stay.
        auto& sets = Library.ListSets;
        const ListSet queue = sets[PlayingQueue], view = sets[ViewList], sync = sets[SyncList];
        BuildListSets(Library);
        sets[PlayingQueue] = queue;
        sets[ViewList] = view;
        sets[SyncList] = sync;
        const int32_t added = int32_t(Library.Files.size() - 1);
        AddToPlaying(0, added);
        if (host) host->AudioPlay(added);
        return;
    }
    if (ext == QLatin1String("m3u")) {
        if (!AddM3UToPlaylist(0, path)) {
            MsgBox(kUnplayable, 48);
            return;
        }
        if (host) {
            host->Command(QStringLiteral("Audio:Next"));
            host->Command(QStringLiteral("AudioPlaying"));
        }
        return;
    }
    MsgBox(QStringLiteral("Unbekannter Dateityp"), 0);
}

bool frmMiniPlayer::AddM3UToPlaylist(int16_t listIndex, const QString& path)
{
    const QVector<int32_t> titles = ReadM3U(Library, path);
    if (titles.isEmpty()) return false;
    // A -1 head: "Audio:Next" drops it and starts the first listed title.
    QVector<ListEntry>& entries = Library.ListSets[PlayingQueue].Entries;
    if (entries.isEmpty()) entries.append(ListEntry{});
    entries[0].Items = {-1};
    for (const int32_t index : titles) AddToPlaying(listIndex, index);
    return true;
}

// The procedures the main window calls.

void LoadMiniPlayer()
{
    if (IsOn(Settings.ShowMiniPlayer)) frmMiniPlayer::Load();
}

void UnloadMiniPlayer()
{
    frmMiniPlayer::Unload();
}

void MiniPlayerTitle(const QString& titleLine)
{
    if (!IsOn(Settings.ShowMiniPlayer)) return;
    frmMiniPlayer& mini = frmMiniPlayer::Load();
    mini.SetTitleLine(titleLine);
    mini.TitleText = titleLine;
}

void MiniPlayerShowVol(double volume)
{
    if (IsOn(Settings.ShowMiniPlayer)) frmMiniPlayer::Load().ShowVol(volume);
}

void MiniPlayerIdle()
{
    if (IsOn(Settings.ShowMiniPlayer)) frmMiniPlayer::Load().SetTitleLine(kIdleText);
}
