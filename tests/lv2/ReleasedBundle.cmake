# The LV2 bundle's metadata against the copy kept in tests/lv2/data: hosts keep the plug-in's URI,
# port symbols, ranges and presets in their sessions, so any change shows here and is made on
# purpose, by replacing the kept copy with the one the build writes (BUNDLE).
foreach(file manifest.ttl quadecho.ttl presets.ttl)
  execute_process(COMMAND diff -u ${KEPT}/${file} ${BUNDLE}/${file} RESULT_VARIABLE differs OUTPUT_VARIABLE diff)
  if(differs)
    message(FATAL_ERROR "${file} differs from the kept copy (${KEPT}):\n${diff}")
  endif()
endforeach()
