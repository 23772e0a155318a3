#include "FileRenderer.h"

#include "OutputFormat.h"
#include "OutputRounding.h"
#include "RenderError.h"
#include "StereoAnalysis.h"
#include "processor/WydenzaAudioProcessor.h"

#include <cmath>

namespace
{
constexpr double longestSeconds = 24.0 * 60.0 * 60.0;

/** Reads frames [start, start + num) of a stereo source into the first num frames of block. */
void readBlock (juce::AudioFormatReader& source, juce::AudioBuffer<float>& block, juce::int64 start, int num)
{
    if (! source.read (&block, 0, num, start, true, true))
        throw RenderError ("cannot read the samples");
}
} // namespace

FileRenderer::FileRenderer (WydenzaAudioProcessor& p) : processor (p)
{
}

void FileRenderer::checkSplit (double splitHz, double sampleRate)
{
    if (! (splitHz < 0.5 * sampleRate))
        throw RenderError ("the split at " + juce::String (splitHz) + " Hz is not below half the sample rate ("
                           + juce::String (sampleRate) + " Hz)");
}

std::unique_ptr<juce::AudioFormatReader> FileRenderer::openStereoFile (juce::AudioFormatManager& formats, const juce::File& file)
{
    if (! file.existsAsFile())
        throw RenderError ("cannot read " + file.getFullPathName() + ": no such file");

    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));

    if (reader == nullptr)
        throw RenderError ("cannot read " + file.getFullPathName() + ": not a WAV, FLAC or AIFF file");

    if (reader->numChannels != 2)
        throw RenderError (file.getFileName() + " has " + juce::String (reader->numChannels) + " channel(s); Wydenza needs stereo");

    if (! (reader->sampleRate >= 1000.0 && reader->sampleRate <= 1000000.0))
        throw RenderError (file.getFileName() + " has an unusable sample rate (" + juce::String (reader->sampleRate) + " Hz)");

    const auto isUncompressed = reader->getFormatName() == juce::WavAudioFormat().getFormatName()
                                || reader->getFormatName() == juce::AiffAudioFormat().getFormatName();
    const auto bytesPerFrame = (juce::int64) reader->numChannels * juce::jmax (1, (int) reader->bitsPerSample / 8);

    if (isUncompressed)
        reader->lengthInSamples = juce::jmin (reader->lengthInSamples, file.getSize() / bytesPerFrame);

    reader->lengthInSamples = juce::jmax ((juce::int64) 0, reader->lengthInSamples);

    if ((double) reader->lengthInSamples > longestSeconds * reader->sampleRate)
        throw RenderError (file.getFileName() + " is longer than 24 hours");

    return reader;
}

StereoAnalysisResult FileRenderer::analyse (juce::AudioFormatReader& source, double splitHz)
{
    checkSplit (splitHz, source.sampleRate);
    StereoAnalysis analysis (source.sampleRate, splitHz);
    juce::AudioBuffer<float> block (2, blockSize);

    for (juce::int64 start = 0; start < source.lengthInSamples; start += blockSize)
    {
        const auto num = (int) juce::jmin ((juce::int64) blockSize, source.lengthInSamples - start);
        readBlock (source, block, start, num);
        analysis.addBlock (block.getReadPointer (0), block.getReadPointer (1), num);
    }

    return analysis.getResult();
}

FileRenderer::Outcome FileRenderer::render (juce::AudioFormatReader& source, const Request& request)
{
    jassert (request.format != nullptr);
    const auto sampleRate = source.sampleRate;
    const auto total = source.lengthInSamples;

    Outcome outcome;
    outcome.bitsWritten = OutputFormat::chooseBitDepth (*request.format, (int) source.bitsPerSample, request.bits);

    std::optional<StereoAnalysis> inputAnalysis, outputAnalysis;

    if (request.analysisSplitHz.has_value())
    {
        checkSplit (*request.analysisSplitHz, sampleRate);
        inputAnalysis.emplace (sampleRate, *request.analysisSplitHz);
        outputAnalysis.emplace (sampleRate, *request.analysisSplitHz);
    }

    juce::TemporaryFile temp (request.target);
    auto stream = std::make_unique<juce::FileOutputStream> (temp.getFile());

    if (! stream->openedOk())
        throw RenderError ("cannot write " + request.target.getFullPathName());

    // FLAC's own default compression; the other formats have no such choice.
    const auto quality = request.format->getQualityOptions().size() > 5 ? 5 : 0;
    std::unique_ptr<juce::AudioFormatWriter> writer (request.format->createWriterFor (stream.get(), sampleRate, 2, outcome.bitsWritten, source.metadataValues, quality));

    if (writer == nullptr)
        throw RenderError ("cannot write " + request.format->getFormatName() + " with " + OutputFormat::describeBitDepth (outcome.bitsWritten) + " samples");

    stream.release();

    OutputRounding rounding (outcome.bitsWritten);
    outcome.dithered = rounding.dithers();

    processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor.prepareToPlay (sampleRate, blockSize);

    juce::AudioBuffer<float> block (2, blockSize);
    juce::MidiBuffer midi;

    for (juce::int64 start = 0; start < total; start += blockSize)
    {
        const auto num = (int) juce::jmin ((juce::int64) blockSize, total - start);
        readBlock (source, block, start, num);
        juce::AudioBuffer<float> frames (block.getArrayOfWritePointers(), 2, 0, num);

        outcome.inputPeakLeft = juce::jmax (outcome.inputPeakLeft, frames.getMagnitude (0, 0, num));
        outcome.inputPeakRight = juce::jmax (outcome.inputPeakRight, frames.getMagnitude (1, 0, num));
        if (inputAnalysis)
            inputAnalysis->addBlock (frames.getReadPointer (0), frames.getReadPointer (1), num);

        processor.processBlock (frames, midi);

        outcome.outputPeakLeft = juce::jmax (outcome.outputPeakLeft, frames.getMagnitude (0, 0, num));
        outcome.outputPeakRight = juce::jmax (outcome.outputPeakRight, frames.getMagnitude (1, 0, num));
        if (outputAnalysis)
            outputAnalysis->addBlock (frames.getReadPointer (0), frames.getReadPointer (1), num);

        rounding.apply (frames, num);

        if (! writer->writeFromAudioSampleBuffer (frames, 0, num))
            throw RenderError ("writing " + request.target.getFullPathName() + " failed");

        if (request.progress)
            request.progress ((double) (start + num) / (double) total);
    }

    processor.releaseResources();

    writer.reset(); // completes the header

    if (! temp.overwriteTargetFileWithTemporary())
        throw RenderError ("cannot replace " + request.target.getFullPathName());

    if (inputAnalysis)
    {
        outcome.input = inputAnalysis->getResult();
        outcome.output = outputAnalysis->getResult();
    }

    return outcome;
}
