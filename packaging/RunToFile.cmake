# Runs PROGRAM with ARGUMENTS (a ;-list) on Qt's offscreen platform and writes its standard
# output to OUTPUT; a failing run fails the build and leaves no file behind.
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${PROGRAM} ${ARGUMENTS}
                OUTPUT_FILE ${OUTPUT}.part RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(REMOVE ${OUTPUT}.part)
    message(FATAL_ERROR "${PROGRAM} ${ARGUMENTS}: ${result}")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
