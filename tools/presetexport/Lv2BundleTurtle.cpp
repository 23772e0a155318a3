#include "Lv2BundleTurtle.h"

#include "TurtleText.h"
#include "lv2/Lv2PortLayout.h"
#include "processor/WydenzaAudioProcessor.h"

namespace
{
using TurtleText::quoted;
using TurtleText::replaceFile;

/** A valid LV2 symbol from a parameter's stable ID: letters, digits and underscores, not starting with a digit. */
juce::String symbolFor (const juce::String& parameterId)
{
    juce::String symbol;

    for (const auto character : parameterId)
        symbol << juce::String::charToString (juce::CharacterFunctions::isLetterOrDigit (character) && character < 128 ? character : (juce::juce_wchar) '_');

    if (symbol.isEmpty() || juce::CharacterFunctions::isDigit (symbol[0]))
        symbol = "p_" + symbol;

    return symbol;
}

const char* const prefixes = "@prefix atom:  <http://lv2plug.in/ns/ext/atom#> .\n"
                             "@prefix bufs:  <http://lv2plug.in/ns/ext/buf-size#> .\n"
                             "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
                             "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
                             "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
                             "@prefix opts:  <http://lv2plug.in/ns/ext/options#> .\n"
                             "@prefix pg:    <http://lv2plug.in/ns/ext/port-groups#> .\n"
                             "@prefix plug:  <" JucePlugin_LV2URI ":> .\n"
                             "@prefix pprop: <http://lv2plug.in/ns/ext/port-props#> .\n"
                             "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n"
                             "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
                             "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                             "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n"
                             "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                             "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n"
                             "\n";
} // namespace

Lv2BundleTurtle::Lv2BundleTurtle (juce::File bundleFolder, juce::String binaryFileName)
    : bundle (std::move (bundleFolder)), binaryName (std::move (binaryFileName))
{
}

juce::String Lv2BundleTurtle::write (WydenzaAudioProcessor& processor) const
{
    if (! bundle.isDirectory())
        return "no bundle folder " + bundle.getFullPathName();

    for (const auto& [name, text] : { std::pair<const char*, juce::String> { "dsp.ttl", describePlugin (processor) },
                                      { "ui.ttl", describeUi() },
                                      { "manifest.ttl", describeManifest() } })
        if (auto error = replaceFile (bundle.getChildFile (name), text); error.isNotEmpty())
            return error;

    return {};
}

juce::String Lv2BundleTurtle::describeManifest() const
{
    const auto binary = juce::URL::addEscapeChars (binaryName, false);
    juce::String ttl (prefixes);
    ttl << "<" << Lv2Uris::plugin << ">\n"
        << "\ta lv2:Plugin ;\n"
        << "\tlv2:binary <" << binary << "> ;\n"
        << "\trdfs:seeAlso <dsp.ttl> .\n\n"
        << "<" << Lv2Uris::ui << ">\n"
        << "\ta ui:X11UI ;\n"
        << "\tlv2:binary <" << binary << "> ;\n"
        << "\trdfs:seeAlso <ui.ttl> .\n\n";
    return ttl;
}

