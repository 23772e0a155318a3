# After the framework has written the LV2 bundle's manifest (its own post-build step, added first, so it
# runs first), the factory presets are written into the bundle. The exporter makes processors, which open
# the per-user settings file: it gets a home folder inside the build folder.
if(TARGET Wydenza_LV2)
    set(wydenza_export_home "${CMAKE_BINARY_DIR}/preset-export-home")
    add_dependencies(Wydenza_LV2 wydenza-preset-export)
    add_custom_command(TARGET Wydenza_LV2 POST_BUILD
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${wydenza_export_home}"
        COMMAND "${CMAKE_COMMAND}" -E env "HOME=${wydenza_export_home}" "XDG_CONFIG_HOME=${wydenza_export_home}/.config"
                $<TARGET_FILE:wydenza-preset-export> "$<TARGET_FILE_DIR:Wydenza_LV2>"
        VERBATIM)
endif()
