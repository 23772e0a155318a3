// The editor's cost on the message thread: one full paint at two sizes, and an open editor whose meters
// are fed by an audio thread processing noise, as a share of one core over ten seconds, then ten more
// with the signal scope shown. Needs a display (run it under xvfb-run).

#include "editor/MainEditorComponent.h"
#include "editor/SignalScopeReader.h"
#include "editor/WydenzaAudioProcessorEditor.h"
#include "processor/WydenzaAudioProcessor.h"
#include "widgets/StereoComponent.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include <time.h>

// Last: it brings in Xlib.
#include "support/VirtualDesktop.h"

namespace
{
double threadCpuSeconds()
{
    timespec t {};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
    return (double) t.tv_sec + (double) t.tv_nsec * 1.0e-9;
}

std::unique_ptr<WydenzaAudioProcessorEditor> openEditor (WydenzaAudioProcessor& processor, int height)
{
    processor.lastEditorHeight = height;
    std::unique_ptr<WydenzaAudioProcessorEditor> editor (dynamic_cast<WydenzaAudioProcessorEditor*> (processor.createEditorIfNeeded()));
    return editor;
}

void fullPaint (benchmark::State& state)
{
    const auto height = (int) state.range (0);
    const auto keptBackground = state.range (1) != 0;
    WydenzaAudioProcessor processor;
    auto editor = openEditor (processor, height);
    editor->getMainPanel()->setBackgroundCacheEnabled (keptBackground);
    juce::Image image (juce::Image::ARGB, editor->getWidth(), editor->getHeight(), true, juce::SoftwareImageType());

    for (auto _ : state)
    {
        juce::Graphics g (image);
        editor->paintEntireComponent (g, false);
        benchmark::DoNotOptimize (image.getPixelAt (1, 1));
    }

    state.SetLabel (juce::String (editor->getWidth()).toStdString() + "x" + std::to_string (height) + (keptBackground ? ", kept background" : ", background drawn afresh"));
}

/** What the scope's timer repaints: the stereo field of an 810x540 editor, as the window paints it (the
    panel behind it included), without (0) and with (1) the scope showing 80 ms of noise.
*/
void stereoFieldPaint (benchmark::State& state)
{
    WydenzaAudioProcessor processor;
    auto editor = openEditor (processor, 540);
    auto& field = editor->getMainPanel()->getStereoField();

    if (state.range (0) != 0)
    {
        std::mt19937 rng (3);
        std::normal_distribution<float> noise (0.0f, 0.2f);
        std::vector<float> left (3840), right (3840);

        for (size_t i = 0; i < left.size(); ++i)
        {
            left[i] = noise (rng);
            right[i] = 0.5f * left[i] + noise (rng);
        }

        field.setScopeShown (true);
        field.getScope().addFrames (left.data(), right.data(), (int) left.size(), 48000.0);
        field.getScope().setCorrelation (0.4f);
    }

    juce::Image image (juce::Image::ARGB, editor->getWidth(), editor->getHeight(), true, juce::SoftwareImageType());
    const auto area = editor->getLocalArea (&field, field.getLocalBounds());

    for (auto _ : state)
    {
        juce::Graphics g (image);
        g.reduceClipRegion (area);
        editor->paintEntireComponent (g, false);
        benchmark::DoNotOptimize (image.getPixelAt (area.getCentreX(), area.getCentreY()));
    }
}

/** An audio thread running 512-frame blocks of noise in real time while the editor is open on screen: ten
    seconds as it opens, ten with the signal scope shown. Both run in one message loop, which the framework
    lets a process run only once.
*/
void openEditorWithMeters (benchmark::State& state)
{
    constexpr auto seconds = 10;
    WydenzaAudioProcessor processor;
    processor.setRateAndBufferSizeDetails (48000.0, 512);
    processor.prepareToPlay (48000.0, 512);

    auto editor = openEditor (processor, 540);
    editor->addToDesktop (juce::ComponentPeer::windowHasTitleBar);
    editor->setVisible (true);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (200);

    for (auto _ : state)
    {
        std::atomic<bool> stop { false };
        std::thread audio ([&]
                           {
                               std::mt19937 rng (7);
                               std::uniform_real_distribution<float> noise (-0.7f, 0.7f);
                               juce::AudioBuffer<float> buffer (2, 512);
                               juce::MidiBuffer midi;
                               auto next = std::chrono::steady_clock::now();

                               while (! stop.load())
                               {
                                   for (auto ch = 0; ch < 2; ++ch)
                                       for (auto i = 0; i < 512; ++i)
                                           buffer.setSample (ch, i, noise (rng));

                                   processor.processBlock (buffer, midi);
                                   next += std::chrono::microseconds (10667);
                                   std::this_thread::sleep_until (next);
                               } });

        // Message-thread CPU and wall-clock seconds at the start, at the switch and at the end.
        double cpuAt[3] {}, wallAt[3] {};
        const auto mark = [&] (int i)
        {
            cpuAt[i] = threadCpuSeconds();
            wallAt[i] = juce::Time::getMillisecondCounterHiRes() * 0.001;
        };

        mark (0);
        // Shown without storing it in the user's settings.
        juce::Timer::callAfterDelay (seconds * 1000, [&]
                                     { mark (1); editor->getSignalScopeReader().setShown (true); });
        // A host's message loop blocks until there is work (runDispatchLoopUntil would poll every millisecond).
        juce::Timer::callAfterDelay (2 * seconds * 1000, [&]
                                     { mark (2); juce::MessageManager::getInstance()->stopDispatchLoop(); });
        juce::MessageManager::getInstance()->runDispatchLoop();
        stop.store (true);
        audio.join();
        editor->getSignalScopeReader().setShown (false);

        state.SetIterationTime (cpuAt[1] - cpuAt[0]);
        state.counters["core_share_percent"] = 100.0 * (cpuAt[1] - cpuAt[0]) / (wallAt[1] - wallAt[0]);
        state.counters["scope_core_share_percent"] = 100.0 * (cpuAt[2] - cpuAt[1]) / (wallAt[2] - wallAt[1]);
    }

    state.SetLabel ("810x540 on screen, meters fed every 70 ms, then also the signal scope at 30 Hz; time = message-thread CPU over the first 10 s");
}
} // namespace

BENCHMARK (fullPaint)->ArgsProduct ({ { 540, 864 }, { 1, 0 } })->Unit (benchmark::kMicrosecond);
BENCHMARK (stereoFieldPaint)->Arg (0)->Arg (1)->Unit (benchmark::kMicrosecond);
BENCHMARK (openEditorWithMeters)->Iterations (1)->UseManualTime()->Unit (benchmark::kMillisecond);

int main (int argc, char** argv)
{
    auto* atomsConnection = testsupport::createDesktopAtoms();

    {
        juce::ScopedJuceInitialiser_GUI juce;
        benchmark::Initialize (&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }

    if (atomsConnection != nullptr)
        XCloseDisplay (atomsConnection);

    return 0;
}
