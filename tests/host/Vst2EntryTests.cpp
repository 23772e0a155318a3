// Talks to the VST 2.4 binary through its exported entry point, as a VST 2.4 host does, to read the
// numbers such a host shows.

#include <pluginterfaces/vst2.x/aeffectx.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <string>

namespace
{
t_fstPtrInt hostCallback (AEffect*, int opcode, int, t_fstPtrInt, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::string dispatchString (AEffect* effect, int opcode)
{
    char text[256] = {};
    effect->dispatcher (effect, opcode, 0, 0, text, 0.0f);
    return text;
}
} // namespace

TEST (Vst2Entry, ReportsIdentityVersionAndChannels)
{
    void* library = dlopen (WYDENZA_VST_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE (library, nullptr) << dlerror();

    using EntryPoint = AEffect* (*) (AEffectDispatcherProc);
    auto entry = reinterpret_cast<EntryPoint> (dlsym (library, "VSTPluginMain"));
    ASSERT_NE (entry, nullptr);

    AEffect* effect = entry (reinterpret_cast<AEffectDispatcherProc> (hostCallback));
    ASSERT_NE (effect, nullptr);
    effect->dispatcher (effect, effOpen, 0, 0, nullptr, 0.0f);

    EXPECT_EQ (effect->magic, 0x56737450);
    EXPECT_EQ (effect->uniqueID, ('Q' << 24) | ('7' << 16) | ('W' << 8) | 'y');
    EXPECT_EQ (effect->version, 110);
    EXPECT_EQ (effect->dispatcher (effect, effGetVendorVersion, 0, 0, nullptr, 0.0f), 110);
    EXPECT_EQ (dispatchString (effect, effGetEffectName), "Wydenza");
    EXPECT_EQ (dispatchString (effect, effGetProductString), "Wydenza");
    EXPECT_EQ (dispatchString (effect, effGetVendorString), "ZELVORA");
    EXPECT_EQ (effect->numInputs, 2);
    EXPECT_EQ (effect->numOutputs, 2);
    EXPECT_EQ (effect->numParams, 50);
    EXPECT_EQ (effect->numPrograms, 1);
    EXPECT_TRUE (effect->flags & effFlagsHasEditor);
    EXPECT_TRUE (effect->flags & effFlagsProgramChunks);
    EXPECT_FALSE (effect->flags & effFlagsIsSynth);

    char name[64] = {};
    effect->dispatcher (effect, effGetParamName, 16, 0, name, 0.0f);
    EXPECT_STREQ (name, "SafeBass");

    effect->dispatcher (effect, effClose, 0, 0, nullptr, 0.0f);
    dlclose (library);
}
