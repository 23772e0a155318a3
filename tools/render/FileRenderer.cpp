#include "FileRenderer.h"

#include "Integer32Writer.h"
#include "OutputFile.h"
#include "OutputRounding.h"
#include "RenderError.h"
#include "SourceOpener.h"
#include "StereoAnalysis.h"
#include "processor/WydenzaAudioProcessor.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include <immintrin.h>

namespace
{
/** Reads frames [start, start + num) of a stereo source into the first num frames of block. */
void readBlock (juce::AudioFormatReader& source, juce::AudioBuffer<float>& block, juce::int64 start, int num)
{
    if (! source.read (&block, 0, num, start, true, true))
        throw RenderError ("cannot read the samples");
}

/** Raises the peak with the finite samples and counts the others; four at a time, since it runs over
    every sample twice. */
void scanChannel (const float* samples, int num, float& peak, juce::int64& nonFinite)
{
    const auto magnitudeMask = _mm_castsi128_ps (_mm_set1_epi32 (0x7fffffff));
    const auto largestFinite = _mm_set1_ps (std::numeric_limits<float>::max());
    auto peaks = _mm_set1_ps (peak);
    auto bad = _mm_setzero_si128();
    int i = 0;

    for (; i + 4 <= num; i += 4)
    {
        const auto magnitudes = _mm_and_ps (_mm_loadu_ps (samples + i), magnitudeMask);
        // Comparisons with NaN are false: "not above the largest" holds for the finite ones alone.
        const auto isFinite = _mm_cmple_ps (magnitudes, largestFinite);
        peaks = _mm_max_ps (peaks, _mm_and_ps (magnitudes, isFinite));
        bad = _mm_sub_epi32 (bad, _mm_castps_si128 (_mm_cmpnle_ps (magnitudes, largestFinite)));
    }

    alignas (16) float peakLanes[4];
    alignas (16) std::int32_t badLanes[4];
    _mm_store_ps (peakLanes, peaks);
    _mm_store_si128 (reinterpret_cast<__m128i*> (badLanes), bad);

    peak = juce::jmax (juce::jmax (peakLanes[0], peakLanes[1]), juce::jmax (peakLanes[2], peakLanes[3]));
    nonFinite += (juce::int64) badLanes[0] + badLanes[1] + badLanes[2] + badLanes[3];

    for (; i < num; ++i)
    {
        if (std::isfinite (samples[i]))
            peak = juce::jmax (peak, std::abs (samples[i]));
        else
            ++nonFinite;
    }
}

std::unique_ptr<juce::AudioFormatWriter> makeWriter (juce::AudioFormat& format, std::unique_ptr<juce::OutputStream>& stream, double sampleRate, OutputFormat::Depth depth, const juce::StringPairArray& metadata)
{
    std::unique_ptr<juce::AudioFormatWriter> writer;

    if (depth == OutputFormat::Depth { 32, false })
    {
        const auto container = dynamic_cast<juce::WavAudioFormat*> (&format) != nullptr ? Integer32Writer::Container::wav : Integer32Writer::Container::aiff;
        writer = std::make_unique<Integer32Writer> (stream.get(), sampleRate, container);
    }
    else
    {
        // FLAC's own default compression; the other formats have no such choice.
        const auto quality = format.getQualityOptions().size() > 5 ? 5 : 0;
        writer.reset (format.createWriterFor (stream.get(), sampleRate, 2, depth.bits, metadata, quality));
    }

    if (writer != nullptr)
        stream.release();

    return writer;
}
} // namespace

FileRenderer::FileRenderer (WydenzaAudioProcessor& p) : processor (p)
{
}

juce::String FileRenderer::Source::describeCut() const
{
    return "cut short: " + juce::String (reader->lengthInSamples) + " of " + juce::String (claimedFrames) + " frames";
}

juce::String FileRenderer::Source::describeSamples() const
{
    return isLossy ? juce::String ("lossy, decoded to float") : OutputFormat::describeBitDepth (OutputFormat::depthOf (*reader));
}

juce::StringArray FileRenderer::Source::describeProblems (bool rendering) const
{
    juce::StringArray problems;

    if (isCutShort())
        problems.add (describeCut() + " (the header claims more audio than the file holds" + (rendering ? "; the rest is not rendered)" : ")"));

    if (damagedFrames > 0)
        problems.add ("damaged: " + juce::String (damagedFrames) + " frames could not be decoded" + (rendering ? " (rendered as silence, so that what follows keeps its time)" : " (left as silence)"));

    return problems;
}

void FileRenderer::checkSplit (double splitHz, double sampleRate)
{
    if (! (splitHz < 0.5 * sampleRate))
        throw RenderError ("the split at " + juce::String (splitHz) + " Hz is not below half the sample rate ("
                           + juce::String (sampleRate) + " Hz)");
}

