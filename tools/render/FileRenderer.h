#pragma once

#include "OutputFormat.h"
#include "StereoAnalysisResult.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <array>
#include <functional>
#include <optional>

class WydenzaAudioProcessor;

/**
    Streams a stereo source through the processor block by block into a new file, written beside its
    target and moved over it only when complete, and measures the stereo image on both sides when asked.
    Every failure throws RenderError, before the target is touched.
*/
class FileRenderer
{
public:
    static constexpr int blockSize = 512;

    /** An opened stereo file, the length its header claims and what could not be decoded. */
    struct Source
    {
        std::unique_ptr<juce::AudioFormatReader> reader;
        juce::int64 claimedFrames = 0;
        /** Frames inside the length that could not be decoded (a damaged FLAC); they are silence. */
        juce::int64 damagedFrames = 0;
        /** Lossy (Ogg Vorbis): decoded to float, with no bit depth of its own. */
        bool isLossy = false;

        bool isCutShort() const noexcept { return claimedFrames > reader->lengthInSamples; }
        /** "cut short: N of M frames" */
        juce::String describeCut() const;
        /** "24-bit", "Ogg Vorbis, lossy, decoded to float" */
        juce::String describeSamples() const;
        /** The cut and the damage, for a render (the rest "is not rendered") or an analysis. */
        juce::StringArray describeProblems (bool rendering) const;
    };

    struct Request
    {
        juce::File target;
        juce::AudioFormat* format = nullptr;
        /** --bits; otherwise the source's depth where the format holds it. */
        std::optional<OutputFormat::Depth> bits;
        /** Measure input and output, with this crossover. */
        std::optional<double> analysisSplitHz;
        /** Called now and then with the share done, from 0 to 1. */
        std::function<void (double)> progress;
        /** A trim after the processor, linear. */
        float gain = 1.0f;
        /** Hears each block of the output as written, after the trim and before the rounding. */
        std::function<void (const float* left, const float* right, int numSamples)> outputTap;
    };

    using ChannelCounts = std::array<juce::int64, 2>;

    struct Outcome
    {
        OutputFormat::Depth depth;
        bool dithered = false;
        /** Peaks of the finite samples. */
        float inputPeakLeft = 0.0f, inputPeakRight = 0.0f, outputPeakLeft = 0.0f, outputPeakRight = 0.0f;
        ChannelCounts inputNonFinite {}, outputNonFinite {};
        /** Samples the integer output clipped, or float samples beyond full scale. */
        ChannelCounts clipped {};
        std::optional<StereoAnalysisResult> input, output;
    };

    explicit FileRenderer (WydenzaAudioProcessor&);

    /** Renders all of the source's lengthInSamples frames. */
    Outcome render (juce::AudioFormatReader& source, const Request&);

    /** A stereo file at a usable sample rate (see SourceOpener). */
    static Source openStereoFile (const juce::File&);

    /** The stereo image of a whole source, and its loudness unless told not to. */
    static StereoAnalysisResult analyse (juce::AudioFormatReader& source, double splitHz, const std::function<void (double)>& progress = {}, bool measureLoudness = true);

    /** Throws when the crossover would not lie below half the sample rate. */
    static void checkSplit (double splitHz, double sampleRate);

private:
    WydenzaAudioProcessor& processor;
};
