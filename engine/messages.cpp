#include "messages.h"

const UserMessage OUT_OF_MEMORY_AT_START = {MESSAGE_OUT_OF_MEMORY, "Memoria insufficiente",
                                            "ERRORE"};
const UserMessage OUT_OF_MEMORY = {MESSAGE_OUT_OF_MEMORY, "Memoria insufficiente", "ATTENZIONE"};
const UserMessage INVALID_HANDLE = {MESSAGE_INVALID_HANDLE, "Invalid handle", "ATTENZIONE"};
const UserMessage CANNOT_OPEN_REPORT = {
    MESSAGE_CANNOT_OPEN_REPORT,
    "IMPOSSIBILE APRIRE IL FILE <elenco_dei_files.txt>\nforse \xE8 usato da un altro programma",
    "ATTENZIONE"};
const UserMessage CANNOT_WRITE_REPORT = {
    MESSAGE_CANNOT_WRITE_REPORT,
    "IMPOSSIBILE SCRIVERE IL FILE <elenco_dei_files.txt>\nforse il disco \xE8 pieno", "ATTENZIONE"};

const char REPORT_FILE_NAME[] = "elenco_dei_files.txt";
