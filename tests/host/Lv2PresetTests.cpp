// Applies every factory preset the built LV2 bundle lists through lilv, the library LV2 hosts use, to an
// instance of the built plug-in, then reads the instance's state back through its state interface: the
// values and the name must be those the plug-in gives when the preset is chosen in its own menu.

#include "processor/PluginStateXml.h"
#include "processor/WydenzaAudioProcessor.h"

#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <map>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> uris;
LV2_URID map (LV2_URID_Map_Handle, const char* uri)
{
    const auto found = std::find (uris.begin(), uris.end(), uri);
    if (found == uris.end())
        uris.emplace_back (uri);
    return (LV2_URID) (std::find (uris.begin(), uris.end(), uri) - uris.begin()) + 1;
}
const char* unmap (LV2_URID_Unmap_Handle, LV2_URID urid) { return uris.at (urid - 1).c_str(); }

LV2_State_Status store (LV2_State_Handle stored, uint32_t key, const void* value, size_t size, uint32_t, uint32_t)
{
    (*static_cast<std::map<LV2_URID, std::string>*> (stored))[key].assign (static_cast<const char*> (value), size);
    return LV2_STATE_SUCCESS;
}
} // namespace

TEST (Lv2Presets, EveryFactoryPresetAppliedThroughLilvGivesThePluginsOwnPreset)
{
    LV2_URID_Map mapFeatureData { nullptr, map };
    LV2_URID_Unmap unmapFeatureData { nullptr, unmap };
    int32_t maxBlock = 512;
    const LV2_Options_Option options[] = { { LV2_OPTIONS_INSTANCE, 0, map (nullptr, LV2_BUF_SIZE__maxBlockLength), sizeof (int32_t), map (nullptr, LV2_ATOM__Int), &maxBlock },
                                           { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr } };
    const LV2_Feature mapFeature { LV2_URID__map, &mapFeatureData }, unmapFeature { LV2_URID__unmap, &unmapFeatureData };
    const LV2_Feature boundedFeature { LV2_BUF_SIZE__boundedBlockLength, nullptr }, optionsFeature { LV2_OPTIONS__options, (void*) options };
    const LV2_Feature* features[] = { &mapFeature, &unmapFeature, &boundedFeature, &optionsFeature, nullptr };

    auto* world = lilv_world_new();
    auto* bundle = lilv_new_file_uri (world, nullptr, (juce::File (WYDENZA_LV2_PATH).getFullPathName() + "/").toRawUTF8());
    lilv_world_load_bundle (world, bundle);
    auto* pluginUri = lilv_new_uri (world, JucePlugin_LV2URI);
    const auto* plugin = lilv_plugins_get_by_uri (lilv_world_get_all_plugins (world), pluginUri);
    ASSERT_NE (plugin, nullptr);
    auto* presetClass = lilv_new_uri (world, LV2_PRESETS__Preset);
    auto* labelUri = lilv_new_uri (world, LILV_NS_RDFS "label");
    auto* presets = lilv_plugin_get_related (plugin, presetClass);
    auto* instance = lilv_plugin_instantiate (plugin, 48000.0, features);
    ASSERT_NE (instance, nullptr);
    const auto* stateInterface = static_cast<const LV2_State_Interface*> (lilv_instance_get_extension_data (instance, LV2_STATE__interface));

    WydenzaAudioProcessor reference;
    auto unapplied = reference.getFactoryPresetNames();
    EXPECT_EQ ((int) lilv_nodes_size (presets), unapplied.size());

    LILV_FOREACH (nodes, i, presets)
    {
        const auto* preset = lilv_nodes_get (presets, i);
        lilv_world_load_resource (world, preset);
        auto* label = lilv_world_get (world, preset, labelUri, nullptr);
        const juce::String name (label != nullptr ? lilv_node_as_string (label) : "");
        lilv_node_free (label);
        SCOPED_TRACE (name);

        auto* state = lilv_state_new_from_world (world, &mapFeatureData, preset);
        ASSERT_NE (state, nullptr);
        lilv_state_restore (state, instance, nullptr, nullptr, 0, features);
        lilv_state_free (state);

        std::map<LV2_URID, std::string> stored;
        stateInterface->save (lilv_instance_get_handle (instance), store, &stored, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features);
        juce::MemoryBlock chunk;
        ASSERT_TRUE (chunk.fromBase64Encoding (stored[map (nullptr, JucePlugin_LV2URI ":StateString")]));
        const auto xml = PluginStateXml::unpack (chunk.getData(), (int) chunk.getSize());
        ASSERT_NE (xml, nullptr);

        ASSERT_TRUE (unapplied.contains (name)) << "not a factory preset, or listed twice";
        reference.selectFactoryPreset (reference.getFactoryPresetNames().indexOf (name));
        unapplied.removeString (name);
        EXPECT_EQ (xml->getStringAttribute ("programName"), reference.getPresetDisplayName());
        const auto& parameters = reference.getParameterSet();
        for (int p = 0; p < parameters.size(); ++p)
            EXPECT_EQ ((float) xml->getDoubleAttribute (parameters.getName (p), -1.0), parameters.getValue (p)) << parameters.getName (p);
    }

    lilv_instance_free (instance);
    for (auto* node : { bundle, pluginUri, presetClass, labelUri })
        lilv_node_free (node);
    lilv_nodes_free (presets);
    lilv_world_free (world);
}
