#include "AnalysisPlot.h"

#include "LoudnessText.h"
#include "StereoAnalysisText.h"
#include "widgets/Palette.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <cmath>

namespace
{
constexpr int margin = 16;

const juce::Colour backgroundColour = paletteDarkGrey.darker (0.8f);
const juce::Colour panelColour = paletteDarkGrey;
const juce::Colour plotColour = paletteDarkGrey.darker (1.2f);
const juce::Colour gridColour { 0xFF5A5A5A };
const juce::Colour labelColour { 0xFFBBBBBB };
const juce::Colour textColour = juce::Colours::white;
const juce::Colour positiveColour = paletteBlue.brighter (0.3f);
} // namespace

AnalysisPlot::AnalysisPlot (juce::String plotTitle, std::vector<Panel> plotPanels)
    : title (std::move (plotTitle)), panels (std::move (plotPanels))
{
}

juce::Colour AnalysisPlot::getCloudColour()
{
    return paletteBlue.brighter (0.5f);
}

AnalysisPlot::PanelLayout AnalysisPlot::layOut (size_t panelIndex) const
{
    const auto count = juce::jmax (1, (int) panels.size());
    const auto top = 60;
    const auto panelWidth = (width - 2 * margin - (count - 1) * margin) / count;

    PanelLayout layout;
    layout.panel = { margin + (int) panelIndex * (panelWidth + margin), top, panelWidth, height - top - margin };

    auto inner = layout.panel.reduced (12);
    layout.heading = inner.removeFromTop (30);
    inner.removeFromTop (10);

    const auto hasLoudness = std::any_of (panels.begin(), panels.end(), [] (const Panel& p)
                                          { return p.result.loudness.has_value(); });
    auto upper = inner.removeFromTop (hasLoudness ? 300 : 330);
    auto size = juce::jmin (upper.getHeight(), (int) (0.55 * upper.getWidth()));
    size -= 1 - size % 2;
    // On a wide panel the goniometer and its figures stay together in the middle.
    const auto figuresWidth = juce::jmin (upper.getWidth() - size - 16, 400);
    upper.removeFromLeft ((upper.getWidth() - size - 16 - figuresWidth) / 2);
    layout.goniometer = upper.removeFromLeft (size).withSizeKeepingCentre (size, size);
    upper.removeFromLeft (16);
    layout.figures = upper.removeFromLeft (figuresWidth);

    if (hasLoudness)
    {
        // Under the goniometer and the figures, in two columns of four lines where the panel is narrow.
        inner.removeFromTop (8);
        layout.loudness = inner.removeFromTop (84).withLeft (layout.goniometer.getX()).withRight (layout.figures.getRight());
    }

    inner.removeFromTop (14);
    layout.strip = inner;
    return layout;
}

juce::Rectangle<int> AnalysisPlot::getGoniometerBounds (size_t panelIndex) const
{
    return layOut (panelIndex).goniometer;
}

juce::Image AnalysisPlot::draw() const
{
    juce::Image image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.fillAll (backgroundColour);

    g.setColour (textColour);
    g.setFont (font (32.0f));
    g.drawText ("WYDENZA", margin, 12, 160, 40, juce::Justification::centredLeft);
    g.setColour (labelColour);
    g.setFont (font (24.0f));
    g.drawFittedText (title, margin + 160, 12, width - 2 * margin - 160, 40, juce::Justification::centredLeft, 1, 0.8f);

    for (size_t i = 0; i < panels.size(); ++i)
        drawPanel (g, panels[i], layOut (i));

    return image;
}

void AnalysisPlot::drawPanel (juce::Graphics& g, const Panel& panel, const PanelLayout& layout) const
{
    g.setColour (panelColour);
    g.fillRoundedRectangle (layout.panel.toFloat(), 6.0f);

    g.setColour (textColour);
    g.setFont (font (26.0f));
    g.drawFittedText (panel.heading, layout.heading.withTrimmedRight (200), juce::Justification::centredLeft, 1, 0.7f);
    g.setColour (labelColour);
    g.setFont (font (20.0f));
    g.drawText (StereoAnalysisText::describeSignal (panel.result), layout.heading.withTrimmedLeft (layout.heading.getWidth() - 200), juce::Justification::centredRight);

    drawGoniometer (g, panel.result, layout.goniometer);
    drawFigures (g, panel.result, layout.figures);
    if (panel.result.loudness.has_value())
        drawLoudness (g, *panel.result.loudness, layout.loudness);
    drawCorrelationStrip (g, panel.result, layout.strip);
}

