#include "SignalScopeReader.h"

#include "processor/SignalScopeFeed.h"
#include "widgets/StereoComponent.h"

SignalScopeReader::SignalScopeReader (SignalScopeFeed& feedToRead, StereoComponent& display)
    : feed (feedToRead), stereoField (display)
{
}

SignalScopeReader::~SignalScopeReader()
{
    setShown (false);
}

void SignalScopeReader::setShown (bool shouldBeShown)
{
    if (shown == shouldBeShown)
        return;

    shown = shouldBeShown;
    feed.setActive (shown);
    stereoField.getScope().clear();
    stereoField.getScope().setCorrelation ({});
    correlation.reset();
    stereoField.setScopeShown (shown);

    if (shown)
    {
        left.resize (SignalScopeFeed::frameCapacity);
        right.resize (SignalScopeFeed::frameCapacity);
        lastFramesTime = juce::Time::getMillisecondCounterHiRes();
        startTimerHz (timerHz);
    }
    else
    {
        stopTimer();
    }
}

void SignalScopeReader::update()
{
    if (! shown)
        return;

    auto& scope = stereoField.getScope();
    const auto hadDots = scope.hasVisibleDots();
    const auto oldReading = scope.getCorrelation();
    const auto sampleRate = feed.getSampleRate();
    const auto now = juce::Time::getMillisecondCounterHiRes();

    const auto count = feed.readFrames (left.data(), right.data(), (int) left.size());
    scope.addFrames (left.data(), right.data(), count, sampleRate);
    correlation.add (feed.takeSums(), sampleRate);

    if (count > 0)
    {
        lastFramesTime = now;
    }
    else if (now - lastFramesTime > staleSeconds * 1000.0)
    {
        correlation.reset();
        scope.clear();
    }

    scope.setCorrelation (correlation.getCorrelation());

    // Silence, playing or stopped, draws no dot: without dots before and after, only a new reading paints.
    if (stereoField.isScopeVisible() && (hadDots || scope.hasVisibleDots() || oldReading != scope.getCorrelation()))
        stereoField.repaint();
}
