# What the Windows programs need beside them, copied at build time so that
# build-windows/bin runs as it is (this Qt has no windeployqt): the Qt
# libraries and plugins they use, the MinGW runtime, the English translation
# and the two manuals. The virtual tracker's folder needs nothing: its
# library and tool carry their runtime inside.

set(KVMT_QT_DLLS Qt6Core Qt6Gui Qt6Widgets Qt6SerialPort)
set(KVMT_QT_PLUGINS platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle imageformats/qico)
# The runtime of Debian's posix-thread MinGW-w64.
set(KVMT_MINGW_RUNTIME_DIRS
    /usr/lib/gcc/i686-w64-mingw32/12-posix
    /usr/i686-w64-mingw32/lib)
set(KVMT_MINGW_DLLS libgcc_s_dw2-1 libstdc++-6 libwinpthread-1)

set(kvmt_runtime_files)
foreach(dll ${KVMT_QT_DLLS})
    list(APPEND kvmt_runtime_files ${KVMT_WINDOWS_KIT}/bin/${dll}.dll "")
endforeach()
foreach(plugin ${KVMT_QT_PLUGINS})
    get_filename_component(folder ${plugin} DIRECTORY)
    list(APPEND kvmt_runtime_files ${KVMT_WINDOWS_KIT}/plugins/${plugin}.dll ${folder})
endforeach()
foreach(dll ${KVMT_MINGW_DLLS})
    find_file(KVMT_${dll}_PATH ${dll}.dll PATHS ${KVMT_MINGW_RUNTIME_DIRS} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    list(APPEND kvmt_runtime_files ${KVMT_${dll}_PATH} "")
endforeach()

# kvmt_deploy_runtime(target folder [file]): copies the runtime, and one more
# file, into `folder` (kvmt_runtime_files: pairs of file and subfolder).
function(kvmt_deploy_runtime target folder)
    set(outputs)
    set(files "${kvmt_runtime_files}")
    if(ARGN)
        list(APPEND files ${ARGN} "")
    endif()
    list(LENGTH files count)
    math(EXPR last "${count} - 1")
    foreach(i RANGE 0 ${last} 2)
        math(EXPR j "${i} + 1")
        list(GET files ${i} file)
        list(GET files ${j} sub)
        get_filename_component(name ${file} NAME)
        if(sub)
            set(out ${folder}/${sub}/${name})
        else()
            set(out ${folder}/${name})
        endif()
        add_custom_command(OUTPUT ${out}
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${out}
            DEPENDS ${file} VERBATIM)
        list(APPEND outputs ${out})
    endforeach()
    add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()

kvmt_deploy_runtime(kvmt_windows_runtime ${CMAKE_BINARY_DIR}/bin)

# The manuals: made by the Linux build (its manual tool pictures the window
# offscreen); KVMT_MANUALS_DIR names that build's bin folder.
set(KVMT_MANUALS_DIR ${PROJECT_SOURCE_DIR}/build/bin CACHE PATH "Folder holding the manual PDFs of a Linux build")
set(kvmt_manuals)
foreach(pdf USER_MANUAL_KVMTConf.pdf USER_MANUAL_KVMTConf_EN.pdf)
    if(EXISTS ${KVMT_MANUALS_DIR}/${pdf})
        add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/${pdf}
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KVMT_MANUALS_DIR}/${pdf} ${CMAKE_BINARY_DIR}/bin/${pdf}
            DEPENDS ${KVMT_MANUALS_DIR}/${pdf} VERBATIM)
        list(APPEND kvmt_manuals ${CMAKE_BINARY_DIR}/bin/${pdf})
    else()
        message(WARNING "${KVMT_MANUALS_DIR}/${pdf} is missing: build the Linux tree first (scripts/windows does)")
    endif()
endforeach()
add_custom_target(kvmt_windows_manuals ALL DEPENDS ${kvmt_manuals})

# The test programs run from a folder of their own, with the virtual library
# beside them as the Linux tests have it; build-windows/bin stays as a person
# gets it, with the virtual tracker apart.
if(TARGET kvmt_test_support)
    kvmt_deploy_runtime(kvmt_windows_test_runtime ${KVMT_TEST_BIN_DIR} ${KVMT_WINDOWS_KIT}/bin/Qt6Test.dll)
    set(kvmt_test_libs ${KVMT_TEST_BIN_DIR}/KVUSB.dll ${KVMT_TEST_BIN_DIR}/kvmtconf_en.qm)
    add_custom_command(OUTPUT ${kvmt_test_libs}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:KVUSB> ${KVMT_TEST_BIN_DIR}/KVUSB.dll
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_BINARY_DIR}/bin/kvmtconf_en.qm ${KVMT_TEST_BIN_DIR}/kvmtconf_en.qm
        DEPENDS KVUSB kvmt_translations VERBATIM)
    add_custom_target(kvmt_windows_test_files ALL DEPENDS ${kvmt_test_libs})
endif()

# Each program carries the manifest (asInvoker), the version resource the
# window's caption reads, and the icon.
function(kvmt_windows_resources target description)
    set(KVMT_RC_NAME ${target})
    set(KVMT_RC_DESCRIPTION "${description}")
    set(KVMT_RC_ICON ${PROJECT_SOURCE_DIR}/packaging/icons/kvmtconf.ico)
    set(KVMT_RC_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/windows/kvmtconf.manifest)
    set(KVMT_RC_PATCH 0)
    set(KVMT_RC_TWEAK 0)
    if(PROJECT_VERSION_PATCH)
        set(KVMT_RC_PATCH ${PROJECT_VERSION_PATCH})
    endif()
    if(PROJECT_VERSION_TWEAK)
        set(KVMT_RC_TWEAK ${PROJECT_VERSION_TWEAK})
    endif()
    set(rc ${CMAKE_BINARY_DIR}/resources/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    # windres reports no dependencies of its own.
    set_source_files_properties(${rc} TARGET_DIRECTORY ${target}
        PROPERTIES OBJECT_DEPENDS "${KVMT_RC_ICON};${KVMT_RC_MANIFEST}")
endfunction()
if(TARGET kvmtconf)
    kvmt_windows_resources(kvmtconf "KVMTConf tracker configurator")
endif()
kvmt_windows_resources(kvmtconf-cli "KVMTConf command-line tool")
if(TARGET kvtracker)
    kvmt_windows_resources(kvtracker "KVMTConf virtual tracker control")
endif()
