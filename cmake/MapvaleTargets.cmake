# Shared compile settings and helpers for the project's targets.

add_library(mapvale_options INTERFACE)
target_compile_options(mapvale_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow
    -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Wnull-dereference)
if(MAPVALE_WERROR)
    target_compile_options(mapvale_options INTERFACE -Werror)
endif()
target_compile_definitions(mapvale_options INTERFACE _FILE_OFFSET_BITS=64)

# mapvale_add_library(<name> SOURCES ... DEPS ...)
# A static core library for one source folder; its headers are included as "folder/file.h".
function(mapvale_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    if(NOT ARG_SOURCES)
        # A folder whose code is all in headers still gets a library to link against.
        set(empty "${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp")
        file(WRITE "${empty}" "")
        set(ARG_SOURCES "${empty}")
    endif()
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE mapvale_options)
endfunction()

# mapvale_add_program(<name> SOURCES ... DEPS ...)
# A program staged into the program folder of the build tree and installed beside Info/, in the
# install component COMPONENT (default: the programs' own, mapvale).
function(mapvale_add_program name)
    cmake_parse_arguments(ARG "" "COMPONENT" "SOURCES;DEPS" ${ARGN})
    if(NOT ARG_COMPONENT)
        set(ARG_COMPONENT mapvale)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} mapvale_options)
    add_dependencies(${name} mapvale_program_files)
    install(TARGETS ${name} RUNTIME DESTINATION "${MAPVALE_INSTALL_DIR}" COMPONENT ${ARG_COMPONENT})
endfunction()

# mapvale_add_test(<name> SOURCES ... DEPS ...)
function(mapvale_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
    # Tests read the staged program folder (Info/).
    add_dependencies(${name} mapvale_program_files)
    target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} mapvale_test_support GTest::gmock
        mapvale_options)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "MAPVALE_PROGRAM_DIR=${MAPVALE_PROGRAM_DIR}"
        # A test waiting for a window that never comes must not hold up the whole run.
        TIMEOUT 300)
endfunction()
