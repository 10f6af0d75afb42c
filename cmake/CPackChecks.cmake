# Read by cpack before it builds each package.
#
# Without dpkg-shlibdeps (Debian's dpkg-dev) CPack still writes a .deb, with
# no Depends at all: it installs cleanly and the program then cannot start
# for want of its libraries. Without `file` it cannot tell the programs from
# the other files. Either is missing: stop with what to install.
if(CPACK_GENERATOR STREQUAL "DEB")
    # Looked up as CPack looks them up (cpack -D TALLYRA_DPKG_SHLIBDEPS=<path>
    # names another one: the tests name one that is not there).
    find_program(TALLYRA_DPKG_SHLIBDEPS dpkg-shlibdeps)
    find_program(TALLYRA_FILE file)
    set(missing)
    if(NOT EXISTS "${TALLYRA_DPKG_SHLIBDEPS}")
        list(APPEND missing "dpkg-shlibdeps (package dpkg-dev)")
    endif()
    if(NOT EXISTS "${TALLYRA_FILE}")
        list(APPEND missing "file (package file)")
    endif()
    if(missing)
        list(JOIN missing " and " missing_text)
        message(FATAL_ERROR "The Debian package needs ${missing_text} to compute its dependencies; "
                            "install it (scripts/install-deps) and build the package again.")
    endif()
endif()
