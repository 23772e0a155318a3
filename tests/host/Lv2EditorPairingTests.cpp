// A host that finds the LV2 bundle twice (a build in ~/.lv2, the package in /usr/lib/lv2) may take the
// DSP from one copy and the editor from the other. Here two copies of the built bundle are opened as
// separate libraries, as such a host opens them, and each editor is handed the first copy's instance.

#include <juce_core/juce_core.h>

#include <gtest/gtest.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <map>
#include <string>

namespace
{
struct UridMap
{
    std::map<std::string, LV2_URID> ids;

    static LV2_URID map (LV2_URID_Map_Handle handle, const char* uri)
    {
        auto& ids = static_cast<UridMap*> (handle)->ids;
        return ids.emplace (uri, (LV2_URID) ids.size() + 1).first->second;
    }
};

struct RequestedSize
{
    int width = 0, height = 0;

    static int resize (LV2UI_Feature_Handle handle, int w, int h)
    {
        *static_cast<RequestedSize*> (handle) = { w, h };
        return 0;
    }
};

/** The bundle's binary copied to a folder of its own and opened there: a library apart from any other copy. */
void* openCopy (const juce::File& folder)
{
    const auto bundle = juce::File (WYDENZA_LV2_PATH);
    const auto copy = folder.getChildFile (bundle.getFileName());
    if (! bundle.copyDirectoryTo (copy))
        return nullptr;
    return dlopen (copy.getChildFile ("libWydenza.so").getFullPathName().toRawUTF8(), RTLD_NOW | RTLD_LOCAL);
}

/** The size the editor of this library asks for when handed the instance; {0, 0} if it gives no widget. */
RequestedSize openEditor (void* library, LV2_Handle instance, Window parent, UridMap& urids)
{
    const auto uiDescriptorFn = reinterpret_cast<const LV2UI_Descriptor* (*) (uint32_t)> (dlsym (library, "lv2ui_descriptor"));
    const auto* ui = uiDescriptorFn != nullptr ? uiDescriptorFn (0) : nullptr;
    if (ui == nullptr)
        return {};

    RequestedSize size;
    LV2_URID_Map map { &urids, UridMap::map };
    LV2UI_Resize resize { &size, RequestedSize::resize };
    const LV2_Feature mapFeature { LV2_URID__map, &map }, parentFeature { LV2_UI__parent, (void*) parent },
        instanceFeature { LV2_INSTANCE_ACCESS_URI, instance }, resizeFeature { LV2_UI__resize, &resize };
    const LV2_Feature* features[] { &mapFeature, &parentFeature, &instanceFeature, &resizeFeature, nullptr };

    LV2UI_Widget widget = nullptr;
    auto* handle = ui->instantiate (
        ui, "urn:zelvora:wydenza", "", [] (LV2UI_Controller, uint32_t, uint32_t, uint32_t, const void*) {}, nullptr, &widget, features);
    if (handle == nullptr || widget == nullptr)
        size = {};

    if (handle != nullptr)
    {
        // A few idle calls, as a host makes while the window is open, then the window closed.
        if (const auto* idle = static_cast<const LV2UI_Idle_Interface*> (ui->extension_data (LV2_UI__idleInterface)))
            for (int i = 0; i < 5; ++i)
                idle->idle (handle);
        ui->cleanup (handle);
    }

    return size;
}
} // namespace

TEST (Lv2EditorPairing, AnEditorHandedAnotherCopysInstanceShowsAMessageAndTheOwnCopysEditorOpens)
{
    const auto folders = juce::File::createTempFile ("lv2-copies");
    auto* first = openCopy (folders.getChildFile ("user"));
    auto* second = openCopy (folders.getChildFile ("system"));
    ASSERT_NE (first, nullptr) << dlerror();
    ASSERT_NE (second, nullptr) << dlerror();
    ASSERT_NE (first, second);

    // The host's window, from a display connection of the test's own.
    auto* display = XOpenDisplay (nullptr);
    ASSERT_NE (display, nullptr) << "needs an X display";
    // A desktop's window manager defines these; the framework only looks them up and cannot do without.
    for (auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN" })
        XInternAtom (display, name, False);
    const auto parent = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 1000, 700, 0, 0, 0);
    XMapWindow (display, parent);
    XSync (display, False);

    const auto descriptorFn = reinterpret_cast<const LV2_Descriptor* (*) (uint32_t)> (dlsym (first, "lv2_descriptor"));
    ASSERT_NE (descriptorFn, nullptr);
    const auto* dsp = descriptorFn (0);

    UridMap urids;
    LV2_URID_Map map { &urids, UridMap::map };
    const int32_t maxBlock = 512;
    const LV2_Options_Option options[] { { LV2_OPTIONS_INSTANCE, 0, UridMap::map (&urids, LV2_BUF_SIZE__maxBlockLength), sizeof (int32_t), UridMap::map (&urids, "http://lv2plug.in/ns/ext/atom#Int"), &maxBlock },
                                         { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr } };
    const LV2_Feature mapFeature { LV2_URID__map, &map }, optionsFeature { LV2_OPTIONS__options, (void*) options },
        boundedFeature { LV2_BUF_SIZE__boundedBlockLength, nullptr };
    const LV2_Feature* features[] { &mapFeature, &optionsFeature, &boundedFeature, nullptr };
    auto* instance = dsp->instantiate (dsp, 48000.0, "", features);
    ASSERT_NE (instance, nullptr);

    const auto own = openEditor (first, instance, parent, urids);
    EXPECT_GT (own.height, 0);
    EXPECT_NEAR ((double) own.width / own.height, 1.5, 0.01) << "the copy that made the instance opens its editor";

    const auto foreign = openEditor (second, instance, parent, urids);
    EXPECT_GT (foreign.width, 0) << "the other copy gives the host a window rather than nothing";
    EXPECT_NE (foreign.width * 2, foreign.height * 3) << "the other copy shows its message, not a 3:2 editor";

    dsp->cleanup (instance);
    XDestroyWindow (display, parent);
    XCloseDisplay (display);
    folders.deleteRecursively();
}
