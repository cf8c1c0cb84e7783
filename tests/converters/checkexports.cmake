# Fails unless LIBRARY exports FUNCTION and nothing else, and needs no Qt library.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "[0-9a-fA-F]* [A-Za-z] " "" names "${symbols}")
string(STRIP "${names}" names)
if(NOT names STREQUAL FUNCTION)
    message(FATAL_ERROR "${LIBRARY} exports \"${names}\" instead of ${FUNCTION} alone")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
if(headers MATCHES "NEEDED +[^\n]*Qt[^\n]*")
    message(FATAL_ERROR "${LIBRARY} depends on Qt: ${CMAKE_MATCH_0}")
endif()
