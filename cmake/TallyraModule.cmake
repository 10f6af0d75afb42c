# tallyra_add_module(<name> [<sources>...])
#
# One module of the program (src/<module>/ and the built-in documents): a
# static library linked into the programs, or, with TALLYRA_SHARED_LIBS (the
# default of a Debug build with tests), a shared library in <build>/lib that
# the programs and the test programs load, so that each test program no longer
# carries its own copy of every module it uses. After this call, state where
# its headers are included from and what it needs:
#   target_include_directories(<name> PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
#   target_link_libraries(<name> PUBLIC tallyra_results Qt6::Core)
function(tallyra_add_module name)
    if(TALLYRA_SHARED_LIBS)
        add_library(${name} SHARED ${ARGN})
        # The modules load one another from beside themselves once installed.
        set_target_properties(${name} PROPERTIES
            LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib
            INSTALL_RPATH "$ORIGIN"
            # Qt already compiles everything that uses it position-independent
            # (-fPIC): compiled exactly as the static modules, so that either
            # build reuses the other's compiler cache. (Every module links Qt,
            # at least through another module; one that did not would fail to
            # link, asking for -fPIC.)
            POSITION_INDEPENDENT_CODE OFF
            # Every symbol is visible (no export macros): nothing to define.
            DEFINE_SYMBOL "")
        install(TARGETS ${name} LIBRARY DESTINATION ${TALLYRA_INSTALL_LIBDIR})
    else()
        add_library(${name} STATIC ${ARGN})
    endif()
endfunction()
