#include "StereoAnalysisText.h"

#include "LoudnessText.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace
{
juce::String ratioText (const std::optional<double>& decibels)
{
    return decibels.has_value() ? StereoAnalysisText::decibelText (*decibels, "dB", true) : juce::String ("n/a");
}

juce::String shareText (const std::optional<double>& share)
{
    return share.has_value() ? juce::String (100.0 * *share, 1) + " % of time" : juce::String ("n/a");
}

juce::var decibelJson (double decibels)
{
    if (std::isinf (decibels))
        return decibels < 0.0 ? "-inf" : "+inf";

    return decibels;
}

juce::var optionalJson (const std::optional<double>& value, bool isDecibels)
{
    if (! value.has_value())
        return {};

    return isDecibels ? decibelJson (*value) : juce::var (*value);
}

juce::String hertzText (double hz)
{
    return juce::String (hz, hz == std::floor (hz) ? 0 : 1) + " Hz";
}
} // namespace

juce::String StereoAnalysisText::decibelText (double decibels, const char* unit, bool signedRatio)
{
    if (std::isinf (decibels))
        return juce::String (decibels < 0.0 ? "-inf " : "+inf ") + unit;

    // Never "-0.0": a figure that rounds to zero reads as zero.
    const auto rounded = std::round (decibels * 10.0) / 10.0;
    return (signedRatio && rounded > 0.0 ? "+" : "") + juce::String (rounded == 0.0 ? 0.0 : rounded, 1) + " " + unit;
}

juce::String StereoAnalysisText::correlationText (const std::optional<double>& correlation)
{
    if (! correlation.has_value())
        return "n/a";

    // Never "-0.00": a correlation that rounds to zero reads as zero.
    const auto rounded = std::round (*correlation * 100.0) / 100.0;
    return (rounded > 0.0 ? "+" : "") + juce::String (rounded == 0.0 ? 0.0 : rounded, 2);
}

std::vector<StereoAnalysisText::Row> StereoAnalysisText::makeRows (const std::vector<const StereoAnalysisResult*>& results)
{
    const auto split = results.empty() ? 0.0 : results.front()->splitHz;

    struct Definition
    {
        juce::String label;
        std::function<juce::String (const StereoAnalysisResult&)> text;
        std::function<bool (const StereoAnalysisResult&)> isWarning;
    };

    const auto negative = [] (const std::optional<double>& c)
    { return c.has_value() && *c < 0.0; };
    const auto never = [] (const StereoAnalysisResult&)
    { return false; };

    const std::vector<Definition> definitions {
        { "peak L", [] (auto& r)
          { return decibelText (r.peakLeftDb, "dBFS"); },
          never },
        { "peak R", [] (auto& r)
          { return decibelText (r.peakRightDb, "dBFS"); },
          never },
        { "RMS L", [] (auto& r)
          { return decibelText (r.rmsLeftDb, "dBFS"); },
          never },
        { "RMS R", [] (auto& r)
          { return decibelText (r.rmsRightDb, "dBFS"); },
          never },
        { "balance R-L", [] (auto& r)
          { return ratioText (r.balanceDb); },
          never },
        { "mid RMS", [] (auto& r)
          { return decibelText (r.midRmsDb, "dBFS"); },
          never },
        { "side RMS", [] (auto& r)
          { return decibelText (r.sideRmsDb, "dBFS"); },
          never },
        { "side/mid", [] (auto& r)
          { return ratioText (r.sideToMidDb); },
          never },
        { "correlation", [] (auto& r)
          { return correlationText (r.correlation); },
          [=] (auto& r)
          { return negative (r.correlation); } },
        { "correlation < " + hertzText (split), [] (auto& r)
          { return correlationText (r.correlationLow); },
          [=] (auto& r)
          { return negative (r.correlationLow); } },
        { "correlation > " + hertzText (split), [] (auto& r)
          { return correlationText (r.correlationHigh); },
          [=] (auto& r)
          { return negative (r.correlationHigh); } },
        { "negative correlation", [] (auto& r)
          { return shareText (r.negativeCorrelationShare); },
          never },
        { "mono sum", [] (auto& r)
          { return ratioText (r.monoSumDb); },
          never },
    };

    auto all = definitions;

    // Shown only where there are some, so an ordinary table stays as it was.
    if (std::any_of (results.begin(), results.end(), [] (auto* r)
                     { return r->nonFiniteLeft + r->nonFiniteRight > 0; }))
        all.push_back ({ "non-finite samples", [] (auto& r)
                         { return "L " + juce::String (r.nonFiniteLeft) + ", R " + juce::String (r.nonFiniteRight); },
                         [] (auto& r)
                         { return r.nonFiniteLeft + r.nonFiniteRight > 0; } });

    std::vector<Row> rows;

    for (const auto& d : all)
    {
        Row row { d.label, {}, {} };

        for (const auto* result : results)
        {
            row.values.add (d.text (*result));
            row.warnings.add (d.isWarning (*result));
        }

        rows.push_back (std::move (row));
    }

    return rows;
}

