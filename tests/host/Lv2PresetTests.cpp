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
struct Urids
{
    std::vector<std::string> uris;

    LV2_URID map (const char* uri)
    {
        for (size_t i = 0; i < uris.size(); ++i)
            if (uris[i] == uri)
                return (LV2_URID) i + 1;
        uris.emplace_back (uri);
        return (LV2_URID) uris.size();
    }

    LV2_URID_Map mapFeature { this, [] (LV2_URID_Map_Handle h, const char* uri)
                              { return static_cast<Urids*> (h)->map (uri); } };
    LV2_URID_Unmap unmapFeature { this, [] (LV2_URID_Unmap_Handle h, LV2_URID urid)
                                  { return static_cast<Urids*> (h)->uris.at (urid - 1).c_str(); } };
};

/** The "StateString" property a state save stores, or empty. */
juce::String savedStateString (const LilvInstance* instance, Urids& urids, const LV2_Feature* const* features)
{
    const auto* stateInterface = static_cast<const LV2_State_Interface*> (lilv_instance_get_extension_data (instance, LV2_STATE__interface));
    std::map<LV2_URID, std::string> stored;
    auto store = [] (LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t, uint32_t)
    {
        (*static_cast<std::map<LV2_URID, std::string>*> (h))[key] = std::string (static_cast<const char*> (value), size);
        return LV2_STATE_SUCCESS;
    };
    stateInterface->save (lilv_instance_get_handle (instance), store, &stored, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features);
    return juce::String::fromUTF8 (stored[urids.map (JucePlugin_LV2URI ":StateString")].c_str());
}
} // namespace

TEST (Lv2Presets, EveryFactoryPresetAppliedThroughLilvGivesThePluginsOwnPreset)
{
    Urids urids;
    int32_t maxBlock = 512;
    const LV2_Options_Option options[] = { { LV2_OPTIONS_INSTANCE, 0, urids.map (LV2_BUF_SIZE__maxBlockLength), sizeof (int32_t), urids.map (LV2_ATOM__Int), &maxBlock },
                                           { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr } };
    const LV2_Feature mapFeature { LV2_URID__map, &urids.mapFeature }, unmapFeature { LV2_URID__unmap, &urids.unmapFeature };
    const LV2_Feature boundedFeature { LV2_BUF_SIZE__boundedBlockLength, nullptr }, optionsFeature { LV2_OPTIONS__options, (void*) options };
    const LV2_Feature* features[] = { &mapFeature, &unmapFeature, &boundedFeature, &optionsFeature, nullptr };

    auto* world = lilv_world_new();
    const auto bundlePath = juce::File (WYDENZA_LV2_PATH).getFullPathName() + "/";
    auto* bundle = lilv_new_file_uri (world, nullptr, bundlePath.toRawUTF8());
    lilv_world_load_bundle (world, bundle);
    auto* pluginUri = lilv_new_uri (world, JucePlugin_LV2URI);
    const auto* plugin = lilv_plugins_get_by_uri (lilv_world_get_all_plugins (world), pluginUri);
    ASSERT_NE (plugin, nullptr);

    auto* presetClass = lilv_new_uri (world, LV2_PRESETS__Preset);
    auto* labelUri = lilv_new_uri (world, LILV_NS_RDFS "label");
    auto* presets = lilv_plugin_get_related (plugin, presetClass);
    auto* instance = lilv_plugin_instantiate (plugin, 48000.0, features);
    ASSERT_NE (instance, nullptr);

    WydenzaAudioProcessor reference;
    const auto factoryNames = reference.getFactoryPresetNames();
    EXPECT_EQ ((int) lilv_nodes_size (presets), factoryNames.size());
    juce::StringArray applied;

    // The order is the reverse of the list, so that each preset replaces a different one.
    std::vector<const LilvNode*> presetNodes;
    LILV_FOREACH (nodes, i, presets)
    presetNodes.insert (presetNodes.begin(), lilv_nodes_get (presets, i));

    for (const auto* preset : presetNodes)
    {
        lilv_world_load_resource (world, preset);
        auto* label = lilv_world_get (world, preset, labelUri, nullptr);
        const juce::String name (label != nullptr ? lilv_node_as_string (label) : "");
        lilv_node_free (label);
        SCOPED_TRACE (name);

        auto* state = lilv_state_new_from_world (world, &urids.mapFeature, preset);
        ASSERT_NE (state, nullptr);
        lilv_state_restore (state, instance, nullptr, nullptr, 0, features);
        lilv_state_free (state);

        juce::MemoryBlock chunk;
        ASSERT_TRUE (chunk.fromBase64Encoding (savedStateString (instance, urids, features)));
        const auto xml = PluginStateXml::unpack (chunk.getData(), (int) chunk.getSize());
        ASSERT_NE (xml, nullptr);

        const auto index = factoryNames.indexOf (name);
        ASSERT_GE (index, 0) << "not a factory preset";
        reference.selectFactoryPreset (index);
        EXPECT_EQ (xml->getStringAttribute ("programName"), reference.getPresetDisplayName());

        const auto& parameters = reference.getParameterSet();
        for (int p = 0; p < parameters.size(); ++p)
            EXPECT_EQ ((float) xml->getDoubleAttribute (parameters.getName (p), -1.0), parameters.getValue (p)) << parameters.getName (p);
        applied.addIfNotAlreadyThere (name);
    }

    EXPECT_EQ (applied.size(), factoryNames.size());

    lilv_instance_free (instance);
    for (auto* node : { bundle, pluginUri, presetClass, labelUri })
        lilv_node_free (node);
    lilv_nodes_free (presets);
    lilv_world_free (world);
}
