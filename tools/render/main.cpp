// wydenza-render: runs audio files through the plug-in's processor offline, without a host or display,
// and measures what the processing did to the stereo image. This file reads the command line, hands it
// to the command asked for and turns the outcome into the exit status.

#include "AnalyzeCommand.h"
#include "BatchRenderCommand.h"
#include "CommandContext.h"
#include "InterruptCleanup.h"
#include "JsonText.h"
#include "RenderError.h"
#include "RenderOptions.h"
#include "ReportEntry.h"
#include "SingleRenderCommand.h"
#include "processor/SettingsFile.h"
#include "processor/WydenzaAudioProcessor.h"

#include <iostream>
#include <limits>

namespace
{
[[noreturn]] void fail (const juce::String& message)
{
    std::cerr << "wydenza-render: " << message << std::endl;
    std::exit (1);
}
} // namespace

int main (int argc, char** argv)
{
    // The renderer reads the user's settings and presets but creates and changes nothing outside its outputs.
    SettingsFile::setReadOnly (true);
    InterruptCleanup::install();

    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
    {
        // A name in another encoding would reach the file system as different bytes.
        if (! juce::CharPointer_UTF8::isValidString (argv[i], std::numeric_limits<int>::max()))
            fail ("argument " + juce::String (i) + " is not UTF-8 text; the renderer takes file names in UTF-8 only (rename the file)");
        args.add (juce::String::fromUTF8 (argv[i]));
    }

    try
    {
        const auto options = RenderOptions::parse (args);

        if (options.help)
        {
            std::cout << RenderOptions::getUsage();
            return 0;
        }

        if (options.listPresets)
        {
            WydenzaAudioProcessor processor;
            for (const auto& name : processor.getFactoryPresetNames())
                std::cout << name << "\n";
            for (const auto& name : processor.getUserPresetNames())
                std::cout << name << "\n";
            return 0;
        }

        const CommandContext context (options);
        juce::AudioFormatManager formats;
        formats.registerBasicFormats();

        if (options.analyze)
            return AnalyzeCommand::run (context);

        if (options.outDir.isNotEmpty())
            return BatchRenderCommand::run (context, formats);

        try
        {
            return SingleRenderCommand::run (context, formats);
        }
        catch (const RenderError& error)
        {
            // A script reading the report gets the file's entry with the error, as in a batch.
            if (options.report && options.json)
            {
                ReportEntry entry;
                entry.nameKey = "input";
                entry.name = options.files[0];
                entry.output = options.files[1];
                entry.error = error.getReason();
                std::cout << JsonText::toString (juce::Array<juce::var> { entry.toJson() }) << std::endl;
            }
            throw;
        }
    }
    catch (const RenderError& error)
    {
        if (error.getReason() == "expected an input and an output file")
            std::cerr << RenderOptions::getUsage();

        fail (error.getReason());
    }
}
