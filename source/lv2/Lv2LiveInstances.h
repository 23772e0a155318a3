#pragma once

/** The DSP instances this binary created, so that an editor can tell whether the instance a host hands it
    belongs to this binary: a host may pair the editor of one installed copy with the DSP of another.
    Pointers are compared, never followed.
*/
class Lv2LiveInstances
{
public:
    static void add (const void* instance);
    static void remove (const void* instance);
    static bool contains (const void* instance);
};
