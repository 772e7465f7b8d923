# cmake -P script: install, build the example plug-in against the install,
# and check that the installed runner loads and runs it.
foreach(var TAVRIC_BUILD_DIR TAVRIC_EXAMPLE_DIR TAVRIC_WORK_DIR TAVRIC_GENERATOR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

set(prefix ${TAVRIC_WORK_DIR}/prefix)
set(build ${TAVRIC_WORK_DIR}/example-build)
file(REMOVE_RECURSE ${prefix} ${build})

function(run_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${out}\n${err}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

run_step("install" ${CMAKE_COMMAND} --install ${TAVRIC_BUILD_DIR} --prefix ${prefix})
set(installed include/tavric/tavric.h lib/cmake/Tavric/TavricConfig.cmake bin/tavric-run
  share/bash-completion/completions/tavric-run)
if(EXISTS ${TAVRIC_BUILD_DIR}/docs/man/tavric-run.1)
  list(APPEND installed share/man/man1/tavric-run.1 share/man/man1/tavric.1)
endif()
foreach(file ${installed})
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "the install has no ${file}")
  endif()
endforeach()

set(compiler_args)
if(TAVRIC_CXX_COMPILER)
  set(compiler_args -DCMAKE_CXX_COMPILER=${TAVRIC_CXX_COMPILER})
endif()
run_step("configuring the example plug-in" ${CMAKE_COMMAND} -S ${TAVRIC_EXAMPLE_DIR} -B ${build}
  -G ${TAVRIC_GENERATOR} -DCMAKE_PREFIX_PATH=${prefix} ${compiler_args})
run_step("building the example plug-in" ${CMAKE_COMMAND} --build ${build})
foreach(library brdexample.so proexample.so)
  if(NOT EXISTS ${build}/${library})
    message(FATAL_ERROR "the example build made no ${library}")
  endif()
endforeach()

# The installed runner finds the example's libraries by the loader's rule.
run_step("tavric-run --list" ${prefix}/bin/tavric-run --list --plugins ${build})
if(NOT step_output MATCHES "CExampleDoc +Example reader" OR NOT step_output MATCHES "Example +181")
  message(FATAL_ERROR "tavric-run --list does not show the example plug-ins:\n${step_output}")
endif()

file(WRITE ${build}/check.cmd "30;\n12 34 56;\n")
run_step("running a script on the example reader" ${prefix}/bin/tavric-run --no-colour --plugins ${build}
  --board "example reader" --protocol Example ${build}/check.cmd)
foreach(expected "Example reader connected" "PC -> IFD :" "02 00 01 30 33" "60 00 03 12 34 56 13")
  string(FIND "${step_output}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the run's trace lacks \"${expected}\":\n${step_output}")
  endif()
endforeach()
message(STATUS "the installed SDK builds and runs the example plug-in")
