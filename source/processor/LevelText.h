#pragma once

#include <juce_core/juce_core.h>

/** A linear level as decibels with one decimal and no unit, or "-INF" for silence. */
juce::String levelToDecibelText (float level);
