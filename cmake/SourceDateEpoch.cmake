# Sets ORVALIS_SOURCE_DATE_EPOCH, the release time stamp of both trees' packages.
#
# Anyone can rebuild the release bytes from its commit. Every time written into the artefacts (the programs'
# PE time stamps, the ZIP entries' times, the installed files' dates) is the commit's time, SOURCE_DATE_EPOCH:
# taken from the environment when a build system sets it, else from this tree's git HEAD, else a fixed time
# for a tree without its history. It is read at configure time; scripts/package configures before every
# build, so a new commit relinks the programs with its own time.
set(ORVALIS_FALLBACK_SOURCE_DATE_EPOCH 1704067200)  # 2024-01-01 00:00:00 UTC
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ORVALIS_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    set(ORVALIS_SOURCE_DATE_EPOCH ${ORVALIS_FALLBACK_SOURCE_DATE_EPOCH})
    find_package(Git QUIET)
    if(GIT_FOUND)
        # Only this tree's own history counts, not that of a repository the sources were unpacked into.
        execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel
                        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                        OUTPUT_VARIABLE git_top OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE git_rc)
        if(git_rc EQUAL 0)
            file(REAL_PATH ${git_top} git_top)
            file(REAL_PATH ${PROJECT_SOURCE_DIR} source_top)
        endif()
        if(git_rc EQUAL 0 AND git_top STREQUAL source_top)
            execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                            OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
            if(commit_time MATCHES "^[0-9]+$")
                set(ORVALIS_SOURCE_DATE_EPOCH ${commit_time})
            endif()
        endif()
    endif()
endif()
if(NOT ORVALIS_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, not '${ORVALIS_SOURCE_DATE_EPOCH}'")
endif()
message(STATUS "Release time stamp (SOURCE_DATE_EPOCH): ${ORVALIS_SOURCE_DATE_EPOCH}")
