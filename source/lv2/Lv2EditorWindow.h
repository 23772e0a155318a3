#pragma once

#include "Lv2ForeignInstanceNotice.h"
#include "Lv2MessageLoop.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <memory>
#include <optional>

class Lv2PluginInstance;

/** The plug-in's editor embedded in the window an LV2 host gives it. The host's UI thread runs the message
    loop while it is open (through idle calls). Values the plug-in changes itself are written to the host's
    ports, so that its controls and automation follow; a drag is a touch (ui:touch) for the host.
*/
// The host-driven loop is the first base: it is given back (and our message thread restarted) only after the
// window and everything in it are gone.
class Lv2EditorWindow : private Lv2MessageLoop::HostDriven,
                        private juce::Component,
                        private juce::ComponentListener,
                        private juce::Timer,
                        private juce::AudioProcessorListener
{
public:
    struct HostFeatures
    {
        LV2UI_Write_Function write = nullptr;
        LV2UI_Controller controller = nullptr;
        void* parentWindow = nullptr;
        const LV2UI_Resize* resize = nullptr;
        const LV2UI_Touch* touch = nullptr;
        const LV2_URID_Map* map = nullptr;
        std::optional<float> scaleFactor;
    };

    /** plugin is null when the host handed an instance this binary did not make. */
    Lv2EditorWindow (Lv2PluginInstance* plugin, const HostFeatures& host);
    ~Lv2EditorWindow() override;

    LV2UI_Widget getWidget() { return (LV2UI_Widget) getWindowHandle(); }

    /** The host's idle call: the framework's messages for the editor are dispatched here. */
    void idle() { dispatchPending(); }

    /** The host resizes its frame. */
    int resizeFromHost (int width, int height);

    /** Options the host changes while the editor is open: the scale factor. */
    void applyOptions (const LV2_Options_Option* options);

private:
    juce::Component& getContent() const;
    void resized() override;
    void paint (juce::Graphics& g) override { g.fillAll (juce::Colours::black); }
    void componentMovedOrResized (juce::Component&, bool wasMoved, bool wasResized) override;
    void requestHostResize();
    void timerCallback() override;
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int parameterIndex) override { touch (parameterIndex, true); }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int parameterIndex) override { touch (parameterIndex, false); }
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void touch (int parameterIndex, bool grabbed);

    Lv2PluginInstance* const plugin;
    HostFeatures host;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
    std::unique_ptr<Lv2ForeignInstanceNotice> notice;
    bool resizingFromHost = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Lv2EditorWindow)
};
