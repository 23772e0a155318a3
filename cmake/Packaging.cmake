# Installation into /usr and the Debian package (`cpack -G DEB` in a release build folder).
include(GNUInstallDirs)

set(wydenza_artefacts "${CMAKE_BINARY_DIR}/Wydenza_artefacts/$<CONFIG>")
set(wydenza_doc_dir "share/doc/wydenza")

install(DIRECTORY "${wydenza_artefacts}/LV2/Wydenza.lv2" DESTINATION lib/lv2 USE_SOURCE_PERMISSIONS)
install(DIRECTORY "${wydenza_artefacts}/VST3/Wydenza.vst3" DESTINATION lib/vst3 USE_SOURCE_PERMISSIONS)
# /usr/lib/vst is the one folder every Linux host searches by default for VST 2.4 (Ardour, Audacity, Qtractor,
# MusE, hosts built on JUCE); Audacity and JUCE's hosts do not search /usr/lib/lxvst.
install(FILES $<TARGET_FILE:Wydenza_VST> DESTINATION lib/vst RENAME Wydenza.so
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# Not in /usr/share/vst3/presets, where VST3 hosts look: Debian 12's Ardour (7.3) freezes when it loads any
# VST3 preset of a plug-in built with this framework (it locks its own mutex again from within the load).
# Users of other hosts copy them into ~/.vst3/presets.
install(DIRECTORY "${WYDENZA_VST3_PRESETS}/" DESTINATION share/wydenza/vst3-presets)
install(PROGRAMS $<TARGET_FILE:Wydenza_Standalone> DESTINATION bin RENAME wydenza)
install(TARGETS wydenza-render RUNTIME DESTINATION bin)

# Only targets installed as such are stripped by CPack; the bundles and renamed binaries are stripped
# here, as Debian's own packaging would.
set(wydenza_installed_binaries bin/wydenza bin/wydenza-render lib/vst/Wydenza.so lib/lv2/Wydenza.lv2/libWydenza.so
    lib/vst3/Wydenza.vst3/Contents/x86_64-linux/Wydenza.so)
install(CODE "
    foreach(binary ${wydenza_installed_binaries})
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note --strip-unneeded
                                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${binary}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()")

install(FILES packaging/wydenza.desktop DESTINATION share/applications)
install(FILES resources/icons/wydenza.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES packaging/copyright DESTINATION ${wydenza_doc_dir})

# The manual pages come from the programs' own --help (which needs no display); Debian wants them and the
# changelog compressed with no time stamp.
find_program(HELP2MAN help2man REQUIRED)
function(wydenza_manual_page target page summary)
    set(page_file "${CMAKE_BINARY_DIR}/packaging/${page}.1")
    add_custom_command(OUTPUT "${page_file}.gz"
        COMMAND "${HELP2MAN}" --no-info --section=1 "--version-string=${page} (Wydenza) ${PROJECT_VERSION}"
                "--name=${summary}"
                "--include=${CMAKE_CURRENT_SOURCE_DIR}/packaging/${page}.h2m" --output=${page_file}
                $<TARGET_FILE:${target}>
        COMMAND gzip -9nf "${page_file}"
        DEPENDS ${target} "${CMAKE_CURRENT_SOURCE_DIR}/packaging/${page}.h2m"
        VERBATIM)
endfunction()
wydenza_manual_page(wydenza-render wydenza-render "renders and measures stereo audio files through Wydenza")
wydenza_manual_page(Wydenza_Standalone wydenza "the stereo-image audio effect as an app for ALSA and JACK")
set(wydenza_man_pages "${CMAKE_BINARY_DIR}/packaging/wydenza-render.1.gz" "${CMAKE_BINARY_DIR}/packaging/wydenza.1.gz")

# The changelog, and the news that apt-listchanges shows before an upgrade where a version changes what
# users see in their hosts; the newest entries carry the build's date.
string(TIMESTAMP wydenza_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
foreach(changes changelog NEWS.Debian)
    configure_file(packaging/${changes}.in "${CMAKE_BINARY_DIR}/packaging/${changes}" @ONLY)
    add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/packaging/${changes}.gz"
        COMMAND gzip -9nkf "${CMAKE_BINARY_DIR}/packaging/${changes}"
        DEPENDS "${CMAKE_BINARY_DIR}/packaging/${changes}"
        VERBATIM)
endforeach()
# The manuals as HTML pages with working links, their pictures beside them and a contents page
# (index.html), made by Debian's markdown-it (python3-markdown-it). The first python3 that has it is taken,
# since a python3 of its own on PATH may come first.
function(wydenza_python_has_markdown_it result candidate)
    execute_process(COMMAND "${candidate}" -c "import markdown_it" RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
    if(NOT status EQUAL 0)
        set(${result} FALSE PARENT_SCOPE)
    endif()
endfunction()
find_program(WYDENZA_MANUALS_PYTHON NAMES python3 VALIDATOR wydenza_python_has_markdown_it
             DOC "python3 with markdown_it, for the HTML manuals" REQUIRED)
set(wydenza_html_manuals "${CMAKE_BINARY_DIR}/packaging/html")
file(GLOB wydenza_manual_sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/docs/*.md" "${CMAKE_CURRENT_SOURCE_DIR}/docs/*.png")
add_custom_command(OUTPUT "${wydenza_html_manuals}.stamp"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${wydenza_html_manuals}"
    COMMAND "${WYDENZA_MANUALS_PYTHON}" "${CMAKE_CURRENT_SOURCE_DIR}/packaging/html-manuals.py"
            "${CMAKE_CURRENT_SOURCE_DIR}" "${wydenza_html_manuals}"
    COMMAND "${CMAKE_COMMAND}" -E touch "${wydenza_html_manuals}.stamp"
    DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/README.md" ${wydenza_manual_sources}
            "${CMAKE_CURRENT_SOURCE_DIR}/packaging/html-manuals.py" "${CMAKE_CURRENT_SOURCE_DIR}/scripts/check-doc-links.py"
    VERBATIM)
install(DIRECTORY "${wydenza_html_manuals}/" DESTINATION ${wydenza_doc_dir})

add_custom_target(wydenza-package-docs ALL DEPENDS ${wydenza_man_pages} "${CMAKE_BINARY_DIR}/packaging/changelog.gz"
    "${CMAKE_BINARY_DIR}/packaging/NEWS.Debian.gz" "${wydenza_html_manuals}.stamp")
install(FILES ${wydenza_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES "${CMAKE_BINARY_DIR}/packaging/changelog.gz" "${CMAKE_BINARY_DIR}/packaging/NEWS.Debian.gz"
        DESTINATION ${wydenza_doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wydenza)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ZELVORA")
set(CPACK_PACKAGE_CONTACT "ZELVORA <info@zelvora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stereo-image audio effect (LV2, VST3, VST, standalone)")
set(CPACK_PACKAGE_DESCRIPTION
    "Wydenza widens or narrows the stereo image by mid/side processing, pans or\n"
    "balances, keeps the bass below an adjustable crossover mono, swaps, flips and\n"
    "mutes channels. This package holds the LV2, VST3 and VST 2.4 plug-ins, the\n"
    "standalone app (ALSA or JACK) and the offline renderer wydenza-render.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.zelvora.example")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps sees only linked libraries. The framework opens X11 and its extensions at run time: the
# editor needs libX11 and libXext, and uses the others where they are; JACK is opened when present.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libx11-6, libxext6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libxcursor1, libxinerama1, libxrandr2, libxrender1")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "jackd2 | pipewire-jack")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
