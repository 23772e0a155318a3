#pragma once

#include "FileRenderer.h"
#include "StereoAnalysisResult.h"

#include <juce_core/juce_core.h>

/** One file's entry in the JSON output, and the one place such entries are built: the file, what was
    measured or rendered, its warnings and, when it failed, the error (also after a partial success, such
    as a render whose plot could not be written). */
class ReportEntry
{
public:
    /** "file" for --analyze, "input" for a render. */
    const char* nameKey = "file";
    juce::String name, output;
    const StereoAnalysisResult* analysis = nullptr;
    const FileRenderer::Outcome* outcome = nullptr;
    juce::StringArray warnings;
    juce::String error;
    /** With --match-loudness: the trim and the figures around it. */
    juce::var loudnessMatch;

    juce::var toJson() const;
};
