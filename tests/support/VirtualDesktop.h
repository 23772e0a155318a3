#pragma once

// Xlib's macros (None, Bool, Status) clash with other headers: include this one last.
#include <initializer_list>

#include <X11/Xlib.h>

namespace testsupport
{
/** A bare virtual X server has none of the window-manager atoms a desktop session creates, and the
    framework's window code, which runs in the host's process and trusts the host to have a session,
    sends them as 0 when they are missing. Creating them first makes the server look like a desktop.
    The connection is returned open, to be closed at exit: a virtual server forgets its atoms when its
    last client leaves. Null when there is no display.
*/
inline ::Display* createDesktopAtoms()
{
    auto* display = XOpenDisplay (nullptr);

    if (display == nullptr)
        return nullptr;

    for (const auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN", "_NET_WM_PID", "_NET_ACTIVE_WINDOW", "_NET_WM_USER_TIME", "_MOTIF_WM_HINTS" })
        XInternAtom (display, name, False);

    return display;
}
} // namespace testsupport
