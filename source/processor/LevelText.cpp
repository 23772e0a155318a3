#include "LevelText.h"

#include <cmath>
#include <cstdio>

juce::String levelToDecibelText (float level)
{
    // Silence, and anything that is no level at all, reads as minus infinity rather than "nan".
    if (! (level > 0.0f) || ! std::isfinite (level))
        return level == std::numeric_limits<float>::infinity() ? "INF" : "-INF";

    char buffer[64];
    std::snprintf (buffer, sizeof (buffer), "%.1f", 20.0 * std::log10 ((double) level));
    return juce::String (buffer);
}
