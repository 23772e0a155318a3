#include "DesktopScale.h"

#include "RuntimeLibrary.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <climits>
#include <cstdlib>

namespace
{
constexpr double referenceDpi = 96.0;

/** The functions of libX11 this needs, opened at run time as the framework opens them. */
struct X11Library
{
    X11Library()
    {
        complete = x11.load (openDisplay, "XOpenDisplay") && x11.load (closeDisplay, "XCloseDisplay")
                   && x11.load (resourceManagerString, "XResourceManagerString") && x11.load (xrmInitialize, "XrmInitialize")
                   && x11.load (xrmGetStringDatabase, "XrmGetStringDatabase") && x11.load (xrmGetResource, "XrmGetResource")
                   && x11.load (xrmDestroyDatabase, "XrmDestroyDatabase") && x11.load (internAtom, "XInternAtom")
                   && x11.load (getSelectionOwner, "XGetSelectionOwner") && x11.load (getWindowProperty, "XGetWindowProperty")
                   && x11.load (freeMemory, "XFree") && x11.load (defaultScreen, "XDefaultScreen");
    }

    RuntimeLibrary x11 { "libX11.so.6" };
    bool complete = false;
    Display* (*openDisplay) (const char*) = nullptr;
    int (*closeDisplay) (Display*) = nullptr;
    char* (*resourceManagerString) (Display*) = nullptr;
    void (*xrmInitialize)() = nullptr;
    XrmDatabase (*xrmGetStringDatabase) (const char*) = nullptr;
    Bool (*xrmGetResource) (XrmDatabase, const char*, const char*, char**, XrmValue*) = nullptr;
    void (*xrmDestroyDatabase) (XrmDatabase) = nullptr;
    Atom (*internAtom) (Display*, const char*, Bool) = nullptr;
    Window (*getSelectionOwner) (Display*, Atom) = nullptr;
    int (*getWindowProperty) (Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*, unsigned long*, unsigned char**) = nullptr;
    int (*freeMemory) (void*) = nullptr;
    int (*defaultScreen) (Display*) = nullptr;
};

/** Gdk/WindowScalingFactor as the XSETTINGS manager publishes it, or 0 when none runs or it publishes none. */
int publishedScale (const X11Library& x11, Display* display)
{
    const auto selection = "_XSETTINGS_S" + juce::String (x11.defaultScreen (display));
    const auto owner = x11.getSelectionOwner (display, x11.internAtom (display, selection.toRawUTF8(), False));

    if (owner == None)
        return 0;

    Atom type {};
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const auto settings = x11.internAtom (display, "_XSETTINGS_SETTINGS", False);

    if (x11.getWindowProperty (display, owner, settings, 0, LONG_MAX / 4, False, settings, &type, &format, &count, &remaining, &data) != Success || data == nullptr)
        return 0;

    const auto factor = format == 8 ? DesktopScale::findWindowScalingFactor (data, count) : 0;
    x11.freeMemory (data);
    return factor;
}

std::optional<double> scaleFromXftDpi (const X11Library& x11, Display* display)
{
    const auto* resources = x11.resourceManagerString (display);

    if (resources == nullptr)
        return {};

    x11.xrmInitialize();
    auto database = x11.xrmGetStringDatabase (resources);

    if (database == nullptr)
        return {};

    char* type = nullptr;
    XrmValue value {};
    std::optional<double> scale;

    if (x11.xrmGetResource (database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr)
    {
        const auto dpi = juce::String::fromUTF8 (value.addr, static_cast<int> (value.size)).trim().getDoubleValue();
        if (dpi > 0.0)
            scale = juce::jlimit (DesktopScale::minimum, DesktopScale::maximum, dpi / referenceDpi);
    }

    x11.xrmDestroyDatabase (database);
    return scale;
}
} // namespace

std::optional<double> DesktopScale::find (juce::String& why)
{
    if (const auto* chosen = std::getenv (environmentVariable); chosen != nullptr && *chosen != 0)
    {
        const auto text = juce::String::fromUTF8 (chosen).trim();
        const auto value = text.getDoubleValue();

        if (text.containsOnly ("0123456789.") && value >= minimum && value <= maximum)
            return value;

        why = juce::String (environmentVariable) + "='" + text + "' is not a scale from " + juce::String (minimum) + " to " + juce::String (maximum) + "; it is ignored";
    }

    static const X11Library x11;

    if (! x11.complete)
        return {};

    auto* display = x11.openDisplay (nullptr);

    if (display == nullptr)
        return {};

    // The framework reads the published scale only from displays it finds through RandR; it is taken here
    // too, so that it holds on any X server (for the framework's own finding the product stays the same).
    const auto published = publishedScale (x11, display);
    const auto scale = published > 0 ? std::optional<double> (juce::jlimit (minimum, maximum, static_cast<double> (published)))
                                     : scaleFromXftDpi (x11, display);
    x11.closeDisplay (display);
    return scale;
}

int DesktopScale::findWindowScalingFactor (const juce::uint8* bytes, size_t size)
{
    constexpr size_t headerSize = 12;

    if (bytes == nullptr || size < headerSize)
        return 0;

    const auto bigEndian = bytes[0] != 0;
    const auto read16 = [&] (size_t at)
    { return bigEndian ? static_cast<unsigned> (bytes[at] << 8 | bytes[at + 1]) : static_cast<unsigned> (bytes[at + 1] << 8 | bytes[at]); };
    const auto read32 = [&] (size_t at)
    { return bigEndian ? (read16 (at) << 16 | read16 (at + 2)) : (read16 (at + 2) << 16 | read16 (at)); };
    const auto padded = [] (size_t length)
    { return (length + 3) & ~static_cast<size_t> (3); };

    const juce::String wanted ("Gdk/WindowScalingFactor");
    auto settings = read32 (8);
    size_t at = headerSize;

    while (settings-- > 0 && at + 8 <= size)
    {
        const auto type = bytes[at];
        const size_t nameLength = read16 (at + 2);
        const auto nameStart = at + 4;
        at = nameStart + padded (nameLength) + 4;

        if (at > size)
            return 0;

        const auto name = juce::String::fromUTF8 (reinterpret_cast<const char*> (bytes + nameStart), static_cast<int> (nameLength));

        if (type == 0) // integer
        {
            if (at + 4 > size)
                return 0;
            if (name == wanted)
                return static_cast<int> (read32 (at));
            at += 4;
        }
        else if (type == 1) // string
        {
            if (at + 4 > size)
                return 0;
            at += 4 + padded (read32 (at));
        }
        else if (type == 2) // colour
            at += 8;
        else
            return 0;
    }

    return 0;
}
