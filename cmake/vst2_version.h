// Forced into the VST 2.4 wrapper only: VST 2.4 hosts read the version as the plain number 107
// (vendor version and effect version), while every other format keeps "1.0.7".
#pragma once
#undef JucePlugin_VersionCode
#define JucePlugin_VersionCode 107
#define JucePlugin_VSTChunkStructureVersion 107
#define JUCE_VST_RETURN_HEX_VERSION_NUMBER_DIRECTLY 1
