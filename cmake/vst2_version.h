// Forced into the VST 2.4 wrapper only: VST 2.4 hosts read the version as the plain number 110
// (vendor version and effect version), while every other format keeps "1.1.0".
#pragma once
#undef JucePlugin_VersionCode
#define JucePlugin_VersionCode 110
#define JucePlugin_VSTChunkStructureVersion 110
#define JUCE_VST_RETURN_HEX_VERSION_NUMBER_DIRECTLY 1