void AnalysisPlot::drawGoniometer (juce::Graphics& g, const StereoAnalysisResult& result, juce::Rectangle<int> area) const
{
    g.setColour (plotColour);
    g.fillRect (area);

    const auto half = area.getWidth() / 2;
    const auto cx = area.getX() + half, cy = area.getY() + half;
    const auto radius = half - 4;
    const auto fcx = (float) cx + 0.5f, fcy = (float) cy + 0.5f, fr = (float) radius;

    // The axes: mid up, side across, each channel alone along a diagonal; the diamond is where either
    // channel reaches the peak.
    g.setColour (gridColour);
    g.drawVerticalLine (cx, (float) area.getY(), (float) area.getBottom());
    g.drawHorizontalLine (cy, (float) area.getX(), (float) area.getRight());
    g.drawLine (fcx - fr, fcy - fr, fcx + fr, fcy + fr, 1.0f);
    g.drawLine (fcx + fr, fcy - fr, fcx - fr, fcy + fr, 1.0f);
    juce::Path diamond;
    diamond.addQuadrilateral (fcx, fcy - fr, fcx + fr, fcy, fcx, fcy + fr, fcx - fr, fcy);
    g.strokePath (diamond, juce::PathStrokeType (1.0f));

    g.setColour (labelColour);
    g.setFont (font (22.0f));
    const auto labelBox = juce::Rectangle<int> (24, 24);
    g.drawText ("M", labelBox.withPosition (cx + 6, area.getY() + 2), juce::Justification::centredLeft);
    g.drawText ("L", labelBox.withPosition (area.getX() + 6, area.getY() + 2), juce::Justification::centredLeft);
    g.drawText ("R", labelBox.withPosition (area.getRight() - 30, area.getY() + 2), juce::Justification::centredRight);
    // Side is S = (L - R) / 2, so a signal leaning left lies on the +S side, as on a hardware goniometer.
    g.drawText ("-S", labelBox.withPosition (area.getRight() - 30, cy + 2), juce::Justification::centredRight);
    g.drawText ("+S", labelBox.withPosition (area.getX() + 6, cy + 2), juce::Justification::centredLeft);

    g.setFont (font (18.0f));
    const auto scaleText = result.largestPeak > 0.0f ? "scale: peak " + StereoAnalysisText::decibelText (juce::Decibels::gainToDecibels ((double) result.largestPeak), "dBFS")
                                                     : juce::String ("silence");
    g.drawText (scaleText, area.reduced (6, 4), juce::Justification::bottomLeft);

    if (result.largestPeak <= 0.0f || result.points.empty())
        return;

    // Each pixel's count of samples sets its opacity, on a log scale so sparse parts stay visible.
    const auto size = area.getWidth();
    std::vector<juce::uint32> counts ((size_t) (size * size), 0);
    const auto scale = (double) radius / (2.0 * (double) result.largestPeak);

    for (const auto& [left, right] : result.points)
    {
        const auto x = half + (int) std::lround (((double) right - (double) left) * scale);
        const auto y = half - (int) std::lround (((double) left + (double) right) * scale);

        if (juce::isPositiveAndBelow (x, size) && juce::isPositiveAndBelow (y, size))
            ++counts[(size_t) (y * size + x)];
    }

    const auto most = std::log1p ((double) *std::max_element (counts.begin(), counts.end()));
    juce::Image cloud (juce::Image::ARGB, size, size, true, juce::SoftwareImageType());
    const auto colour = getCloudColour();

    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (const auto count = counts[(size_t) (y * size + x)]; count > 0)
                cloud.setPixelAt (x, y, colour.withAlpha ((float) (0.35 + 0.65 * std::log1p ((double) count) / most)));

    g.drawImageAt (cloud, area.getX(), area.getY());
}

void AnalysisPlot::drawFigures (juce::Graphics& g, const StereoAnalysisResult& result, juce::Rectangle<int> area) const
{
    const auto rows = StereoAnalysisText::makeRows ({ &result });
    const auto rowHeight = area.getHeight() / (int) rows.size();
    const auto textFont = font (juce::jmin (22.0f, 0.85f * (float) rowHeight));

    for (const auto& row : rows)
    {
        auto line = area.removeFromTop (rowHeight);
        g.setFont (textFont);
        g.setColour (labelColour);
        g.drawFittedText (row.label, line.removeFromLeft (line.getWidth() * 11 / 20), juce::Justification::centredLeft, 1, 0.7f);
        g.setColour (row.warnings[0] ? paletteOrange : textColour);
        g.drawFittedText (row.values[0], line, juce::Justification::centredRight, 1, 0.7f);
    }
}

