// setStateInformation on any bytes. The processor is built once per process (construction reads settings
// and builds the factory presets) and takes every input in turn, as a host's instance takes chunks over a
// session. Whatever is restored must be finite and must survive a save and a second restore unchanged.
#include "FuzzHelpers.h"
#include "processor/WydenzaAudioProcessor.h"

#include <cmath>
#include <cstdint>

namespace
{
WydenzaAudioProcessor& processor()
{
    static fuzzing::ScratchHome home;
    static WydenzaAudioProcessor instance;
    return instance;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& p = processor();

    if (size == 0)
        return 0;

    const auto chunk = fuzzing::chunkFromInput (data, size);

    p.setStateInformation (chunk.getData(), (int) chunk.getSize());

    for (auto i = 0; i < p.getParameterSet().size(); ++i)
        fuzzing::check (std::isfinite (p.getParameter (i)), "restored parameter values are finite");

    fuzzing::check (std::isfinite (p.colourSchemeBrightness) && std::isfinite (p.expertMode), "restored editor values are finite");

    juce::MemoryBlock saved, savedAgain;
    p.getStateInformation (saved);
    p.setStateInformation (saved.getData(), (int) saved.getSize());
    p.getStateInformation (savedAgain);
    fuzzing::check (saved == savedAgain, "a saved state restores to itself");

    return 0;
}
