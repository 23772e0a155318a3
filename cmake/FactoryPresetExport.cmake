# After each link of the LV2 module the exporter writes the bundle's Turtle (manifest, plug-in, UI) and the
# factory presets beside it. The exporter makes processors, which open the per-user settings file: it gets
# a home folder inside the build folder.
set(wydenza_export_home "${CMAKE_BINARY_DIR}/preset-export-home")
if(TARGET Wydenza_LV2)
    add_dependencies(Wydenza_LV2 wydenza-preset-export)
    # A changed exporter relinks the plug-in, which runs the post-build steps again.
    set_property(TARGET Wydenza_LV2 APPEND PROPERTY LINK_DEPENDS $<TARGET_FILE:wydenza-preset-export>)
    add_custom_command(TARGET Wydenza_LV2 POST_BUILD
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${wydenza_export_home}"
        COMMAND "${CMAKE_COMMAND}" -E env "HOME=${wydenza_export_home}" "XDG_CONFIG_HOME=${wydenza_export_home}/.config"
                $<TARGET_FILE:wydenza-preset-export> --lv2 "$<TARGET_FILE_DIR:Wydenza_LV2>"
        VERBATIM)
endif()

# The factory presets as VST3 preset files, in the layout VST3 hosts search, for the package.
if(TARGET Wydenza_VST3)
    set(WYDENZA_VST3_PRESETS "${CMAKE_BINARY_DIR}/vst3-presets")
    set(wydenza_vst3_presets_stamp "${CMAKE_BINARY_DIR}/vst3-presets.stamp")
    add_custom_command(OUTPUT "${wydenza_vst3_presets_stamp}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${wydenza_export_home}"
        COMMAND "${CMAKE_COMMAND}" -E env "HOME=${wydenza_export_home}" "XDG_CONFIG_HOME=${wydenza_export_home}/.config"
                $<TARGET_FILE:wydenza-preset-export> --vst3 "${WYDENZA_VST3_PRESETS}"
        COMMAND "${CMAKE_COMMAND}" -E touch "${wydenza_vst3_presets_stamp}"
        DEPENDS wydenza-preset-export
        VERBATIM)
    add_custom_target(wydenza-vst3-presets ALL DEPENDS "${wydenza_vst3_presets_stamp}")
endif()
