# Writes the source revision of the build into a header, rewriting it only when it changed so
# that a build without a new commit recompiles nothing. Without git (a source archive) the
# revision is forty zeros.
#   cmake -DSOURCE_DIR=<tree> -DOUTPUT=<header> -P SourceRevision.cmake
set(revision "0000000000000000000000000000000000000000")
find_program(GIT_EXECUTABLE git)
if(GIT_EXECUTABLE)
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-parse HEAD
                    OUTPUT_VARIABLE head RESULT_VARIABLE result
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(result EQUAL 0 AND head MATCHES "^[0-9a-f]+$")
        string(LENGTH "${head}" length)
        if(length EQUAL 40)
            set(revision "${head}")
        endif()
    endif()
endif()
set(content "#pragma once\n\nconstexpr const char* zqSourceRevision = \"${revision}\";\n")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" previous)
endif()
if(NOT previous STREQUAL content)
    file(WRITE "${OUTPUT}" "${content}")
endif()
