# cmake -DINPUT=... -DOUTPUT=... -P Gzip.cmake: INPUT gzipped into OUTPUT without a name or time stamp,
# so that the same input always makes the same bytes.
execute_process(COMMAND gzip -9nc INPUT_FILE ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip ${INPUT} failed (${status})")
endif()
