#include "ReportEntry.h"

#include "OutputFormat.h"
#include "StereoAnalysisText.h"

namespace
{
juce::var countsJson (const FileRenderer::ChannelCounts& counts)
{
    auto* object = new juce::DynamicObject();
    object->setProperty ("left", counts[0]);
    object->setProperty ("right", counts[1]);
    return juce::var (object);
}

juce::var warningsJson (const juce::StringArray& warnings)
{
    juce::Array<juce::var> list;
    for (const auto& warning : warnings)
        list.add (warning);
    return list;
}
} // namespace

juce::var ReportEntry::toJson() const
{
    auto* object = new juce::DynamicObject();
    object->setProperty (nameKey, name);

    if (output.isNotEmpty())
        object->setProperty ("output", output);

    if (analysis != nullptr)
        object->setProperty ("analysis", StereoAnalysisText::toJson (*analysis));

    if (outcome != nullptr)
    {
        object->setProperty ("bits", outcome->depth.isFloat ? juce::var (OutputFormat::nameOf (outcome->depth)) : juce::var (outcome->depth.bits));
        object->setProperty ("dither", outcome->dithered);
        object->setProperty (outcome->depth.isFloat ? "samplesAboveFullScale" : "clippedSamples", countsJson (outcome->clipped));
        object->setProperty ("nonFiniteOutputSamples", countsJson (outcome->outputNonFinite));
    }

    if (analysis != nullptr || outcome != nullptr)
        object->setProperty ("warnings", warningsJson (warnings));

    if (outcome != nullptr && outcome->input.has_value())
    {
        object->setProperty ("before", StereoAnalysisText::toJson (*outcome->input));
        object->setProperty ("after", StereoAnalysisText::toJson (*outcome->output));
    }

    if (! loudnessMatch.isVoid())
        object->setProperty ("loudnessMatch", loudnessMatch);

    if (error.isNotEmpty())
        object->setProperty ("error", error);

    return juce::var (object);
}
