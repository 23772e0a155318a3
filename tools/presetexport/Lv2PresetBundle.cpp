#include "Lv2PresetBundle.h"

#include "TurtleText.h"

using TurtleText::quoted;
using TurtleText::replaceFile;

Lv2PresetBundle::Lv2PresetBundle (juce::File bundleFolder, juce::String pluginUri)
    : bundle (std::move (bundleFolder)), uri (std::move (pluginUri))
{
}

juce::String Lv2PresetBundle::write (const juce::Array<FactoryPresetStates::Entry>& presets) const
{
    const auto manifestFile = bundle.getChildFile ("manifest.ttl");

    if (! manifestFile.existsAsFile() || manifestFile.getSize() > 1024 * 1024)
        return "no usable manifest.ttl in " + bundle.getFullPathName();

    // Presets are listed last; any listed before are replaced, so that running this twice
    // gives the same files.
    auto manifest = manifestFile.loadFileAsString();
    const auto firstPreset = manifest.indexOf ("<" + uri + ":preset");

    if (firstPreset >= 0)
        manifest = manifest.substring (0, firstPreset);

    if (! manifest.contains ("@prefix pset:"))
        manifest = "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n" + manifest;

    juce::String states;
    states << "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
              "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n"
              "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
              "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n";

    for (int i = 0; i < presets.size(); ++i)
    {
        const auto& preset = presets.getReference (i);
        manifest << "<" << presetUri (i) << ">\n"
                 << "\ta pset:Preset ;\n"
                 << "\tlv2:appliesTo <" << uri << "> ;\n"
                 << "\trdfs:label " << quoted (preset.name) << " ;\n"
                 << "\trdfs:seeAlso <presets.ttl> .\n\n";

        // The port values let a host set its own controls to the preset; the plug-in restores its
        // whole state from the one string property, in the encoding its own state save writes.
        states << "\n<" << presetUri (i) << ">\n"
               << "\ta pset:Preset ;\n"
               << "\tlv2:appliesTo <" << uri << "> ;\n"
               << "\trdfs:label " << quoted (preset.name) << " ;\n";

        if (! preset.parameterValues.isEmpty())
        {
            states << "\tlv2:port ";

            for (int p = 0; p < preset.parameterValues.size(); ++p)
                states << (p == 0 ? "[\n" : " , [\n")
                       << "\t\tlv2:symbol " << quoted (preset.parameterValues.getReference (p).first) << " ;\n"
                       << "\t\tpset:value " << juce::String ((double) preset.parameterValues.getReference (p).second, 6) << "\n\t]";

            states << " ;\n";
        }

        states << "\tstate:state [\n"
               << "\t\t<" << uri << ":StateString> " << quoted (preset.chunk.toBase64Encoding()) << "\n"
               << "\t] .\n";
    }

    if (auto error = replaceFile (bundle.getChildFile ("presets.ttl"), states); error.isNotEmpty())
        return error;

    return replaceFile (manifestFile, manifest);
}

juce::String Lv2PresetBundle::presetUri (int index) const
{
    return uri + ":preset" + juce::String (index + 1);
}
