# cmake -P script: install, build the example plug-in against the install,
# and check that the installed runner loads and runs it; that the installed
# runner finds its plug-ins and data from where it is, from any current folder;
# and the order in which the plug-in folders are searched.
foreach(var TAVRIC_BUILD_DIR TAVRIC_EXAMPLE_DIR TAVRIC_WORK_DIR TAVRIC_GENERATOR TAVRIC_LIBDIR TAVRIC_PLUGINDIR
    TAVRIC_DATADIR)
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

function(expect_text what text)
  foreach(expected ${ARGN})
    string(FIND "${text}" "${expected}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${what} lacks \"${expected}\":\n${text}")
    endif()
  endforeach()
endfunction()

run_step("install" ${CMAKE_COMMAND} --install ${TAVRIC_BUILD_DIR} --prefix ${prefix})
set(installed include/tavric/tavric.h ${TAVRIC_LIBDIR}/cmake/Tavric/TavricConfig.cmake bin/tavric-run
  share/bash-completion/completions/tavric-run share/metainfo/com.norvale.Tavric.metainfo.xml)
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
expect_text("the run's trace" "${step_output}" "Example reader connected" "PC -> IFD :" "02 00 01 30 33"
  "60 00 03 12 34 56 13")
message(STATUS "the installed SDK builds and runs the example plug-in")

# From here the installed runner runs from an empty folder, with a home of its
# own and no TAVRIC_PLUGIN_PATH unless given: what it finds, it finds from
# its own place in the prefix.
set(home ${TAVRIC_WORK_DIR}/home)
set(elsewhere ${TAVRIC_WORK_DIR}/elsewhere)
set(user_plugins ${home}/.local/lib/tavric/plugins)
set(path_plugins ${TAVRIC_WORK_DIR}/path-plugins)
set(plugins_away ${TAVRIC_WORK_DIR}/plugins-away)
file(REMOVE_RECURSE ${home} ${elsewhere} ${path_plugins} ${plugins_away})
file(MAKE_DIRECTORY ${elsewhere} ${user_plugins} ${path_plugins})
function(run_installed status what plugin_path)
  if(plugin_path)
    set(path_setting TAVRIC_PLUGIN_PATH=${plugin_path})
  else()
    set(path_setting --unset=TAVRIC_PLUGIN_PATH)
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${home} ${path_setting} --unset=TAVRIC_PLUGIN_DEBUG
    ${prefix}/bin/tavric-run ${ARGN} WORKING_DIRECTORY ${elsewhere}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL status)
    message(FATAL_ERROR "${what}: exit status ${result}, not ${status}:\n${out}\n${err}")
  endif()
  set(step_output "${out}${err}" PARENT_SCOPE)
endfunction()
set(installed_plugins "installed          ${prefix}/${TAVRIC_PLUGINDIR}")

run_installed(0 "tavric-run --list from another folder" "" --list)
expect_text("tavric-run --list" "${step_output}" "CTVRSimDoc" "Verta" "brdsim.so                ${installed_plugins}: loaded"
  "proverta.so              ${installed_plugins}: loaded")
# The description files come from share/tavric: the firmware command's name is Command.txt's.
run_installed(0 "an example script" "" --no-colour ${prefix}/${TAVRIC_DATADIR}/examples/hello.cmd)
expect_text("the example script's trace" "${step_output}" "PC -> IFD : GET FIRMWARE VERSION")

# A broken plug-in in the user's folder is reported and leaves the installed
# one of its name in use; a plug-in of TAVRIC_PLUGIN_PATH hides the user's and
# the installed one of its name (here the example board, named brdsim.so).
file(WRITE ${user_plugins}/brdsim.so "not a library")
run_installed(0 "a broken plug-in in the user's folder" "" --list)
expect_text("tavric-run --list" "${step_output}" "CTVRSimDoc" "brdsim.so                user               ${user_plugins}: not loaded: "
  "brdsim.so                ${installed_plugins}: loaded")
run_installed(0 "a broken plug-in in the user's folder" "" --no-colour ${prefix}/${TAVRIC_DATADIR}/examples/hello.cmd)
expect_text("the run" "${step_output}" "${user_plugins}/brdsim.so was not loaded ("
  "${prefix}/${TAVRIC_PLUGINDIR}/brdsim.so is used instead" "PC -> IFD : GET FIRMWARE VERSION")
file(COPY_FILE ${build}/brdexample.so ${path_plugins}/brdsim.so)
run_installed(0 "TAVRIC_PLUGIN_PATH" "${elsewhere}:${path_plugins}" --list)
expect_text("tavric-run --list" "${step_output}" "CExampleDoc" "brdsim.so                TAVRIC_PLUGIN_PATH ${path_plugins}: loaded"
  "brdsim.so                user               ${user_plugins}: hidden by ${path_plugins}/brdsim.so"
  "brdsim.so                ${installed_plugins}: hidden by ${path_plugins}/brdsim.so")
string(FIND "${step_output}" "CTVRSimDoc" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "the installed brdsim.so was loaded beside the one of TAVRIC_PLUGIN_PATH:\n${step_output}")
endif()

# With no plug-in anywhere, the runner says where it looked.
file(RENAME ${prefix}/${TAVRIC_PLUGINDIR} ${plugins_away})
file(REMOVE ${user_plugins}/brdsim.so)
run_installed(3 "tavric-run --list with no plug-in" "" --list)
expect_text("tavric-run --list" "${step_output}" "no board type and no protocol found in ${user_plugins}, ${prefix}/bin")
run_installed(3 "a run with no plug-in" "" ${prefix}/${TAVRIC_DATADIR}/examples/hello.cmd)
expect_text("a run with no plug-in" "${step_output}" "no board type and no protocol found in ${user_plugins}, ${prefix}/bin")
message(STATUS "the installed runner finds its plug-ins and data, in the search order")
