# tallyra_add_test(NAME <name> SOURCES <files...> [DEPENDS <targets...>] [GUI]
#                  [LABELS <labels...>] [RESOURCE_LOCK <locks...>] [TIMEOUT <seconds>])
#
# Builds one GoogleTest program, registers each of its cases with ctest and
# gives it a private data folder so that no test touches the real home folder.
function(tallyra_add_test)
    cmake_parse_arguments(PARSE_ARGV 0 T "GUI" "NAME;TIMEOUT" "SOURCES;DEPENDS;LABELS;RESOURCE_LOCK")
    if(T_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "tallyra_add_test: unknown arguments: ${T_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT T_NAME OR NOT T_SOURCES)
        message(FATAL_ERROR "tallyra_add_test: NAME and SOURCES are required")
    endif()

    add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/common/testmain.cpp)
    target_link_libraries(${T_NAME} PRIVATE tallyra_testsupport ${T_DEPENDS} GTest::gtest GTest::gmock)
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

    set(data_dir ${CMAKE_CURRENT_SOURCE_DIR}/data)
    target_compile_definitions(${T_NAME} PRIVATE
        TALLYRA_TEST_DATA_DIR="${data_dir}"
        TALLYRA_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
        TALLYRA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    if(T_GUI)
        target_compile_definitions(${T_NAME} PRIVATE TALLYRA_TEST_GUI=1)
        target_link_libraries(${T_NAME} PRIVATE Qt6::Widgets Qt6::Test)
    endif()

    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set(extra_properties)
    if(T_LABELS)
        list(JOIN T_LABELS "\\;" labels)
        list(APPEND extra_properties LABELS "${labels}")
    endif()
    if(T_RESOURCE_LOCK)
        list(JOIN T_RESOURCE_LOCK "\\;" locks)
        list(APPEND extra_properties RESOURCE_LOCK "${locks}")
    endif()

    set(scratch ${CMAKE_BINARY_DIR}/test-home/${T_NAME})
    file(MAKE_DIRECTORY ${scratch})
    set(env "XDG_DATA_HOME=${scratch}/data;XDG_CONFIG_HOME=${scratch}/config;XDG_CACHE_HOME=${scratch}/cache;HOME=${scratch};QT_QPA_PLATFORM=offscreen")
    gtest_discover_tests(${T_NAME}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 30
        NO_PRETTY_VALUES
        PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${T_TIMEOUT} ${extra_properties}
        TEST_PREFIX "${T_NAME}.")
endfunction()
