#pragma once

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
    /** 16, 24 or 32 (float). */
    std::optional<int> bits;
    juce::String outDir;
    /** The extension --format picks, ".wav", ".flac" or ".aiff". */
    juce::String outExtension;

    bool analyze = false, report = false, json = false;
    double splitHz = 120.0;
    juce::String plotPath;

    /** The files named on the command line, in order. */
    juce::StringArray files;

    bool measures() const noexcept { return analyze || report; }
};
