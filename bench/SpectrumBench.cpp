// The spectrum display's share of the 10 ms audio tick.
//
//   bench/run SpectrumBench
//
// Offline backend at 48 kHz, a 1 kHz tone playing. Per tick a 480-frame block
// is rendered (not counted), then DrawSpectrum with both boxes shown and every
// switch on, and both boxes repainted: the transform of both channels, the
// bars and the painting together, in microseconds per tick.
#include "audio/EngineAccess.h"
#include "audio/fmodAudio.h"
#include "core/Settings.h"
#include "core/Units.h"
#include "sound/System.h"
#include "tests/support/AudioFixtures.h"
#include "ui/dialogs/frmMiniPlayer.h"
#include "ui/main/OtherWindows.h"
#include "ui/main/Spectrum.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kBlock = 480;

void Tick(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString tone = dir.filePath("tone.wav");
    if (!MakeToneFile(tone, FixtureFormat::Wav, 30.0, 1000.0, kRate, 2)) {
        state.SkipWithError("no tone file");
        return;
    }
    SetAudioOutput({snd::OutputConfig::Kind::Offline, kRate, kBlock});
    InitAudio();
    Settings.ShowMiniPlayer = Settings.SpectrumInMini = Settings.SpectrumInMain = SwitchOn;
    QWidget main;
    QWidget* picture1 = new QWidget(&main);
    picture1->setGeometry(0, 0, TwipsToPixels(9615), TwipsToPixels(1095));
    main.resize(picture1->size());
    AttachSpectrum(picture1);
    SetSpectrumForegroundSource([] { return true; });
    main.show();
    LoadMiniPlayer();
    QWidget* mini = frmMiniPlayer::Loaded();
    mini->show();
    PlayFile(tone, 0, 1, 0, 0, 32768);
    UpdateFades();

    std::vector<float> block(size_t(kBlock) * 2);
    int64_t rendered = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (rendered >= int64_t(kRate) * 29) {  // start again before the tone ends
            PlayFile(tone, 0, 1, 0, 0, 32768);
            rendered = 0;
        }
        AudioSystem()->Render(block.data(), kBlock);
        rendered += kBlock;
        state.ResumeTiming();
        DrawSpectrum();
        picture1->repaint();
        mini->repaint();
    }
    UnloadMiniPlayer();
    SetSpectrumForegroundSource({});
    CloseAudio();
}

} // namespace

BENCHMARK(Tick)->Unit(benchmark::kMicrosecond)->UseRealTime();
