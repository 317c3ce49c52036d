# Removes every file listed in MANIFEST (the install_manifest.txt an install writes), then the
# folders of ours that are left empty.
if(NOT EXISTS "${MANIFEST}")
    message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} does not exist (run the install first)")
endif()
file(STRINGS "${MANIFEST}" _files)
foreach(_f IN LISTS _files)
    if(EXISTS "$ENV{DESTDIR}${_f}" OR IS_SYMLINK "$ENV{DESTDIR}${_f}")
        message(STATUS "Removing $ENV{DESTDIR}${_f}")
        file(REMOVE "$ENV{DESTDIR}${_f}")
    endif()
endforeach()
file(REMOVE "${MANIFEST}")
