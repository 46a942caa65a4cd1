# Installation layout and the Debian packages (CPack, DEB generator):
#     scripts/package
# makes kvmtconf (the window, the command-line tool and their data) and
# kvmtconf-virtual-tracker (libKVUSB.so and kvtracker), kept apart so that a
# maker's library can take the virtual one's place.
include(GNUInstallDirs)

# The packages hold the window; sanitizer builds are for tests only.
if(NOT KVMT_BUILD_GUI OR KVMT_SANITIZE)
    return()
endif()

set(KVMT_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KVMT_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/packaging)
# The programs' own data; src/core/shell/Language.cpp looks for it at
# <bindir>/../share/kvmtconf.
set(KVMT_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/kvmtconf)
# The virtual device library stays out of the dynamic loader's search path,
# so that a maker's library installed there is found first; both programs look in
# <bindir>/../lib/kvmtconf after the standard search. Not the multiarch
# libdir: the programs name this folder literally.
set(KVMT_INSTALL_PRIVATE_LIBDIR lib/kvmtconf)

set(KVMT_PROGRAM_COMPONENT program)
set(KVMT_TRACKER_COMPONENT tracker)

# The packages' one date (cmake/SourceDate.cmake): the changelogs, the
# AppStream release and every file's time in the archives.
string(TIMESTAMP KVMT_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
string(TIMESTAMP KVMT_DATE "%Y-%m-%d" UTC)
set(KVMT_VERSION ${PROJECT_VERSION})

# qt_standard_project_setup() gives installed binaries the RUNPATH
# $ORIGIN:$ORIGIN/../lib; in /usr it names folders the loader searches
# anyway, and the device library is dlopen()ed, which an executable's
# RUNPATH does not reach.
set_target_properties(kvmtconf kvmtconf-cli kvtracker KVUSB PROPERTIES INSTALL_RPATH "")

# --- kvmtconf ---------------------------------------------------------------
install(TARGETS kvmtconf kvmtconf-cli
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${KVMT_PROGRAM_COMPONENT})
install(FILES ${CMAKE_BINARY_DIR}/bin/kvmtconf_en.qm
    DESTINATION ${KVMT_INSTALL_DATADIR}/translations COMPONENT ${KVMT_PROGRAM_COMPONENT})
install(FILES
        ${CMAKE_BINARY_DIR}/bin/USER_MANUAL_KVMTConf.pdf
        ${CMAKE_BINARY_DIR}/bin/USER_MANUAL_KVMTConf_EN.pdf
    DESTINATION ${KVMT_INSTALL_DATADIR} COMPONENT ${KVMT_PROGRAM_COMPONENT})
# The desktop entry and the AppStream data share one identifier.
set(KVMT_APP_ID org.kvmtconf.kvmtconf)
install(FILES ${KVMT_PACKAGING_DIR}/${KVMT_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT ${KVMT_PROGRAM_COMPONENT})
configure_file(${KVMT_PACKAGING_DIR}/${KVMT_APP_ID}.metainfo.xml.in
    ${KVMT_PACKAGE_STAGE}/${KVMT_APP_ID}.metainfo.xml @ONLY)
install(FILES ${KVMT_PACKAGE_STAGE}/${KVMT_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT ${KVMT_PROGRAM_COMPONENT})
install(FILES ${KVMT_PACKAGING_DIR}/icons/kvmtconf.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT ${KVMT_PROGRAM_COMPONENT})
# Under the prefix: udev reads the rule from the packages' /usr; a local
# installation elsewhere leaves it unused.
install(FILES ${KVMT_PACKAGING_DIR}/70-kvmtconf.rules
    DESTINATION lib/udev/rules.d COMPONENT ${KVMT_PROGRAM_COMPONENT})
install(FILES ${KVMT_PACKAGING_DIR}/README.Debian
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kvmtconf COMPONENT ${KVMT_PROGRAM_COMPONENT})

# --- kvmtconf-virtual-tracker ---------------------------------------------
install(TARGETS KVUSB
    LIBRARY DESTINATION ${KVMT_INSTALL_PRIVATE_LIBDIR} COMPONENT ${KVMT_TRACKER_COMPONENT})
install(TARGETS kvtracker
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${KVMT_TRACKER_COMPONENT})

# --- Both: copyright, changelog, manual pages ------------------------------
set(KVMT_PACKAGE_RELEASE 1)
set(KVMT_PACKAGE_VERSION ${PROJECT_VERSION}-${KVMT_PACKAGE_RELEASE})
set(KVMT_PACKAGE_MAINTAINER "KVMTConf maintainers <maintainers@users.noreply.c-seed-bcad3152.example>"
    CACHE STRING "Maintainer field of the Debian packages")

# Compressed at build time with fixed headers (-n), so that the packages of
# one source are the same bytes.
find_program(KVMT_GZIP gzip REQUIRED)
function(kvmt_gzip_install source output destination component)
    # Ninja makes an output's folder itself; Make does not.
    get_filename_component(folder ${output} DIRECTORY)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$2\"" ${KVMT_GZIP} ${source} ${output}
        DEPENDS ${source}
        VERBATIM)
    install(FILES ${output} DESTINATION ${destination} COMPONENT ${component})
    set_property(GLOBAL APPEND PROPERTY KVMT_PACKAGE_FILES ${output})
endfunction()

foreach(package IN ITEMS kvmtconf kvmtconf-virtual-tracker)
    if(package STREQUAL "kvmtconf")
        set(component ${KVMT_PROGRAM_COMPONENT})
    else()
        set(component ${KVMT_TRACKER_COMPONENT})
    endif()
    set(KVMT_CHANGELOG_PACKAGE ${package})
    configure_file(${KVMT_PACKAGING_DIR}/changelog.in ${KVMT_PACKAGE_STAGE}/${package}/changelog.Debian @ONLY)
    kvmt_gzip_install(${KVMT_PACKAGE_STAGE}/${package}/changelog.Debian
        ${KVMT_PACKAGE_STAGE}/${package}/changelog.Debian.gz
        ${CMAKE_INSTALL_DATADIR}/doc/${package} ${component})
    install(FILES ${KVMT_PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
    install(FILES ${KVMT_PACKAGING_DIR}/lintian/${package}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT ${component})
endforeach()

# Every page in packaging/man; a program's page goes with its program.
file(GLOB KVMT_MAN_PAGES CONFIGURE_DEPENDS ${KVMT_PACKAGING_DIR}/man/*.1)
foreach(page IN LISTS KVMT_MAN_PAGES)
    get_filename_component(name ${page} NAME)
    if(name STREQUAL "kvtracker.1")
        set(component ${KVMT_TRACKER_COMPONENT})
    else()
        set(component ${KVMT_PROGRAM_COMPONENT})
    endif()
    kvmt_gzip_install(${page} ${KVMT_PACKAGE_STAGE}/man/${name}.gz ${CMAKE_INSTALL_MANDIR}/man1 ${component})
endforeach()
get_property(KVMT_PACKAGE_FILES GLOBAL PROPERTY KVMT_PACKAGE_FILES)
add_custom_target(kvmt_package_files ALL DEPENDS ${KVMT_PACKAGE_FILES})

# --- CPack ------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvmtconf)
set(CPACK_PACKAGE_VENDOR "KVMTConf maintainers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KVMT_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL ${KVMT_PROGRAM_COMPONENT} ${KVMT_TRACKER_COMPONENT})
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KVMT_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KVMT_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME kvmtconf)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION utils)
# The virtual tracker is what a machine without a maker's library needs to
# show anything at all; a maker's library may stand in for it.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS "kvmtconf-virtual-tracker, xdg-utils")
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION
"configurator of the Korvel-MT vehicle tracker
KVMTConf detects a Korvel-MT tracker plugged in by USB, reads its identity
and settings, lets the engineer edit them on tabbed pages and writes them
back. It saves and loads profile files (*.atc), runs the tracker's SMS,
e-mail and server self-tests, manages its settings password, and offers a
raw command console and a debug-log window.

The package holds the window program kvmtconf, the command-line tool
kvmtconf-cli, the English interface and the user manuals. The tracker is
reached through the device access library libKVUSB.so, from the maker or
from the package kvmtconf-virtual-tracker.")

set(CPACK_DEBIAN_TRACKER_PACKAGE_NAME kvmtconf-virtual-tracker)
set(CPACK_DEBIAN_TRACKER_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TRACKER_DESCRIPTION
"virtual Korvel-MT trackers for KVMTConf
A device access library (libKVUSB.so) for the configurator KVMTConf that
answers the Korvel-MT tracker's protocol with virtual trackers, and the
control tool kvtracker that plugs and unplugs them. With nothing
configured, one virtual tracker is attached, so the configurator shows a
real session on a machine without a tracker.

A maker's libKVUSB.so on the system's library search path takes
precedence over this one.")

# CPack stamps the archives' file times with SOURCE_DATE_EPOCH from its own
# environment; this file, read by cpack at packaging time, gives it the same
# date as the changelogs unless the caller set one.
configure_file(${KVMT_PACKAGING_DIR}/CPackProjectConfig.cmake.in ${KVMT_PACKAGE_STAGE}/CPackProjectConfig.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${KVMT_PACKAGE_STAGE}/CPackProjectConfig.cmake)

include(CPack)
