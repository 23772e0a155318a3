// The binary's two entry points: the DSP descriptor and the X11 UI descriptor.

#include "Lv2EditorWindow.h"
#include "Lv2Features.h"
#include "Lv2LiveInstances.h"
#include "Lv2PluginInstance.h"
#include "Lv2PortLayout.h"

#include <lv2/buf-size/buf-size.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>

#include <cmath>
#include <cstring>

namespace
{
// Hosts that name no block length get this; a longer block is processed all the same.
constexpr int64_t defaultMaxBlockLength = 4096;
constexpr int64_t largestPreparedBlockLength = 1 << 16;

int chooseMaxBlockLength (const LV2_Feature* const* features, const LV2_URID_Map* map)
{
    const auto* options = static_cast<const LV2_Options_Option*> (Lv2Features::find (features, LV2_OPTIONS__options));
    auto length = defaultMaxBlockLength;

    if (map != nullptr)
    {
        if (const auto maximum = Lv2Features::findIntegerOption (options, *map, LV2_BUF_SIZE__maxBlockLength))
            length = *maximum;
        else if (const auto nominal = Lv2Features::findIntegerOption (options, *map, LV2_BUF_SIZE__nominalBlockLength))
            length = juce::jmax (*nominal, defaultMaxBlockLength);
    }

    return (int) juce::jlimit ((int64_t) 1, largestPreparedBlockLength, length);
}

Lv2PluginInstance* asPlugin (LV2_Handle instance) { return static_cast<Lv2PluginInstance*> (instance); }
Lv2EditorWindow* asEditor (LV2UI_Handle ui) { return static_cast<Lv2EditorWindow*> (ui); }

const LV2_State_Interface stateInterface {
    [] (LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t, const LV2_Feature* const*)
    { return asPlugin (instance)->save (store, handle); },
    [] (LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, uint32_t, const LV2_Feature* const*)
    { return asPlugin (instance)->restore (retrieve, handle); }
};

const LV2_Descriptor pluginDescriptor {
    Lv2Uris::plugin,
    [] (const LV2_Descriptor*, double sampleRate, const char*, const LV2_Feature* const* features) -> LV2_Handle
    {
        if (! std::isfinite (sampleRate) || sampleRate < 1000.0 || sampleRate > 1.0e6)
            return nullptr;

        const auto* map = static_cast<const LV2_URID_Map*> (Lv2Features::find (features, LV2_URID__map));
        return new Lv2PluginInstance (sampleRate, chooseMaxBlockLength (features, map), map);
    },
    [] (LV2_Handle instance, uint32_t port, void* data)
    { asPlugin (instance)->connectPort (port, data); },
    [] (LV2_Handle instance)
    { asPlugin (instance)->activate(); },
    [] (LV2_Handle instance, uint32_t numFrames)
    { asPlugin (instance)->run (numFrames); },
    [] (LV2_Handle) {},
    [] (LV2_Handle instance)
    { delete asPlugin (instance); },
    [] (const char* uri) -> const void*
    {
        return std::strcmp (uri, LV2_STATE__interface) == 0 ? &stateInterface : nullptr;
    }
};

const LV2UI_Resize uiResize {
    nullptr,
    [] (LV2UI_Feature_Handle ui, int width, int height)
    { return asEditor (ui)->resizeFromHost (width, height); }
};

const LV2UI_Idle_Interface uiIdle {
    [] (LV2UI_Handle ui)
    {
        asEditor (ui)->idle();
        return 0;
    }
};

// The host may change the scale factor while the editor is open.
const LV2_Options_Interface uiOptions {
    [] (LV2_Handle, LV2_Options_Option*) -> uint32_t
    { return LV2_OPTIONS_ERR_UNKNOWN; },
    [] (LV2_Handle ui, const LV2_Options_Option* options) -> uint32_t
    {
        asEditor (ui)->applyOptions (options);
        return LV2_OPTIONS_SUCCESS;
    }
};

const LV2UI_Descriptor uiDescriptor {
    Lv2Uris::ui,
    [] (const LV2UI_Descriptor*, const char*, const char*, LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) -> LV2UI_Handle
    {
        Lv2EditorWindow::HostFeatures host;
        host.write = write;
        host.controller = controller;
        host.parentWindow = const_cast<void*> (Lv2Features::find (features, LV2_UI__parent));
        host.resize = static_cast<const LV2UI_Resize*> (Lv2Features::find (features, LV2_UI__resize));
        host.touch = static_cast<const LV2UI_Touch*> (Lv2Features::find (features, LV2_UI__touch));

        const auto* map = static_cast<const LV2_URID_Map*> (Lv2Features::find (features, LV2_URID__map));
        host.map = map;
        host.scaleFactor = Lv2Features::findScaleFactor (static_cast<const LV2_Options_Option*> (Lv2Features::find (features, LV2_OPTIONS__options)), map);

        // Without a window to live in there is nothing to show.
        if (host.parentWindow == nullptr || widget == nullptr)
            return nullptr;

        // An instance another copy of this binary made is never followed.
        const auto* instance = Lv2Features::find (features, LV2_INSTANCE_ACCESS_URI);
        auto* plugin = instance != nullptr && Lv2LiveInstances::contains (instance) ? static_cast<Lv2PluginInstance*> (const_cast<void*> (instance)) : nullptr;

        auto* editor = new Lv2EditorWindow (plugin, host);
        *widget = editor->getWidget();
        return editor;
    },
    [] (LV2UI_Handle ui)
    { delete asEditor (ui); },
    // Port values reach the editor through the processor, which the DSP instance updates.
    [] (LV2UI_Handle, uint32_t, uint32_t, uint32_t, const void*) {},
    [] (const char* uri) -> const void*
    {
        if (std::strcmp (uri, LV2_UI__idleInterface) == 0)
            return &uiIdle;
        if (std::strcmp (uri, LV2_UI__resize) == 0)
            return &uiResize;
        if (std::strcmp (uri, LV2_OPTIONS__interface) == 0)
            return &uiOptions;
        return nullptr;
    }
};
} // namespace

extern "C"
{
    LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor (uint32_t index)
    {
        return index == 0 ? &pluginDescriptor : nullptr;
    }

    LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor (uint32_t index)
    {
        return index == 0 ? &uiDescriptor : nullptr;
    }
}
