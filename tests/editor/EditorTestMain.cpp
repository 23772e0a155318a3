#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

// Last: it brings in Xlib.
#include "support/VirtualDesktop.h"

int main (int argc, char** argv)
{
    auto* atomsConnection = testsupport::createDesktopAtoms();
    int result;

    {
        juce::ScopedJuceInitialiser_GUI juceInitialiser;
        ::testing::InitGoogleTest (&argc, argv);
        result = RUN_ALL_TESTS();
    }

    if (atomsConnection != nullptr)
        XCloseDisplay (atomsConnection);

    return result;
}
