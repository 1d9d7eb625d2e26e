#include "report_text.h"

#include "temp_dir.h"

std::string namesOnlySection(const std::string& path, int depth,
                             std::initializer_list<std::string> files) {
    if (files.size() == 0) return crlf({path, "", "Nessun file", ""});
    size_t widest = 0;
    for (const std::string& file : files)
        widest = file.size() > widest ? file.size() : widest;
    std::string header, indentation;
    for (int level = 0; level < depth; ++level) {
        header += "    ";
        indentation += "... ";
    }
    std::string text = crlf({path, "", header, ""});
    for (const std::string& file : files)
        text += indentation + file + std::string(widest - file.size(), ' ') + "  \r\n";
    return text + crlf({"", "Totale files  " + std::to_string(files.size()), ""});
}

std::string treeReport(const std::string& selected, const std::string& sections, int folders) {
    return crlf({"Elenco delle cartelle e file contenuti in " + selected, ""}) + sections +
           crlf({"", "Totale cartelle n " + std::to_string(folders), ""});
}
