#pragma once

#include "OutputFormat.h"

#include <juce_core/juce_core.h>

#include <optional>

/** What the command line asks for, checked for combinations that make no sense before any file is
    opened. parse() throws RenderError with the reason. */
class RenderOptions
{
public:
    static RenderOptions parse (const juce::StringArray& args);
    static juce::String getUsage();

    bool help = false;
    bool listPresets = false;

    juce::StringArray settings;
    juce::String presetName;
    /** --bits: 16, 24 or 32-bit float. */
    std::optional<OutputFormat::Depth> bits;
    juce::String outDir;
    /** The extension --format picks, ".wav", ".flac" or ".aiff". */
    juce::String outExtension;
    /** --jobs: how many files of a batch render at once; nothing for one per core. */
    std::optional<int> jobs;

    bool analyze = false, report = false, json = false;
    /** --match-loudness, and the true peak above which it warns (--true-peak-limit), dBTP. */
    bool matchLoudness = false;
    std::optional<double> truePeakLimitDbtp;
    double splitHz = 120.0;
    juce::String plotPath;

    /** The files named on the command line, in order. */
    juce::StringArray files;

    bool measures() const noexcept { return analyze || report; }
};
