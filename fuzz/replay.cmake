# Runs one fuzzer once over its seed corpus and the regression inputs named after it
# (<short name>-*, e.g. ascii_import-long-line.bin). Invoked by CTest with -DFUZZER,
# -DCORPUS, -DREGRESSIONS and -DPREFIX.
file(GLOB inputs "${CORPUS}/*" "${REGRESSIONS}/${PREFIX}-*")
if(NOT inputs)
  message(STATUS "no inputs for ${FUZZER}")
  return()
endif()
execute_process(COMMAND ${FUZZER} ${inputs} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed on a saved input (exit ${rc})")
endif()
