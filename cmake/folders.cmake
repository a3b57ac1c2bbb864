# A library is the .cpp files of the folders it names; an empty folder is a configuration error,
# not a silently missing target.
function(velloro_add_library target)
    set(sources)
    foreach(folder IN LISTS ARGN)
        file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
        if(NOT found)
            message(FATAL_ERROR "${folder}/ holds no sources for ${target}")
        endif()
        list(APPEND sources ${found})
    endforeach()
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()
