#include "PresetMetadata.h"

#include "PresetTree.h"

#if JUCE_LINUX
#include <sys/sysinfo.h>
#elif JUCE_WINDOWS
#include <windows.h>
#endif

#ifndef JucePlugin_VersionString
#define JucePlugin_VersionString "1.1.0"
#endif

void PresetMetadata::addTo (juce::ValueTree& tree, const juce::AudioProcessor& processor, juce::Time saveTime)
{
    const auto language = juce::SystemStats::getUserLanguage();
    const auto region = juce::SystemStats::getUserRegion();

    tree.setProperty ("PluginVersion", JucePlugin_VersionString, nullptr);
    tree.setProperty (PresetTree::presetTypeProperty, "User", nullptr);
    tree.setProperty ("LastSaved", formatLastSaved (saveTime), nullptr);
    tree.setProperty ("Host", juce::String (juce::PluginHostType().getHostDescription()), nullptr);
    tree.setProperty ("InOutChannelConfig",
                      juce::String (processor.getTotalNumInputChannels()) + " / "
                          + juce::String (processor.getTotalNumOutputChannels()),
                      nullptr);
    tree.setProperty ("OS",
                      juce::SystemStats::getOperatingSystemName() + " / "
                          + (juce::SystemStats::isOperatingSystem64Bit() ? "64bit" : "32bit"),
                      nullptr);
    tree.setProperty ("Language",
                      (language.isNotEmpty() ? language : juce::String ("en")) + " / "
                          + juce::SystemStats::getDisplayLanguage(),
                      nullptr);
    tree.setProperty ("Region", region.isNotEmpty() ? region : juce::String ("US"), nullptr);
    tree.setProperty ("User", juce::SystemStats::getFullUserName() + " / " + juce::SystemStats::getLogonName(), nullptr);
    tree.setProperty ("Device", describeDevice(), nullptr);
}

juce::String PresetMetadata::formatLastSaved (juce::Time time)
{
    static const char* const months[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };

    return juce::String (time.getDayOfMonth()) + " " + months[juce::jlimit (0, 11, time.getMonth())] + " "
           + juce::String (time.getYear()).paddedLeft ('0', 4) + " " + juce::String (time.getHoursInAmPmFormat()) + ":"
           + juce::String (time.getMinutes()).paddedLeft ('0', 2) + ":"
           + juce::String (time.getSeconds()).paddedLeft ('0', 2) + (time.isAfternoon() ? "pm" : "am");
}

juce::String PresetMetadata::describeDevice()
{
    const auto memoryMegabytes = getTotalPhysicalMemoryBytes() / 1048576 + 1;

    return juce::SystemStats::getCpuVendor() + " " + juce::String (juce::SystemStats::getCpuSpeedInMegahertz()) + "MHz "
           + juce::String (juce::SystemStats::getNumCpus()) + " CPU cores / " + juce::String (memoryMegabytes)
           + "MB Memory";
}

juce::int64 PresetMetadata::getTotalPhysicalMemoryBytes()
{
#if JUCE_LINUX
    struct sysinfo info;

    if (sysinfo (&info) == 0)
        return (juce::int64) info.totalram * (juce::int64) info.mem_unit;

    return 0;
#elif JUCE_WINDOWS
    MEMORYSTATUSEX status;
    status.dwLength = sizeof (status);

    if (GlobalMemoryStatusEx (&status))
        return (juce::int64) status.ullTotalPhys;

    return 0;
#else
    return (juce::int64) juce::SystemStats::getMemorySizeInMegabytes() * 1048576;
#endif
}
