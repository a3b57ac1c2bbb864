# GUI tests run headless, each with its own runtime folder (the single-instance socket lives
# there), and fail rather than hang.
if(NOT TARGET velloro_ui)
    return()
endif()

set(VELLORO_SCREENSHOT_DIR ${CMAKE_BINARY_DIR}/screenshots)
file(MAKE_DIRECTORY ${VELLORO_SCREENSHOT_DIR})
# Leaks inside the toolkit's font and platform plugins are not ours; ours are still reported.
set(VELLORO_GUI_TEST_ENV
    "QT_QPA_PLATFORM=offscreen"
    "VELLORO_SCREENSHOT_DIR=${VELLORO_SCREENSHOT_DIR}"
    "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/ui/lsan_suppressions.txt"
    "ASAN_OPTIONS=detect_leaks=1")

function(velloro_gui_test_dir name)
    cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(velloro_${name}_tests ${sources})
    target_link_libraries(velloro_${name}_tests PRIVATE ${T_LIBS} velloro_test_support
                          GTest::gtest_main)
    target_compile_definitions(velloro_${name}_tests PRIVATE
        VELLORO_SCREENSHOT_DIR="${VELLORO_SCREENSHOT_DIR}")
    # Each test makes its own runtime folder (tests/ui/gui_test_support.h).
    gtest_discover_tests(velloro_${name}_tests
        DISCOVERY_TIMEOUT 60
        DISCOVERY_MODE PRE_TEST
        PROPERTIES
            ENVIRONMENT "${VELLORO_TEST_ENV};${VELLORO_GUI_TEST_ENV}"
            TIMEOUT 120)
endfunction()

velloro_gui_test_dir(ui LIBS velloro_ui)
if(TARGET velloro_app)
    velloro_gui_test_dir(app LIBS velloro_app)
endif()
