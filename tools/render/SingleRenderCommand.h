#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

class CommandContext;

/** One input to one output, or the built-in demo mix when no files are named, with the summary, the
    report and the plot asked for. Throws RenderError where nothing could be rendered. */
class SingleRenderCommand
{
public:
    /** The exit status: 0, or 1 when the render succeeded but its plot could not be written. */
    static int run (const CommandContext&, juce::AudioFormatManager&);
};
