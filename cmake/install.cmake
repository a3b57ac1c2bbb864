# Installs the programs with what they read at run time, and what a desktop and a shell want
# around them. The pictures and the help page live in share/velloro, where ResourceDir finds
# them from bin/ (../share/velloro).
include(GNUInstallDirs)

# The AppStream id; the desktop entry and the metainfo are named after it.
set(VELLORO_APP_ID "com.quorvane.Velloro")
set(VELLORO_HOMEPAGE "https://velloro.example" CACHE STRING
    "Project home page named in the package and its AppStream metadata (no trailing slash)")

foreach(program velloro velloro-cli velloro-phone)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/images ${PROJECT_SOURCE_DIR}/resources/help
        DESTINATION ${CMAKE_INSTALL_DATADIR}/velloro)
install(FILES ${PROJECT_SOURCE_DIR}/resources/dialogs.json ${PROJECT_SOURCE_DIR}/resources/menus.json
              ${PROJECT_SOURCE_DIR}/resources/strings.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/velloro)

# Desktop entry, icons (the program's own 16-48 px pictures plus the theme-only sizes) and the
# AppStream metadata.
if(TARGET velloro)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/velloro.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${VELLORO_APP_ID}.desktop)
    foreach(size 16 24 32 48 64 128 256)
        set(icon ${PROJECT_SOURCE_DIR}/resources/images/velloro_${size}.png)
        if(NOT EXISTS ${icon})
            set(icon ${PROJECT_SOURCE_DIR}/resources/icons/velloro_${size}.png)
        endif()
        install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME velloro.png)
    endforeach()
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/velloro.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/velloro.metainfo.xml.in
                   ${PROJECT_BINARY_DIR}/packaging/${VELLORO_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/${VELLORO_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# Shell completion, and the manual pages compressed as Debian policy wants them.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/bash-completion/velloro-cli
              ${PROJECT_SOURCE_DIR}/packaging/bash-completion/velloro-phone
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
set(velloro_man_pages)
foreach(page velloro velloro-cli velloro-phone)
    if(NOT TARGET ${page})
        continue()
    endif()
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1)
    set(packed ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${packed}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
                       COMMAND gzip -9 -n -c ${source} > ${packed}
                       DEPENDS ${source} VERBATIM)
    list(APPEND velloro_man_pages ${packed})
endforeach()
add_custom_target(velloro_man ALL DEPENDS ${velloro_man_pages})
install(FILES ${velloro_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velloro)
