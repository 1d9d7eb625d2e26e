# elenco --help: the README holds it byte for byte, and one that cannot be
# written fails with a message, as coreutils' do.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 --unset=LANGUAGE ${ELENCO} --help
                OUTPUT_VARIABLE help RESULT_VARIABLE failed)
file(READ ${README} readme)
string(FIND "${readme}" "```\n${help}```\n" at)
if(failed OR at EQUAL -1)
  message(FATAL_ERROR "README.md does not hold elenco --help as it is:\n${help}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 ${ELENCO} --help
                OUTPUT_FILE /dev/full ERROR_VARIABLE error RESULT_VARIABLE status)
if(NOT status EQUAL 2 OR NOT error STREQUAL "elenco: write error: No space left on device\n")
  message(FATAL_ERROR "--help to a full device: status ${status}, ${error}")
endif()
