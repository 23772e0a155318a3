# Generates a VST 2.4 SDK folder from Debian's free FST headers, in the layout JUCE expects.
# FST declares the speaker array as a flexible member; JUCE's VST hosting code allocates the
# arrangement struct by size and writes up to eight speakers into it, so the copy gives it room.
function(wydenza_generate_fst_sdk out_dir)
    set(src_dir "/usr/include/pluginterfaces/fst")
    if(NOT EXISTS "${src_dir}/fst.h")
        message(FATAL_ERROR "FST headers not found in ${src_dir}: install fst-dev")
    endif()
    set(dst_dir "${out_dir}/pluginterfaces/vst2.x")
    file(MAKE_DIRECTORY "${dst_dir}")
    file(READ "${src_dir}/fst.h" fst_text)
    string(REPLACE "t_fstSpeakerProperties speakers[];" "t_fstSpeakerProperties speakers[8];" fst_text "${fst_text}")
    file(WRITE "${dst_dir}/fst.h.tmp" "${fst_text}")
    configure_file("${dst_dir}/fst.h.tmp" "${dst_dir}/fst.h" COPYONLY)
    configure_file("${src_dir}/aeffect.h" "${dst_dir}/aeffect.h" COPYONLY)
    configure_file("${src_dir}/aeffectx.h" "${dst_dir}/aeffectx.h" COPYONLY)
endfunction()
