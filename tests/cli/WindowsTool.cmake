# The Windows tool under wine, run as a cmake script: TOOL (quadecho.exe, beside quadecho.dll),
# WINE, LINUX_TOOL (the Linux build's quadecho, beside its quadecho.so), WORK_DIR.
# It renders as the Linux tool and module do, in folders whose names have spaces and letters
# outside ASCII, and refuses what is not a Windows module with the loader's message.
if(NOT EXISTS "${LINUX_TOOL}")
  message("SKIP: no Linux build to compare with (${LINUX_TOOL}); scripts/test.sh builds it first")
  return()
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
set(dir "${WORK_DIR}/Entrée et sortie")
file(MAKE_DIRECTORY "${dir}")
get_filename_component(linux_module "${LINUX_TOOL}" DIRECTORY)
set(ENV{LC_ALL} C.UTF-8) # how wine reads the bytes of the command line
if(NOT DEFINED ENV{WINEDEBUG})
  set(ENV{WINEDEBUG} -all) # only the tool's own messages on stderr
endif()

function(run name expected_status)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${dir}" RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status STREQUAL expected_status)
    message(FATAL_ERROR "${name}: exit status ${status}, expected ${expected_status}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

# The same input and settings through both tools and modules, written as 32-bit floats, every bit
# of the output, into AU files: a float WAV's peak chunk holds the time it was written.
set(settings --program 2 --set "Tap 2 feedback=70%" --set "Filter Type=1.5" --set "Filter Q=0.8" --set "Saturation=0.5"
    --block 333 --tail 1)
run("the input" 0 "${LINUX_TOOL}" render "${dir}/été 1.wav")
run("Linux render" 0 "${LINUX_TOOL}" render ${settings} "${dir}/été 1.wav" "${dir}/linux.au")
# The input by its absolute Linux path: a leading '/' is a path, not an option.
run("Windows render" 0 ${WINE} "${TOOL}" render ${settings} "${dir}/été 1.wav" "Échos à Noël.au")
file(SHA256 "${dir}/linux.au" linux)
file(SHA256 "${dir}/Échos à Noël.au" windows)
if(NOT linux STREQUAL windows)
  message(FATAL_ERROR "the Windows render differs from the Linux one")
endif()
# The other formats that need no external library come out of the Windows build's libsndfile too.
run("Windows AIFF" 0 ${WINE} "${TOOL}" render --tail 0 "été 1.wav" "out.aiff")
run("Windows CAF" 0 ${WINE} "${TOOL}" render --tail 0 "été 1.wav" "out.caf")
run("Windows W64" 0 ${WINE} "${TOOL}" render --tail 0 "été 1.wav" "out.w64")

# A module whose name has spaces and letters outside ASCII.
get_filename_component(tool_dir "${TOOL}" DIRECTORY)
file(COPY_FILE "${tool_dir}/quadecho.dll" "${dir}/Écho à 4 têtes.dll")
run("a module by a name outside ASCII" 0 ${WINE} "${TOOL}" info --plugin "Écho à 4 têtes.dll")
if(NOT out MATCHES "Module: +[^\r\n]*Écho à 4 têtes\\.dll\r?\nEffect: +VelqQuadecho\r?\n")
  message(FATAL_ERROR "the module by a name outside ASCII, not shown as itself:\n${out}")
endif()

# What is not a Windows module: the loader's message, exit status 1, no output.
file(WRITE "${dir}/broken.dll" "MZ but nothing after it")
foreach(module "${linux_module}/quadecho.so" "broken.dll" "missing.dll")
  cmake_path(GET module FILENAME file)
  run("${file}" 1 ${WINE} "${TOOL}" render --plugin "${module}" "été 1.wav" "refused.wav")
  if(NOT err MATCHES "^quadecho: cannot load module '[^']*${file}': [^\r\n]+\r?\n$")
    message(FATAL_ERROR "${file}: unclear error: ${err}")
  endif()
  message(STATUS "${file}: ${err}")
endforeach()
file(GLOB left RELATIVE "${dir}" "${dir}/*" "${dir}/.*")
list(SORT left)
if(NOT left STREQUAL "broken.dll;linux.au;out.aiff;out.caf;out.w64;Écho à 4 têtes.dll;Échos à Noël.au;été 1.wav")
  message(FATAL_ERROR "files left: ${left}")
endif()
