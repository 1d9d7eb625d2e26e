#include <stdlib.h>
#include <sys/wait.h>

#include "process.h"
#include "temp_dir.h"

ProgramRun runProgram(const std::string& program, const std::string& arguments,
                      const std::string& folder) {
    ScopedTempDir capture;
    std::string command = "cd '" + folder + "' && '" + program + "' " + arguments + " >'" +
                          capture.at("out") + "' 2>'" + capture.at("err") + "' </dev/null";
    int raw = system(command.c_str());
    ProgramRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile(capture.at("out"));
    run.err = readFile(capture.at("err"));
    return run;
}
