# tarvo_library(NAME SOURCES ... [PUBLIC_INCLUDE ...] [PRIVATE_INCLUDE ...] [PUBLIC_DEPS ...]
#               [PRIVATE_DEPS ...] [TARVO_DEPS ...])
#
# Builds one set of objects with hidden symbol visibility and links it twice:
# as the shared library NAME that programs use, and as the static library
# NAME_static that tests link so they can reach internal classes. TARVO_DEPS
# names other tarvo libraries; the shared form links their shared forms and
# the static form their static forms, so a process never holds two copies of
# a singleton such as the logger.
#
# Only PUBLIC_INCLUDE (and the generated export header) travels along the
# links. PRIVATE_INCLUDE reaches the library's own objects and the programs
# that link NAME_static directly, never those that link it through another
# library: a driver test sees the driver's src/, not TarvoHal's.
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

    # What including the public headers takes: their folders and those of the libraries below.
    add_library(${name}_headers INTERFACE)
    target_include_directories(${name}_headers INTERFACE ${ARG_PUBLIC_INCLUDE} ${export_dir})
    target_link_libraries(${name}_headers INTERFACE ${ARG_PUBLIC_DEPS})
    foreach(dep ${ARG_TARVO_DEPS})
        target_link_libraries(${name}_headers INTERFACE ${dep}_headers)
    endforeach()

    # Object libraries take only the usage requirements (headers, definitions) of what they
    # link; the objects themselves reach programs through the shared and static forms below.
    target_include_directories(${name}_objects PRIVATE ${ARG_PRIVATE_INCLUDE})
    target_link_libraries(${name}_objects PUBLIC ${name}_headers PRIVATE ${ARG_PRIVATE_DEPS})

    add_library(${name} SHARED $<TARGET_OBJECTS:${name}_objects>)
    target_link_libraries(${name} PUBLIC ${name}_headers PRIVATE ${ARG_PRIVATE_DEPS})
    foreach(dep ${ARG_TARVO_DEPS})
        target_link_libraries(${name} PUBLIC ${dep})
    endforeach()

    add_library(${name}_static STATIC $<TARGET_OBJECTS:${name}_objects>)
    set_target_properties(${name}_static PROPERTIES OUTPUT_NAME ${name}_static)
    target_include_directories(${name}_static INTERFACE ${ARG_PRIVATE_INCLUDE})
    target_link_libraries(${name}_static PUBLIC ${name}_headers PRIVATE ${ARG_PRIVATE_DEPS})
    foreach(dep ${ARG_TARVO_DEPS})
        target_link_libraries(${name}_static PUBLIC $<LINK_ONLY:${dep}_static>)
    endforeach()
endfunction()

# tarvo_header_check(LIBRARY): each public header of LIBRARY (include/LIBRARY/*.h beside its
# CMakeLists.txt) must compile on its own, with nothing included before it.
function(tarvo_header_check library)
    get_target_property(library_dir ${library} SOURCE_DIR)
    file(GLOB headers CONFIGURE_DEPENDS ${library_dir}/include/${library}/*.h)
    set(sources)
    foreach(header ${headers})
        get_filename_component(name ${header} NAME_WE)
        set(source ${CMAKE_CURRENT_BINARY_DIR}/header_check/${library}/${name}.cpp)
        file(CONFIGURE OUTPUT ${source} CONTENT "#include \"${library}/${name}.h\"\n")
        list(APPEND sources ${source})
    endforeach()
    string(TOLOWER ${library} lower)
    add_library(${lower}_header_check OBJECT ${sources})
    target_link_libraries(${lower}_header_check PRIVATE ${library})
endfunction()

# tarvo_test(NAME SOURCES ... LIBS ...): one GoogleTest program registered with CTest.
function(tarvo_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE TARVO_REALDATA_DIR="${PROJECT_SOURCE_DIR}/../shared/realdata")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()
