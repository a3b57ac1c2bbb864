# Includes point down only, and Qt stays inside ui/ and app/. Run as a build step over every
# source and header, so a wrong include fails the build, not a later review.
#   cmake -DROOT=<source dir> -DSTAMP=<file> -P check_layers.cmake
if(CMAKE_SCRIPT_MODE_FILE)
    cmake_policy(VERSION 3.25)
    # folder -> the project folders it may include from (besides itself)
    set(allowed_platform "platform")
    set(allowed_core "core;platform")
    set(allowed_contacts "contacts;sms;core;platform")
    set(allowed_sms "sms;contacts;core;platform")
    set(allowed_operations "operations;contacts;sms;core;platform")
    set(allowed_dialog_math "dialog_math;platform")
    set(allowed_ui "ui;platform")
    set(allowed_app "app;ui;dialog_math;operations;contacts;sms;core;platform")
    set(allowed_tools "operations;contacts;sms;core;platform")
    set(qt_allowed "ui;app")

    set(problems "")
    foreach(folder platform core contacts sms operations dialog_math ui app tools)
        file(GLOB_RECURSE files ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
        foreach(file IN LISTS files)
            file(RELATIVE_PATH rel ${ROOT} ${file})
            # tools/velloro is the GUI executable: it may include app/.
            set(allowed ${allowed_${folder}})
            if(rel MATCHES "^tools/velloro/")
                list(APPEND allowed app)
            endif()
            file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
            foreach(line IN LISTS includes)
                if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_]+)/")
                    set(target_folder ${CMAKE_MATCH_1})
                    if(NOT target_folder IN_LIST allowed)
                        string(APPEND problems "\n  ${rel}: ${line}")
                    endif()
                elseif(line MATCHES "#[ \t]*include[ \t]*<Q[A-Za-z]*(/|>)")
                    if(NOT folder IN_LIST qt_allowed AND NOT rel MATCHES "^tools/velloro/")
                        string(APPEND problems "\n  ${rel}: ${line} (Qt outside ui/ and app/)")
                    endif()
                endif()
            endforeach()
        endforeach()
    endforeach()
    if(problems)
        message(FATAL_ERROR "Includes that point up or reach Qt:${problems}")
    endif()
    file(TOUCH ${STAMP})
    return()
endif()

file(GLOB_RECURSE velloro_layer_files CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/platform/*.h ${PROJECT_SOURCE_DIR}/platform/*.cpp
     ${PROJECT_SOURCE_DIR}/core/*.h ${PROJECT_SOURCE_DIR}/core/*.cpp
     ${PROJECT_SOURCE_DIR}/contacts/*.h ${PROJECT_SOURCE_DIR}/contacts/*.cpp
     ${PROJECT_SOURCE_DIR}/sms/*.h ${PROJECT_SOURCE_DIR}/sms/*.cpp
     ${PROJECT_SOURCE_DIR}/operations/*.h ${PROJECT_SOURCE_DIR}/operations/*.cpp
     ${PROJECT_SOURCE_DIR}/dialog_math/*.h ${PROJECT_SOURCE_DIR}/dialog_math/*.cpp
     ${PROJECT_SOURCE_DIR}/ui/*.h ${PROJECT_SOURCE_DIR}/ui/*.cpp
     ${PROJECT_SOURCE_DIR}/app/*.h ${PROJECT_SOURCE_DIR}/app/*.cpp
     ${PROJECT_SOURCE_DIR}/tools/*.h ${PROJECT_SOURCE_DIR}/tools/*.cpp)
set(velloro_layer_stamp ${CMAKE_BINARY_DIR}/layers_checked.stamp)
add_custom_command(OUTPUT ${velloro_layer_stamp}
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DSTAMP=${velloro_layer_stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake
    DEPENDS ${velloro_layer_files} ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake
    COMMENT "Checking that includes point down only")
add_custom_target(velloro_layer_check ALL DEPENDS ${velloro_layer_stamp})
add_dependencies(velloro_core velloro_layer_check)
