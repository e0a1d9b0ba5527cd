# Runs PROGRAM with ARGUMENTS (a ;-list) on Qt's offscreen platform and writes its standard
# output to OUTPUT; a failing run fails the build, shows what the program said on standard
# error and leaves no file behind.
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${PROGRAM} ${ARGUMENTS}
                OUTPUT_FILE ${OUTPUT}.part ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(REMOVE ${OUTPUT}.part)
    message(FATAL_ERROR "${PROGRAM} ${ARGUMENTS}: ${result}\n${errors}")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
