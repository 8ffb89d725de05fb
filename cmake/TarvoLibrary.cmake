# tarvo_library(NAME SOURCES ... [PUBLIC_DEPS ...] [PRIVATE_DEPS ...] [TARVO_DEPS ...])
#
# Builds one set of objects with hidden symbol visibility and links it twice:
# as the shared library NAME that programs use, and as the static library
# NAME_static that tests link so they can reach internal classes. TARVO_DEPS
# names other tarvo libraries; the shared form links their shared forms and
# the static form their static forms, so a process never holds two copies of
# a singleton such as the logger.
include(GenerateExportHeader)

function(tarvo_library name)
    cmake_parse_arguments(ARG "" "EXPORT_HEADER" "SOURCES;PUBLIC_INCLUDE;PRIVATE_INCLUDE;PUBLIC_DEPS;PRIVATE_DEPS;TARVO_DEPS" ${ARGN})
    string(TOUPPER ${name} upper)

    add_library(${name}_objects OBJECT ${ARG_SOURCES})
    set_target_properties(${name}_objects PROPERTIES
        POSITION_INDEPENDENT_CODE ON
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    target_compile_definitions(${name}_objects PRIVATE ${upper}_EXPORTS)

    set(export_dir ${CMAKE_CURRENT_BINARY_DIR}/export)
    generate_export_header(${name}_objects
        BASE_NAME ${upper}
        EXPORT_FILE_NAME ${export_dir}/${ARG_EXPORT_HEADER})

    target_include_directories(${name}_objects PUBLIC ${ARG_PUBLIC_INCLUDE} ${export_dir} PRIVATE ${ARG_PRIVATE_INCLUDE})
    target_link_libraries(${name}_objects PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    # Object libraries take only the usage requirements (headers, definitions) of what they
    # link; the objects themselves reach programs through the shared and static forms below.
    foreach(dep ${ARG_TARVO_DEPS})
        target_link_libraries(${name}_objects PUBLIC ${dep}_objects)
    endforeach()

    foreach(kind SHARED STATIC)
        if(kind STREQUAL SHARED)
            set(target ${name})
            set(suffix "")
        else()
            set(target ${name}_static)
            set(suffix "_static")
        endif()
        add_library(${target} ${kind} $<TARGET_OBJECTS:${name}_objects>)
        target_include_directories(${target} PUBLIC ${ARG_PUBLIC_INCLUDE} ${export_dir})
        target_link_libraries(${target} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
        foreach(dep ${ARG_TARVO_DEPS})
            target_link_libraries(${target} PUBLIC ${dep}${suffix})
        endforeach()
    endforeach()
    set_target_properties(${name}_static PROPERTIES OUTPUT_NAME ${name}_static)
    target_include_directories(${name}_static PUBLIC ${ARG_PRIVATE_INCLUDE})
endfunction()

# tarvo_test(NAME SOURCES ... LIBS ...): one GoogleTest program registered with CTest.
function(tarvo_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE TARVO_REALDATA_DIR="${PROJECT_SOURCE_DIR}/../shared/realdata")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()
