# Run at every build (cmake -P): writes the version header, naming the commit
# when the sources are a git checkout, and touches it only when it changes so
# that nothing rebuilds for nothing.
#   -DSOURCE_DIR=... -DOUTPUT=... -DVERSION=...
set(text "${VERSION}")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-parse --short=12 HEAD
    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(NOT failed AND commit)
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" diff --quiet HEAD --
      RESULT_VARIABLE dirty ERROR_QUIET)
    if(dirty)
      set(commit "${commit}, modified")
    endif()
    set(text "${VERSION} (commit ${commit})")
  endif()
endif()
set(content "// Written by cmake/WriteVersion.cmake at build time.
#pragma once
#define TAVRIC_VERSION \"${VERSION}\"
#define TAVRIC_VERSION_TEXT \"${text}\"
")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL content)
  file(WRITE "${OUTPUT}" "${content}")
endif()
