#include "LoudnessMatch.h"

#include "IntegratedLoudness.h"
#include "LoudnessMeter.h"
#include "LoudnessText.h"
#include "RenderError.h"
#include "processor/WydenzaAudioProcessor.h"

#include <cmath>

namespace
{
juce::var optionalJson (const std::optional<double>& value)
{
    return value.has_value() ? juce::var (*value) : juce::var();
}
} // namespace

void LoudnessMatch::measureUntrimmed (WydenzaAudioProcessor& processor, juce::AudioFormatReader& source, Result& result, const std::function<void (double)>& progress)
{
    constexpr int blockSize = FileRenderer::blockSize;
    const auto total = source.lengthInSamples;
    IntegratedLoudness input (source.sampleRate), output (source.sampleRate);

    processor.setRateAndBufferSizeDetails (source.sampleRate, blockSize);
    processor.prepareToPlay (source.sampleRate, blockSize);

    juce::AudioBuffer<float> block (2, blockSize);
    juce::MidiBuffer midi;

    for (juce::int64 start = 0; start < total; start += blockSize)
    {
        const auto num = (int) juce::jmin ((juce::int64) blockSize, total - start);
        if (! source.read (&block, 0, num, start, true, true))
            throw RenderError ("cannot read the samples");

        juce::AudioBuffer<float> frames (block.getArrayOfWritePointers(), 2, 0, num);
        input.addBlock (frames.getReadPointer (0), frames.getReadPointer (1), num);
        processor.processBlock (frames, midi);
        output.addBlock (frames.getReadPointer (0), frames.getReadPointer (1), num);

        if (progress)
            progress ((double) (start + num) / (double) total);
    }

    processor.releaseResources();
    result.inputLufs = input.getLufs();
    result.untrimmedLufs = output.getLufs();
}

LoudnessMatch::Result LoudnessMatch::render (WydenzaAudioProcessor& processor, juce::AudioFormatReader& source, FileRenderer::Request request)
{
    Result result;
    const auto progress = request.progress;
    const auto half = [progress] (double offset)
    {
        return progress ? std::function<void (double)> ([progress, offset] (double share)
                                                        { progress (offset + 0.5 * share); })
                        : std::function<void (double)>();
    };

    measureUntrimmed (processor, source, result, half (0.0));

    if (result.inputLufs.has_value() && result.untrimmedLufs.has_value())
        result.trimDb = *result.inputLufs - *result.untrimmedLufs;

    request.gain = (float) juce::Decibels::decibelsToGain (result.trimDb, -1000.0);
    request.progress = half (0.5);

    // The report's analysis measures the output's loudness anyway; otherwise a meter listens on its own.
    std::unique_ptr<LoudnessMeter> meter;
    if (! request.analysisSplitHz.has_value())
    {
        meter = std::make_unique<LoudnessMeter> (source.sampleRate);
        request.outputTap = [&meter] (const float* left, const float* right, int num)
        { meter->addBlock (left, right, num); };
    }

    result.outcome = FileRenderer (processor).render (source, request);
    result.output = meter != nullptr ? meter->getResult() : result.outcome.output->loudness.value_or (LoudnessResult {});
    return result;
}

juce::String LoudnessMatch::Result::describe() const
{
    return "loudness match: trim " + StereoAnalysisText::decibelText (trimDb, "dB", true) + ", output "
           + LoudnessText::figureText (output.integratedLufs, "LUFS") + " (input " + LoudnessText::figureText (inputLufs, "LUFS") + ", "
           + LoudnessText::figureText (untrimmedLufs, "LUFS") + " before the trim), true peak "
           + LoudnessText::figureText (output.largestTruePeakDbtp(), "dBTP", true);
}

juce::StringArray LoudnessMatch::Result::getWarnings (std::optional<double> truePeakLimitDbtp) const
{
    juce::StringArray warnings;
    const auto trim = StereoAnalysisText::decibelText (trimDb, "dB", true);

    if (! inputLufs.has_value() || ! untrimmedLufs.has_value())
        warnings.add (juce::String ("cannot match the loudness: the ") + (inputLufs.has_value() ? "output" : "input")
                      + " has no loudness reading (silence, or shorter than 400 ms); rendered without a trim");

    const auto peak = juce::jmax (outcome.outputPeakLeft, outcome.outputPeakRight);
    if (trimDb > 0.0 && peak > 1.0f)
        warnings.add ("the trim of " + trim + " takes the output's peak to " + StereoAnalysisText::decibelText (juce::Decibels::gainToDecibels ((double) peak), "dBFS", true)
                      + (outcome.depth.isFloat ? ", above full scale" : ", so it clips") + " (nothing limits it)");

    const auto truePeak = output.largestTruePeakDbtp();
    if (truePeakLimitDbtp.has_value() && truePeak.has_value() && *truePeak > *truePeakLimitDbtp)
        warnings.add ("with the trim of " + trim + " the output's true peak is " + StereoAnalysisText::decibelText (*truePeak, "dBTP", true)
                      + ", above the limit of " + StereoAnalysisText::decibelText (*truePeakLimitDbtp, "dBTP", true) + " (nothing limits it)");

    return warnings;
}

juce::var LoudnessMatch::Result::toJson() const
{
    auto* object = new juce::DynamicObject();
    object->setProperty ("trimDb", trimDb);
    object->setProperty ("inputLufs", optionalJson (inputLufs));
    object->setProperty ("untrimmedLufs", optionalJson (untrimmedLufs));
    object->setProperty ("outputLufs", optionalJson (output.integratedLufs));
    object->setProperty ("truePeakDbtp", optionalJson (output.largestTruePeakDbtp()));
    return juce::var (object);
}
