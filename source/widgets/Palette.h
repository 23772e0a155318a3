#pragma once

#include <juce_graphics/juce_graphics.h>

// The plug-in's three own colours, shared by the editor and every widget.

/** Warnings: clipping, bypass, the hovered resize corner. */
inline const juce::Colour paletteOrange { 0xFFFF3500 };

/** Accent: knob arcs, meter bars, switches that are on, highlights. */
inline const juce::Colour paletteBlue { 0xFF086FA1 };

/** Neutral dark grey, the base of switches that are off. */
inline const juce::Colour paletteDarkGrey { 0xFF333333 };
