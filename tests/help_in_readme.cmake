# The README's copy of `elenco --help` is the program's own, byte for byte.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 --unset=LANGUAGE ${ELENCO} --help
                OUTPUT_VARIABLE help RESULT_VARIABLE failed)
file(READ ${README} readme)
string(FIND "${readme}" "```\n${help}```\n" at)
if(failed OR at EQUAL -1)
  message(FATAL_ERROR "README.md does not hold elenco --help as it is:\n${help}")
endif()
