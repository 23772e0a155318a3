#include "LoudnessText.h"

#include <functional>

namespace
{
struct Figure
{
    const char* label;
    std::function<std::optional<double> (const LoudnessResult&)> value;
    const char *unit, *changeUnit;
    bool isSigned;
};

/** The EBU R128 ceiling for true peaks. */
constexpr double truePeakCeilingDbtp = -1.0;

const std::vector<Figure>& figures()
{
    static const std::vector<Figure> list {
        { "integrated", [] (auto& r)
          { return r.integratedLufs; },
          "LUFS",
          "LU",
          false },
        { "loudness range", [] (auto& r)
          { return r.rangeLu; },
          "LU",
          "LU",
          false },
        { "max momentary", [] (auto& r)
          { return r.maxMomentaryLufs; },
          "LUFS",
          "LU",
          false },
        { "max short-term", [] (auto& r)
          { return r.maxShortTermLufs; },
          "LUFS",
          "LU",
          false },
        { "true peak L", [] (auto& r)
          { return r.truePeakLeftDbtp; },
          "dBTP",
          "dB",
          true },
        { "true peak R", [] (auto& r)
          { return r.truePeakRightDbtp; },
          "dBTP",
          "dB",
          true },
        { "mono integrated", [] (auto& r)
          { return r.monoIntegratedLufs; },
          "LUFS",
          "LU",
          false },
        { "mono fold-down", [] (auto& r)
          { return r.monoFoldDownLu(); },
          "LU",
          "LU",
          true },
    };
    return list;
}

juce::var optionalJson (const std::optional<double>& value)
{
    return value.has_value() ? juce::var (*value) : juce::var();
}
} // namespace

juce::String LoudnessText::figureText (const std::optional<double>& value, const char* unit, bool signedRatio)
{
    return value.has_value() ? StereoAnalysisText::decibelText (*value, unit, signedRatio) : juce::String (noReading);
}

std::vector<const LoudnessResult*> LoudnessText::of (const std::vector<const StereoAnalysisResult*>& results)
{
    std::vector<const LoudnessResult*> loudness;
    for (const auto* result : results)
        if (result->loudness.has_value())
            loudness.push_back (&*result->loudness);
    return loudness;
}

std::vector<StereoAnalysisText::Row> LoudnessText::makeRows (const std::vector<const LoudnessResult*>& results)
{
    std::vector<StereoAnalysisText::Row> rows;

    for (const auto& figure : figures())
    {
        StereoAnalysisText::Row row { figure.label, {}, {} };
        const auto isTruePeak = juce::String (figure.unit) == "dBTP";

        for (const auto* result : results)
        {
            const auto value = figure.value (*result);
            row.values.add (figureText (value, figure.unit, figure.isSigned));
            row.warnings.add (isTruePeak && value.has_value() && *value > truePeakCeilingDbtp);
        }

        rows.push_back (std::move (row));
    }

    return rows;
}

juce::String LoudnessText::makeTable (const juce::StringArray& columnTitles, const std::vector<const LoudnessResult*>& results)
{
    if (results.empty())
        return {};

    auto rows = makeRows (results);
    auto titles = columnTitles;

    if (results.size() == 2)
    {
        titles.add ("change");

        for (size_t i = 0; i < rows.size(); ++i)
        {
            const auto& figure = figures()[i];
            const auto before = figure.value (*results[0]), after = figure.value (*results[1]);
            rows[i].values.add (before.has_value() && after.has_value() ? StereoAnalysisText::decibelText (*after - *before, figure.changeUnit, true)
                                                                        : juce::String ("n/a"));
        }
    }

    return StereoAnalysisText::layOutColumns (rows, "loudness (EBU R128)", titles, ! columnTitles.isEmpty());
}

juce::var LoudnessText::toJson (const LoudnessResult& r)
{
    auto* truePeak = new juce::DynamicObject();
    truePeak->setProperty ("left", optionalJson (r.truePeakLeftDbtp));
    truePeak->setProperty ("right", optionalJson (r.truePeakRightDbtp));

    auto* object = new juce::DynamicObject();
    object->setProperty ("integratedLufs", optionalJson (r.integratedLufs));
    object->setProperty ("rangeLu", optionalJson (r.rangeLu));
    object->setProperty ("maxMomentaryLufs", optionalJson (r.maxMomentaryLufs));
    object->setProperty ("maxShortTermLufs", optionalJson (r.maxShortTermLufs));
    object->setProperty ("truePeakDbtp", juce::var (truePeak));
    object->setProperty ("monoIntegratedLufs", optionalJson (r.monoIntegratedLufs));
    object->setProperty ("monoFoldDownLu", optionalJson (r.monoFoldDownLu()));
    return juce::var (object);
}
