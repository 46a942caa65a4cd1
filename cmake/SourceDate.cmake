# The build's one date: the packages' changelogs and file times, the
# manual's date and the clock its pictures show. It is the last commit's
# time, not the build's, so that two package builds of one commit are the
# same bytes and a new CMake run rewrites nothing; SOURCE_DATE_EPOCH, when set, wins. A
# source tree without its history falls back on the top CMakeLists.txt's
# time, still a property of the source.
# An empty one counts as none. The date must fit a four-digit year, as the
# changelogs and the manual's PDF date write it.
if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    set(KVMT_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
    if(NOT KVMT_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$" OR KVMT_SOURCE_DATE_EPOCH GREATER_EQUAL 253402300800)
        message(FATAL_ERROR "SOURCE_DATE_EPOCH=${KVMT_SOURCE_DATE_EPOCH}: expected the seconds since 1970 of a date before the year 10000")
    endif()
else()
    find_package(Git QUIET)
    if(Git_FOUND)
        execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
            OUTPUT_VARIABLE KVMT_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE git_result ERROR_QUIET)
        if(NOT git_result EQUAL 0)
            set(KVMT_SOURCE_DATE_EPOCH "")
        endif()
    endif()
    if(NOT KVMT_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
        file(TIMESTAMP ${PROJECT_SOURCE_DIR}/CMakeLists.txt KVMT_SOURCE_DATE_EPOCH "%s" UTC)
    endif()
    # string(TIMESTAMP) reads it from the environment, of this run only.
    set(ENV{SOURCE_DATE_EPOCH} ${KVMT_SOURCE_DATE_EPOCH})
endif()
