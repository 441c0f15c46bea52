# Fails when lrelease finds a message of the translation TS unfinished or
# untranslated. Run as: cmake -DLRELEASE=<lrelease> -DTS=<file.ts> -DQM=<out.qm> -P <this>
execute_process(COMMAND ${LRELEASE} ${TS} -qm ${QM}
  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
message("${output}${errors}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "lrelease failed on ${TS}")
endif()
if(NOT output MATCHES "\\([0-9]+ finished and 0 unfinished\\)" OR output MATCHES "untranslated")
  message(FATAL_ERROR "${TS} is not complete: translate every message and drop type=\"unfinished\"")
endif()
