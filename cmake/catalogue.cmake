# Builds po/it.po into MO, refusing a catalogue that lacks a translation of any
# text the sources mark (SOURCES, ';'-separated), or holds an untranslated or
# fuzzy one. With EMBED, also writes the catalogue as a C++ array there, for the
# Windows build, which has no libintl.
execute_process(COMMAND xgettext --from-code=UTF-8 --language=C++ -k_ -kN_
                        -ktranslatePlural:1,2 -o ${POT} ${SOURCES}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "xgettext failed")
endif()
execute_process(COMMAND msgcmp ${PO} ${POT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${PO} lacks texts of the sources (msgcmp above)")
endif()
execute_process(COMMAND msgfmt --check --statistics -o ${MO} ${PO}
                ERROR_VARIABLE statistics RESULT_VARIABLE failed)
if(failed OR statistics MATCHES "fuzzy|untranslated")
  message(FATAL_ERROR "${PO} is not complete: ${statistics}")
endif()
if(EMBED)
  file(READ ${MO} bytes HEX)
  string(REGEX REPLACE "(..)" "0x\\1," bytes "${bytes}")
  file(WRITE ${EMBED} "// Made by cmake/catalogue.cmake from po/it.po.\n"
                      "#include \"catalogue_it.h\"\n"
                      "alignas(4) const unsigned char ITALIAN_CATALOGUE[] = {${bytes}};\n")
endif()
