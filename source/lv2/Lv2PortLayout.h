#pragma once

#include <cstdint>

/** The LV2 plug-in's port indices. Hosts key saved sessions and automation by them (Ardour stores a lane
    as "parameter-N" with the port index N), so they never change: the audio ports, two event ports kept
    for the indices' sake, the host's latency, freewheeling and enabled ports, then one control input
    port per parameter in the processor's order.
*/
namespace Lv2PortLayout
{
constexpr uint32_t numAudioChannels = 2;
constexpr uint32_t audioInput0 = 0;
constexpr uint32_t audioOutput0 = audioInput0 + numAudioChannels;
constexpr uint32_t eventInput = audioOutput0 + numAudioChannels;
constexpr uint32_t eventOutput = eventInput + 1;
constexpr uint32_t latency = eventOutput + 1;
constexpr uint32_t freeWheeling = latency + 1;
constexpr uint32_t enabled = freeWheeling + 1;
constexpr uint32_t firstParameter = enabled + 1;

constexpr uint32_t forParameter (int parameterIndex) noexcept { return firstParameter + (uint32_t) parameterIndex; }
} // namespace Lv2PortLayout

/** The LV2 URIs the bundle's Turtle and the binary share. */
namespace Lv2Uris
{
constexpr const char* plugin = JucePlugin_LV2URI;
constexpr const char* ui = JucePlugin_LV2URI ":UI";
/** The plug-in's whole state as the base-64 text of its state chunk (atom:String). */
constexpr const char* stateString = JucePlugin_LV2URI ":StateString";
/** A program number (atom:Int), as presets of the first LV2 builds held. */
constexpr const char* program = JucePlugin_LV2URI ":Program";
} // namespace Lv2Uris