juce::String Lv2BundleTurtle::describePlugin (WydenzaAudioProcessor& processor)
{
    using namespace Lv2PortLayout;

    const auto version = juce::StringArray::fromTokens (JucePlugin_VersionString, ".", "");
    juce::String ttl (prefixes);

    ttl << "plug:input_group_1\n\ta pg:InputGroup ;\n\tlv2:name \"Input\" ;\n\tlv2:symbol \"input_group_1\" .\n\n"
        << "plug:output_group_1\n\ta pg:OutputGroup ;\n\tlv2:name \"Output\" ;\n\tlv2:symbol \"output_group_1\" .\n\n"
        << "<" << Lv2Uris::plugin << ">\n"
        << "\tui:ui <" << Lv2Uris::ui << "> ;\n"
        << "\ta lv2:Plugin , lv2:SpatialPlugin ;\n"
        << "\tdoap:name \"" JucePlugin_Name "\" ;\n"
        << "\trdfs:comment \"Stereo width, pan, safe bass, swap, polarity, mono and mutes.\" ;\n"
        << "\tlv2:minorVersion " << version[1].getIntValue() << " ;\n"
        << "\tlv2:microVersion " << version[2].getIntValue() << " ;\n"
        << "\tdoap:maintainer [\n\t\ta foaf:Person ;\n\t\tfoaf:name \"" JucePlugin_Manufacturer "\" ;\n"
        << "\t\tfoaf:homepage <" JucePlugin_ManufacturerWebsite "> ;\n\t\tfoaf:mbox <" JucePlugin_ManufacturerEmail "> ;\n\t] ;\n"
        << "\tdoap:release [\n\t\ta doap:Version ;\n\t\tdoap:revision \"" JucePlugin_VersionString "\" ;\n\t] ;\n"
        // The binary copes without any of these; without urid:map it cannot save or restore its state.
        << "\tlv2:requiredFeature urid:map ;\n"
        << "\tlv2:optionalFeature lv2:hardRTCapable , opts:options , bufs:boundedBlockLength ;\n"
        << "\tlv2:extensionData state:interface ;\n"
        << "\tpg:mainInput plug:input_group_1 ;\n"
        << "\tpg:mainOutput plug:output_group_1 ;\n"
        << "\tlv2:port";

    auto first = true;
    const auto port = [&] (uint32_t index, const char* classes, const juce::String& symbol, const juce::String& name, const juce::String& rest)
    {
        ttl << (first ? " [\n" : " , [\n") << "\t\ta " << classes << " ;\n"
            << "\t\tlv2:index " << (int) index << " ;\n"
            << "\t\tlv2:symbol " << quoted (symbol) << " ;\n"
            << "\t\tlv2:name " << quoted (name) << " ;\n"
            << rest << "\t]";
        first = false;
    };

    for (uint32_t c = 0; c < numAudioChannels; ++c)
    {
        const juce::String side = c == 0 ? "left" : "right", number (c + 1);
        port (audioInput0 + c, "lv2:InputPort , lv2:AudioPort", "audio_in_" + number, "Audio In " + number, "\t\tpg:group plug:input_group_1 ;\n\t\tlv2:designation pg:" + side + " ;\n");
        port (audioOutput0 + c, "lv2:OutputPort , lv2:AudioPort", "audio_out_" + number, "Audio Out " + number, "\t\tpg:group plug:output_group_1 ;\n\t\tlv2:designation pg:" + side + " ;\n");
    }

    // The event ports carry nothing a host must send; they keep the later ports' indices where sessions
    // saved them, and hosts that cannot serve them leave them unconnected.
    port (eventInput, "lv2:InputPort , atom:AtomPort", "in", "In", "\t\tatom:bufferType atom:Sequence ;\n\t\tlv2:designation lv2:control ;\n\t\tlv2:portProperty lv2:connectionOptional ;\n");
    port (eventOutput, "lv2:OutputPort , atom:AtomPort", "out", "Out", "\t\tatom:bufferType atom:Sequence ;\n\t\tlv2:designation lv2:control ;\n\t\tlv2:portProperty lv2:connectionOptional ;\n");
    port (latency, "lv2:OutputPort , lv2:ControlPort", "latency", "Latency", "\t\tlv2:designation lv2:latency ;\n\t\tlv2:portProperty lv2:reportsLatency , lv2:integer , lv2:connectionOptional , pprop:notOnGUI ;\n\t\tunits:unit units:frame ;\n");
    port (freeWheeling, "lv2:InputPort , lv2:ControlPort", "freeWheeling", "Free Wheeling", "\t\tlv2:designation lv2:freeWheeling ;\n\t\tlv2:default 0.0 ;\n\t\tlv2:minimum 0.0 ;\n\t\tlv2:maximum 1.0 ;\n\t\tlv2:portProperty lv2:toggled , lv2:connectionOptional , pprop:notOnGUI ;\n");
    port (enabled, "lv2:InputPort , lv2:ControlPort", "enabled", "Enabled", "\t\tlv2:designation lv2:enabled ;\n\t\tlv2:default 1.0 ;\n\t\tlv2:minimum 0.0 ;\n\t\tlv2:maximum 1.0 ;\n\t\tlv2:portProperty lv2:toggled , lv2:connectionOptional , pprop:notOnGUI ;\n");

    // Hosts hold a parameter's value in its port, 0 to 1 as the plug-in's other formats do.
    const auto& parameters = processor.getParameterSet();

    for (int i = 0; i < parameters.size(); ++i)
        port (forParameter (i), "lv2:InputPort , lv2:ControlPort", symbolFor (processor.getParameterID (i)), parameters.getName (i), "\t\tlv2:default " + juce::String ((double) parameters.getByIndex (i)->defaultValue, 6) + " ;\n\t\tlv2:minimum 0.0 ;\n\t\tlv2:maximum 1.0 ;\n");

    ttl << " .\n";
    return ttl;
}

juce::String Lv2BundleTurtle::describeUi()
{
    juce::String ttl (prefixes);
    ttl << "<" << Lv2Uris::ui << ">\n"
        << "\tlv2:extensionData ui:idleInterface , ui:resize , opts:interface ;\n"
        << "\tlv2:requiredFeature ui:idleInterface , ui:parent , <http://lv2plug.in/ns/ext/instance-access> ;\n"
        << "\tlv2:optionalFeature ui:resize , ui:touch , urid:map , opts:options ;\n"
        << "\topts:supportedOption ui:scaleFactor .\n";
    return ttl;
}
