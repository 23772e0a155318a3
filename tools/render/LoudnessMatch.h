#pragma once

#include "FileRenderer.h"

/**
    Renders matched in loudness, in two passes over the input. The first runs it through the processor
    without writing anything and measures the integrated loudness of input and output; the second renders
    with the trim that gives the output the input's integrated loudness, applied after the processor and
    before the rounding to the output's format. Nothing limits the trimmed output: where it clips or passes
    the true peak limit, the warnings say so.
*/
class LoudnessMatch
{
public:
    struct Result
    {
        FileRenderer::Outcome outcome;
        /** First pass, LUFS: the input, and the output before the trim. */
        std::optional<double> inputLufs, untrimmedLufs;
        /** dB; 0 when either loudness has no reading. */
        double trimDb = 0.0;
        /** The output as written (after the trim, before the rounding). */
        LoudnessResult output;

        /** "trim -1.8 dB: output -14.2 LUFS (input -14.2 LUFS, -12.4 LUFS before the trim), true peak -0.3 dBTP" */
        juce::String describe() const;
        /** Why the match failed, or what the trim did that the user should know. */
        juce::StringArray getWarnings (std::optional<double> truePeakLimitDbtp) const;
        juce::var toJson() const;
    };

    /** Both passes; request.progress hears of both, the first pass as its first half. */
    static Result render (WydenzaAudioProcessor&, juce::AudioFormatReader& source, FileRenderer::Request request);

private:
    static void measureUntrimmed (WydenzaAudioProcessor&, juce::AudioFormatReader& source, Result&, const std::function<void (double)>& progress);
};
