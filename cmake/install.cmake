# Installs the programs with what they read at run time: the pictures and the help page live
# beside the binaries in share/velloro, where ResourceDir looks for them.
include(GNUInstallDirs)

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
install(FILES ${PROJECT_SOURCE_DIR}/resources/velloro.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/images/velloro_${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME velloro.png)
endforeach()
