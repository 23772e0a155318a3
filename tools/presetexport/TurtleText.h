#pragma once

#include <juce_core/juce_core.h>

/** What the LV2 bundle's Turtle writers share. */
namespace TurtleText
{
/** A Turtle string literal: quoted, with backslashes and quotes escaped. */
juce::String quoted (const juce::String& text);

/** Writes the file through a temporary one and an atomic replace; an error message, or empty on success. */
juce::String replaceFile (const juce::File& file, const juce::String& text);
} // namespace TurtleText
