# Runs one cross-built Qt Test program under Wine and prints its log. Qt Test on Windows sends
# the log to the debugger rather than to a standard output that has no console, so it goes
# through a file here.
#   cmake -DEMULATOR=wine -DPROGRAM=tst_x.exe -DLOG=tst_x.log -P windows-test.cmake
file(REMOVE ${LOG})
execute_process(COMMAND ${EMULATOR} ${PROGRAM} -o ${LOG},txt RESULT_VARIABLE rc)
if(EXISTS ${LOG})
    file(READ ${LOG} text)
    message("${text}")
endif()
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} failed: ${rc}")
endif()