void AnalysisPlot::drawLoudness (juce::Graphics& g, const LoudnessResult& loudness, juce::Rectangle<int> area) const
{
    g.setColour (plotColour);
    g.fillRect (area);

    // Columns of label and value, filled down each column.
    const auto rows = LoudnessText::makeRows ({ &loudness });
    const auto columns = area.getWidth() >= 700 ? 3 : 2;
    const auto lines = ((int) rows.size() + columns - 1) / columns;
    area.reduce (0, 3);
    const auto cellWidth = area.getWidth() / columns, cellHeight = area.getHeight() / lines;
    g.setFont (font (juce::jmin (20.0f, 0.9f * (float) cellHeight)));

    for (size_t i = 0; i < rows.size(); ++i)
    {
        const auto column = (int) i / lines, line = (int) i % lines;
        auto cell = juce::Rectangle<int> (area.getX() + column * cellWidth, area.getY() + line * cellHeight, cellWidth, cellHeight).reduced (8, 0);
        g.setColour (labelColour);
        g.drawFittedText (rows[i].label, cell.removeFromLeft (cell.getWidth() * 11 / 20), juce::Justification::centredLeft, 1, 0.7f);
        g.setColour (rows[i].warnings[0] ? paletteOrange : textColour);
        g.drawFittedText (rows[i].values[0], cell, juce::Justification::centredRight, 1, 0.7f);
    }
}

void AnalysisPlot::drawCorrelationStrip (juce::Graphics& g, const StereoAnalysisResult& result, juce::Rectangle<int> area) const
{
    g.setColour (labelColour);
    g.setFont (font (20.0f));
    g.drawText ("correlation over time (" + juce::String (juce::roundToInt (result.windowSeconds * 1000.0)) + " ms windows)",
                area.removeFromTop (24),
                juce::Justification::centredLeft);

    auto timeLabels = area.removeFromBottom (22);
    auto valueLabels = area.removeFromLeft (30);
    timeLabels.removeFromLeft (30);

    g.setColour (plotColour);
    g.fillRect (area);

    // +1 and -1 sit a little inside the strip so that their labels fit beside it.
    const auto scaleArea = area.reduced (0, 10);
    const auto yFor = [&] (double correlation)
    { return (float) scaleArea.getY() + (float) ((1.0 - correlation) * 0.5 * (scaleArea.getHeight() - 1)); };

    g.setColour (labelColour);
    g.setFont (font (18.0f));

    for (const auto value : { 1.0, 0.0, -1.0 })
    {
        const auto text = value > 0.0 ? "+1" : (value < 0.0 ? "-1" : "0");
        g.drawText (text, valueLabels.withY (juce::roundToInt (yFor (value)) - 10).withHeight (20).withTrimmedRight (6), juce::Justification::centredRight);
    }

    g.drawText ("0 s", timeLabels, juce::Justification::centredLeft);
    g.drawText (juce::String (result.getSeconds(), 1) + " s", timeLabels, juce::Justification::centredRight);

    drawCorrelationHistory (g, result.windowCorrelations, area, yFor);

    // The scale lines go over the history so they stay visible where it is filled.
    for (const auto value : { 1.0, 0.5, 0.0, -0.5, -1.0 })
    {
        g.setColour (value == 0.0 ? labelColour : gridColour.withAlpha (0.7f));
        g.drawHorizontalLine (juce::roundToInt (yFor (value)), (float) area.getX(), (float) area.getRight());
    }
}

void AnalysisPlot::drawCorrelationHistory (juce::Graphics& g, const std::vector<std::optional<float>>& windows, juce::Rectangle<int> area, const std::function<float (double)>& yFor)
{
    const auto numWindows = (juce::int64) windows.size();
    const auto columns = area.getWidth();

    if (numWindows == 0 || columns <= 0)
        return;

    // A column shows the lowest and highest correlation among the windows that fall on it.
    for (int column = 0; column < columns; ++column)
    {
        const auto first = column * numWindows / columns;
        const auto last = juce::jmax (first + 1, (column + 1) * numWindows / columns);
        std::optional<float> lowest, highest;

        for (auto i = first; i < last; ++i)
            if (const auto& c = windows[(size_t) i]; c.has_value())
            {
                lowest = juce::jmin (lowest.value_or (*c), *c);
                highest = juce::jmax (highest.value_or (*c), *c);
            }

        const auto x = area.getX() + column;
        const auto zero = yFor (0.0);

        if (highest.has_value() && *highest > 0.0f)
        {
            g.setColour (positiveColour);
            g.drawVerticalLine (x, yFor (*highest), zero);
        }

        if (lowest.has_value() && *lowest < 0.0f)
        {
            g.setColour (paletteOrange);
            g.drawVerticalLine (x, zero + 1.0f, yFor (*lowest) + 1.0f);
        }
    }
}
