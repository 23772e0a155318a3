#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** The scale the user or the desktop asks of the app's windows where the framework does not see it.

    The framework takes a desktop's scale from XSETTINGS (Gdk/WindowScalingFactor, and only for displays
    it finds through RandR) or, failing that, from the screen's physical size; desktops that publish only
    the X resource Xft.dpi (set with xrdb, as lightweight window managers do) get windows drawn at 96 dpi.
    Read once, before the first window.
*/
class DesktopScale
{
public:
    static constexpr const char* environmentVariable = "WYDENZA_SCALE";
    static constexpr double minimum = 0.5;
    static constexpr double maximum = 4.0;

    /** $WYDENZA_SCALE when it holds a number from minimum to maximum; otherwise the scale published
        through XSETTINGS; otherwise the X resource Xft.dpi divided by 96; otherwise nothing, and the
        framework's own finding holds. A WYDENZA_SCALE that is not such a number is reported in why.
    */
    static std::optional<double> find (juce::String& why);

    /** The integer setting Gdk/WindowScalingFactor in an XSETTINGS property's bytes, or 0 where it is
        missing or the bytes are malformed.
    */
    static int findWindowScalingFactor (const juce::uint8* bytes, size_t size);

private:
    DesktopScale() = delete;
};
