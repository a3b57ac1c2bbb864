# GUI tests run headless, each with its own runtime folder (the single-instance socket lives
# there), and fail rather than hang.
set(VELLORO_SCREENSHOT_DIR ${CMAKE_BINARY_DIR}/screenshots)
file(MAKE_DIRECTORY ${VELLORO_SCREENSHOT_DIR})
# gtest_discover_tests keeps only the first entry of an ENVIRONMENT list (the escaped separators
# are lost on the way to the generated script), so the GUI tests get exactly one variable here;
# the rest is set by the tests themselves (tests/ui/gui_test_support.h): a runtime folder per
# test, and the sanitizer's suppressions compiled into the test program.
set(VELLORO_GUI_TEST_ENV "QT_QPA_PLATFORM=offscreen")

function(velloro_gui_test_dir name)
    cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
    if(NOT sources)
        message(FATAL_ERROR "tests/${name}/ holds no tests")
    endif()
    # Every GUI test program shares the fixture and the sanitizer's suppressions of tests/ui.
    list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/ui/lsan_suppressions.cpp)
    list(REMOVE_DUPLICATES sources)
    add_executable(velloro_${name}_tests ${sources})
    target_include_directories(velloro_${name}_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ui)
    target_link_libraries(velloro_${name}_tests PRIVATE ${T_LIBS} velloro_test_support
                          GTest::gtest_main)
    target_compile_definitions(velloro_${name}_tests PRIVATE
        VELLORO_SCREENSHOT_DIR="${VELLORO_SCREENSHOT_DIR}")
    gtest_discover_tests(velloro_${name}_tests
        DISCOVERY_TIMEOUT 60
        PROPERTIES
            ENVIRONMENT "${VELLORO_GUI_TEST_ENV}"
            TIMEOUT 120)
endfunction()

velloro_gui_test_dir(ui LIBS velloro_ui)
velloro_gui_test_dir(app LIBS velloro_app)
