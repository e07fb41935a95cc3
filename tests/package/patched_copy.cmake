# Runs the probe as built (template: exit 10), then a copy whose slot and
# digest were patched in the file (a flasher whose digest does not match:
# exit 12).
execute_process(COMMAND ${EMULATOR} ${PROBE} RESULT_VARIABLE original)
if(NOT original EQUAL 10)
  message(FATAL_ERROR "the probe as built should be a template (exit 10), got ${original}")
endif()
file(REMOVE ${COPY})
execute_process(COMMAND ${EMULATOR} ${PROBE} --patch ${PROBE} ${COPY} RESULT_VARIABLE patched)
if(NOT patched EQUAL 0)
  message(FATAL_ERROR "patching the copy failed: ${patched}")
endif()
file(CHMOD ${COPY} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
execute_process(COMMAND ${EMULATOR} ${COPY} RESULT_VARIABLE copy)
if(NOT copy EQUAL 12)
  message(FATAL_ERROR "the patched copy should report a flasher with a digest that does not match (exit 12), got ${copy}")
endif()
message(STATUS "template reports 10, patched copy reports 12")
