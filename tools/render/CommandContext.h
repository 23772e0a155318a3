#pragma once

#include "FileRenderer.h"
#include "LoudnessMatch.h"
#include "RenderOptions.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>

class WydenzaAudioProcessor;

/** What the render, analysis and batch commands share: the options, where messages go, how the
    processor is set up and how a file named on the command line is found. */
class CommandContext
{
public:
    explicit CommandContext (const RenderOptions& options);

    const RenderOptions& options;

    /** Where people read messages: standard output, unless it carries JSON for a script. */
    std::ostream& messages() const;

    /** A processor with the preset and settings asked for; when announced, it prints what it applied
        in a form that --set takes back: the preset's changes from the defaults, then each setting. */
    std::unique_ptr<WydenzaAudioProcessor> makeProcessor (const juce::String& presetName, bool announce) const;

    /** A progress line on a terminal's standard error for work that takes more than a second; none for JSON. */
    std::function<void (double)> progressPrinter (const juce::String& label) const;

    /** A render, matched in loudness when asked. */
    FileRenderer::Outcome renderFile (WydenzaAudioProcessor&, juce::AudioFormatReader&, const FileRenderer::Request&, std::optional<LoudnessMatch::Result>& match) const;

    static juce::File fileFromArgument (const juce::String& path);
    static bool sameFile (const juce::File& a, const juce::File& b);
};
