#include "CommandContext.h"

#include "ProcessorSetup.h"
#include "ProgressLine.h"
#include "processor/WydenzaAudioProcessor.h"

#include <filesystem>
#include <iostream>

CommandContext::CommandContext (const RenderOptions& o) : options (o) {}

std::ostream& CommandContext::messages() const
{
    return options.json ? std::cerr : std::cout;
}

juce::File CommandContext::fileFromArgument (const juce::String& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (path);
}

bool CommandContext::sameFile (const juce::File& a, const juce::File& b)
{
    std::error_code error;
    if (a == b)
        return true;
    return std::filesystem::exists (b.getFullPathName().toStdString(), error)
           && std::filesystem::equivalent (a.getFullPathName().toStdString(), b.getFullPathName().toStdString(), error);
}

std::unique_ptr<WydenzaAudioProcessor> CommandContext::makeProcessor (const juce::String& presetName, bool announce) const
{
    auto processor = std::make_unique<WydenzaAudioProcessor>();

    if (presetName.isNotEmpty())
    {
        ProcessorSetup::applyPreset (*processor, presetName);
        if (announce)
        {
            messages() << "  preset " << presetName << "\n";
            for (const auto& line : ProcessorSetup::describeChangedSettings (*processor))
                messages() << "    " << line << "\n";
        }
    }

    for (const auto& setting : options.settings)
    {
        const auto applied = ProcessorSetup::applySetting (*processor, setting);
        if (announce)
            messages() << "  " << applied << "\n";
    }

    return processor;
}

std::function<void (double)> CommandContext::progressPrinter (const juce::String& label) const
{
    if (options.json || ! ProgressLine::standardErrorIsTerminal())
        return {};

    auto line = std::make_shared<ProgressLine>();
    line->start (label);
    return [line] (double done)
    {
        line->update (done);
        if (done >= 1.0)
            line->clear();
    };
}

FileRenderer::Outcome CommandContext::renderFile (WydenzaAudioProcessor& processor, juce::AudioFormatReader& reader, const FileRenderer::Request& request, std::optional<LoudnessMatch::Result>& match) const
{
    if (! options.matchLoudness)
        return FileRenderer (processor).render (reader, request);

    match = LoudnessMatch::render (processor, reader, request);
    return match->outcome;
}
