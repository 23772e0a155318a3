#pragma once

#include "StereoAnalysisResult.h"
#include "widgets/CvxQ7LookAndFeelV1.h"

#include <functional>

/**
    A picture of one or more StereoAnalysis results side by side, drawn in software (no display needed)
    in the editor's colours and face. Each panel holds a goniometer (the sample cloud turned 45 degrees,
    mid up, scaled to the louder channel's peak), the measured figures, a block of loudness figures where
    they were measured, and the correlation of each window over time on a strip from -1 to +1.
*/
class AnalysisPlot
{
public:
    static constexpr int width = 1200, height = 700;

    struct Panel
    {
        juce::String heading;
        StereoAnalysisResult result;
    };

    AnalysisPlot (juce::String title, std::vector<Panel> panels);

    juce::Image draw() const;

    /** Where the goniometer of a panel is drawn. Its width is odd: a signal with identical channels lands
        on the middle column alone. */
    juce::Rectangle<int> getGoniometerBounds (size_t panelIndex) const;

    /** The sample cloud's colour; drawn more or less opaque by how many samples fall on a pixel. */
    static juce::Colour getCloudColour();

private:
    struct PanelLayout
    {
        juce::Rectangle<int> panel, heading, goniometer, figures, loudness, strip;
    };

    PanelLayout layOut (size_t panelIndex) const;
    void drawPanel (juce::Graphics&, const Panel&, const PanelLayout&) const;
    void drawGoniometer (juce::Graphics&, const StereoAnalysisResult&, juce::Rectangle<int> area) const;
    void drawFigures (juce::Graphics&, const StereoAnalysisResult&, juce::Rectangle<int> area) const;
    void drawLoudness (juce::Graphics&, const LoudnessResult&, juce::Rectangle<int> area) const;
    void drawCorrelationStrip (juce::Graphics&, const StereoAnalysisResult&, juce::Rectangle<int> area) const;
    static void drawCorrelationHistory (juce::Graphics&, const std::vector<std::optional<float>>& windows, juce::Rectangle<int> area, const std::function<float (double)>& yFor);

    juce::Font font (float heightInPixels) const { return lookAndFeel.getCustomFont (heightInPixels); }

    juce::String title;
    std::vector<Panel> panels;
    CvxQ7LookAndFeelV1 lookAndFeel;
};
