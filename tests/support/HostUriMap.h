#pragma once

#include <lv2/urid/urid.h>

#include <algorithm>
#include <string>
#include <vector>

/** The URI map a host passes its plug-ins: every new URI gets the next number, from 1, for the life of
    the process. Test and benchmark hosts share the one instance.
*/
struct HostUriMap
{
    static LV2_URID map (LV2_URID_Map_Handle, const char* uri)
    {
        static std::vector<std::string> uris;
        auto found = std::find (uris.begin(), uris.end(), uri);
        if (found == uris.end())
            found = uris.insert (uris.end(), uri);
        return (LV2_URID) (found - uris.begin()) + 1;
    }
};