FileRenderer::Source FileRenderer::openStereoFile (const juce::File& file)
{
    return SourceOpener::open (file);
}

StereoAnalysisResult FileRenderer::analyse (juce::AudioFormatReader& source, double splitHz, const std::function<void (double)>& progress, bool measureLoudness)
{
    checkSplit (splitHz, source.sampleRate);
    StereoAnalysis analysis (source.sampleRate, splitHz, measureLoudness);
    juce::AudioBuffer<float> block (2, blockSize);

    for (juce::int64 start = 0; start < source.lengthInSamples; start += blockSize)
    {
        const auto num = (int) juce::jmin ((juce::int64) blockSize, source.lengthInSamples - start);
        readBlock (source, block, start, num);
        analysis.addBlock (block.getReadPointer (0), block.getReadPointer (1), num);

        if (progress)
            progress ((double) (start + num) / (double) source.lengthInSamples);
    }

    return analysis.getResult();
}

FileRenderer::Outcome FileRenderer::render (juce::AudioFormatReader& source, const Request& request)
{
    jassert (request.format != nullptr);
    const auto sampleRate = source.sampleRate;
    const auto total = source.lengthInSamples;

    Outcome outcome;
    outcome.depth = OutputFormat::chooseBitDepth (*request.format, OutputFormat::depthOf (source), request.bits);

    std::optional<StereoAnalysis> inputAnalysis, outputAnalysis;

    if (request.analysisSplitHz.has_value())
    {
        checkSplit (*request.analysisSplitHz, sampleRate);
        inputAnalysis.emplace (sampleRate, *request.analysisSplitHz);
        outputAnalysis.emplace (sampleRate, *request.analysisSplitHz);
    }

    OutputFile file (request.target);
    auto stream = file.takeStream();
    auto writer = makeWriter (*request.format, stream, sampleRate, outcome.depth, source.metadataValues);

    if (writer == nullptr)
        throw RenderError ("cannot write " + request.format->getFormatName() + " with " + OutputFormat::describeBitDepth (outcome.depth) + " samples");

    OutputRounding rounding (outcome.depth);
    outcome.dithered = rounding.dithers();

    processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor.prepareToPlay (sampleRate, blockSize);

    juce::AudioBuffer<float> block (2, blockSize);
    std::vector<int> left (blockSize), right (blockSize);
    int* integers[] = { left.data(), right.data(), nullptr };
    juce::MidiBuffer midi;

    for (juce::int64 start = 0; start < total; start += blockSize)
    {
        const auto num = (int) juce::jmin ((juce::int64) blockSize, total - start);
        readBlock (source, block, start, num);
        juce::AudioBuffer<float> frames (block.getArrayOfWritePointers(), 2, 0, num);

        scanChannel (frames.getReadPointer (0), num, outcome.inputPeakLeft, outcome.inputNonFinite[0]);
        scanChannel (frames.getReadPointer (1), num, outcome.inputPeakRight, outcome.inputNonFinite[1]);
        if (inputAnalysis)
            inputAnalysis->addBlock (frames.getReadPointer (0), frames.getReadPointer (1), num);

        processor.processBlock (frames, midi);

        if (request.gain != 1.0f)
            frames.applyGain (request.gain);

        juce::int64 uncounted = 0;
        scanChannel (frames.getReadPointer (0), num, outcome.outputPeakLeft, uncounted);
        scanChannel (frames.getReadPointer (1), num, outcome.outputPeakRight, uncounted);
        if (outputAnalysis)
            outputAnalysis->addBlock (frames.getReadPointer (0), frames.getReadPointer (1), num);
        if (request.outputTap)
            request.outputTap (frames.getReadPointer (0), frames.getReadPointer (1), num);

        rounding.apply (frames, num, integers);

        const auto written = rounding.writesIntegers() ? writer->write (const_cast<const int**> (integers), num)
                                                       : writer->writeFromAudioSampleBuffer (frames, 0, num);
        if (! written)
        {
            file.throwIfFailed();
            throw RenderError ("cannot write " + request.target.getFullPathName() + ": the format cannot hold so many samples");
        }

        if (request.progress)
            request.progress ((double) (start + num) / (double) total);
    }

    processor.releaseResources();

    writer.reset(); // completes the header
    file.commit();

    outcome.outputNonFinite = rounding.getNonFinite();
    outcome.clipped = rounding.getClipped();

    if (inputAnalysis)
    {
        outcome.input = inputAnalysis->getResult();
        outcome.output = outputAnalysis->getResult();
    }

    return outcome;
}
