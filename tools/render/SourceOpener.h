#pragma once

#include "FileRenderer.h"

#include <functional>

/**
    Opens an input as a render or an analysis reads it. The format is told from the content, never from the
    name; an encoding the readers do not take is named. A WAV's samples are found where a tolerant reader
    finds them (see AudioDataChunk), an uncompressed file's length is what its data chunk really holds, and
    a FLAC's what really decodes (see FlacFileReader). Every refusal throws RenderError with the cause.
*/
class SourceOpener
{
public:
    /** Opens a fresh stream over the same bytes each time it is called. */
    using StreamSource = std::function<std::unique_ptr<juce::InputStream>()>;

    /** A stereo file: "no such file", "permission denied", "it is a folder" when it cannot be read. */
    static FileRenderer::Source open (const juce::File&);

    /** Any bytes, named in messages by displayName. */
    static FileRenderer::Source open (const juce::String& displayName, const StreamSource&);
};
