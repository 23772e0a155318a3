#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    // The test's main thread is the message thread, as the host's GUI thread is for a plug-in.
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
