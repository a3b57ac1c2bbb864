# The Qt side: the platform's window layer, the program's windows, and the program.
find_package(Qt6 REQUIRED COMPONENTS Widgets Network)

file(GLOB VELLORO_UI_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/ui/*.cpp)
add_library(velloro_ui STATIC ${VELLORO_UI_SOURCES})
set_target_properties(velloro_ui PROPERTIES AUTOMOC ON)
target_link_libraries(velloro_ui PUBLIC velloro_platform Qt6::Widgets Qt6::Network)
target_compile_definitions(velloro_ui PRIVATE
    VELLORO_SOURCE_RESOURCE_DIR="${PROJECT_SOURCE_DIR}/resources")
# Templates, menus and strings are compiled in; pictures and the help page stay files.
file(GLOB VELLORO_RESOURCE_DATA CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*.json)
qt_add_resources(velloro_ui velloro_resource_data
    PREFIX /velloro
    BASE ${PROJECT_SOURCE_DIR}/resources
    FILES ${VELLORO_RESOURCE_DATA})

# The program's windows exist only once their sources do.
file(GLOB VELLORO_APP_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/shell/*.cpp
     ${PROJECT_SOURCE_DIR}/contacts/*_dialog.cpp
     ${PROJECT_SOURCE_DIR}/sms/*_dialog.cpp
     ${PROJECT_SOURCE_DIR}/core/progress_window.cpp)
list(FILTER VELLORO_APP_SOURCES EXCLUDE REGEX "/shell/(dialog_math[^/]*|main)\\.cpp$")
if(VELLORO_APP_SOURCES)
    add_library(velloro_app STATIC ${VELLORO_APP_SOURCES})
    target_link_libraries(velloro_app PUBLIC velloro_core velloro_ui)
    if(TARGET velloro_dialog_math)
        target_link_libraries(velloro_app PUBLIC velloro_dialog_math)
    endif()
endif()

if(EXISTS ${PROJECT_SOURCE_DIR}/shell/main.cpp AND TARGET velloro_app)
    add_executable(velloro ${PROJECT_SOURCE_DIR}/shell/main.cpp)
    target_link_libraries(velloro PRIVATE velloro_app)
endif()