juce::String StereoAnalysisText::layOutColumns (const std::vector<Row>& rows, const juce::String& headingLabel, const juce::StringArray& titles, bool showTitles)
{
    auto labelWidth = headingLabel.length();
    std::vector<int> columnWidths (rows.empty() ? 0 : (size_t) rows.front().values.size(), 0);

    for (size_t i = 0; i < columnWidths.size(); ++i)
        columnWidths[i] = titles[(int) i].length();

    for (const auto& row : rows)
    {
        labelWidth = juce::jmax (labelWidth, row.label.length());

        for (size_t i = 0; i < columnWidths.size(); ++i)
            columnWidths[i] = juce::jmax (columnWidths[i], row.values[(int) i].length());
    }

    const auto line = [&] (const juce::String& label, const juce::StringArray& cells)
    {
        auto text = label.paddedRight (' ', labelWidth);

        for (size_t i = 0; i < columnWidths.size(); ++i)
            text << "   " << cells[(int) i].paddedLeft (' ', columnWidths[i]);

        return text.trimEnd() + "\n";
    };

    auto table = headingLabel.isNotEmpty() || showTitles ? line (headingLabel, showTitles ? titles : juce::StringArray()) : juce::String();

    for (const auto& row : rows)
        table << line (row.label, row.values);

    return table;
}

juce::String StereoAnalysisText::makeTable (const juce::StringArray& columnTitles, const std::vector<const StereoAnalysisResult*>& results)
{
    auto table = layOutColumns (makeRows (results), {}, columnTitles, ! columnTitles.isEmpty());

    if (const auto loudness = LoudnessText::of (results); ! loudness.empty())
        table << "\n"
              << LoudnessText::makeTable (columnTitles, loudness);

    return table;
}

juce::String StereoAnalysisText::describeSignal (const StereoAnalysisResult& r)
{
    return juce::String (r.sampleRate, 0) + " Hz, " + juce::String (r.getSeconds(), 2) + " s";
}

juce::var StereoAnalysisText::toJson (const StereoAnalysisResult& r)
{
    const auto pair = [] (const juce::var& left, const juce::var& right)
    {
        auto* object = new juce::DynamicObject();
        object->setProperty ("left", left);
        object->setProperty ("right", right);
        return juce::var (object);
    };

    auto* correlation = new juce::DynamicObject();
    correlation->setProperty ("all", optionalJson (r.correlation, false));
    correlation->setProperty ("low", optionalJson (r.correlationLow, false));
    correlation->setProperty ("high", optionalJson (r.correlationHigh, false));

    auto* object = new juce::DynamicObject();
    object->setProperty ("sampleRate", r.sampleRate);
    object->setProperty ("seconds", r.getSeconds());
    object->setProperty ("splitHz", r.splitHz);
    object->setProperty ("peakDbfs", pair (decibelJson (r.peakLeftDb), decibelJson (r.peakRightDb)));
    object->setProperty ("rmsDbfs", pair (decibelJson (r.rmsLeftDb), decibelJson (r.rmsRightDb)));
    object->setProperty ("balanceDb", optionalJson (r.balanceDb, true));
    object->setProperty ("midRmsDbfs", decibelJson (r.midRmsDb));
    object->setProperty ("sideRmsDbfs", decibelJson (r.sideRmsDb));
    object->setProperty ("sideToMidDb", optionalJson (r.sideToMidDb, true));
    object->setProperty ("correlation", juce::var (correlation));
    object->setProperty ("negativeCorrelationShare", optionalJson (r.negativeCorrelationShare, false));
    object->setProperty ("monoSumDb", optionalJson (r.monoSumDb, true));
    object->setProperty ("nonFiniteSamples", pair (r.nonFiniteLeft, r.nonFiniteRight));
    if (r.loudness.has_value())
        object->setProperty ("loudness", LoudnessText::toJson (*r.loudness));
    return juce::var (object);
}
