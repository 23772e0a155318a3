#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

class CommandContext;

/** Every input into --out-dir, on as many threads as --jobs asks; a file that fails does not stop the
    others, and each file's lines are printed whole when it is done. */
class BatchRenderCommand
{
public:
    /** The exit status: 0, or 1 when any file failed. Throws RenderError where no file could start. */
    static int run (const CommandContext&, juce::AudioFormatManager&);
};
