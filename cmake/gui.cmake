# The Qt side: the window layer (ui/) and the program's windows (app/).
find_package(Qt6 REQUIRED COMPONENTS Widgets Network)

velloro_add_library(velloro_ui ui)
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

velloro_add_library(velloro_app app)
target_link_libraries(velloro_app PUBLIC velloro_core velloro_ui velloro_dialog_math)
