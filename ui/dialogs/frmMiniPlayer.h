// The mini player: a borderless strip at the top centre of the screen that
// shows the title playing, the volume after a change, three buttons while
// Ctrl is held with the pointer at the top, sets the volume by click or drag,
// and plays files dropped on it. One instance, made on first use.
#pragma once

#include <QString>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;
class QMimeData;
class SpectrumBox;
class GlyphHoverButton;

// What the strip needs of the main window.
class MiniPlayerHost {
public:
    virtual ~MiniPlayerHost() = default;
    virtual bool Command(const QString& command) = 0;
    virtual void AudioPlay(int32_t index) = 0;
    virtual void SetVol(int32_t volume) = 0;
    virtual void ToggleTray() = 0;
};
// Not owned; nullptr leaves the strip's actions without effect.
void SetMiniPlayerHost(MiniPlayerHost* host);

// What the visibility tick reads, 20 times a second.
struct MiniPlayerInput {
    int PointerY = 0;                // pixels below the top of the pointer's screen
    bool Ctrl = false;               // Ctrl held
    bool OtherWindowActive = false;  // another window of the program is active
};
using MiniPlayerInputSource = std::function<MiniPlayerInput(const QWidget& strip)>;
// An empty function restores the desktop's own reading.
void SetMiniPlayerInputSource(MiniPlayerInputSource source);

// The file a drop hands over: the first of its file list when that is a local
// file, else "" (text and other data are not taken).
QString DroppedFile(const QMimeData& data);

class frmMiniPlayer : public QWidget {
public:
    enum class View { Title, Volume, Controls };
    static constexpr int kSpectrumBars = 100;

    // The loaded instance, or nullptr; Load makes it (not shown: Timer1 shows it).
    static frmMiniPlayer* Loaded();
    static frmMiniPlayer& Load();
    static void Unload();

    void SetTitleLine(const QString& line);
    // The volume view for a second; vol 0..32768, below 0 ignored.
    void ShowVol(double vol);
    // Reads an M3U file into the now-playing queue; false, nothing changed,
    // when it lists no title that could be queued.
    bool AddM3UToPlaylist(int16_t listIndex, const QString& path);
    // What a drop of this file does.
    void DropFile(const QString& path);

    // Bars of the spectrum display under the labels (fractions of the height).
    void ShowSpectrum(const QVector<float>& heights);
    void ClearSpectrum();

    // The timers' handlers.
    void Timer1_Timer();
    void Timer2_Timer();

    View CurrentView() const { return view_; }
    QString TitleText;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    frmMiniPlayer();
    int Px(double twips) const;
    void ShowView(View view);
    void SetVolFromMouse(double pixelX);

    SpectrumBox* Picture2;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QWidget* Shape1;
    GlyphHoverButton* hlbPause;
    GlyphHoverButton* hlbNext;
    GlyphHoverButton* hlbShow;
    QTimer Timer1{this};
    QTimer Timer2{this};
    View view_ = View::Title;
};
