#include <limits.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "process.h"
#include "temp_dir.h"

std::string quoteArgument(const std::string& argument) {
    std::string result = "'";
    for (char c : argument)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

std::string programPath(const std::string& name) {
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder(self, length > 0 ? static_cast<size_t>(length) : 0);
    return folder.substr(0, folder.find_last_of('/') + 1) + name;
}

ProgramRun runProgram(const std::string& program, const std::string& arguments,
                      const std::string& folder) {
    ScopedTempDir capture;
    std::string command = "cd " + quoteArgument(folder) + " && " + quoteArgument(program) + " " +
                          arguments + " >" + quoteArgument(capture.at("out")) + " 2>" +
                          quoteArgument(capture.at("err")) + " </dev/null";
    int raw = system(command.c_str());
    ProgramRun run;
    // A program ended by a signal has the status a shell gives it.
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    run.out = readFile(capture.at("out"));
    run.err = readFile(capture.at("err"));
    return run;
}

void setEnvironment(const std::string& name, const std::string& value) {
    if (value.empty()) unsetenv(name.c_str());
    else setenv(name.c_str(), value.c_str(), 1);
}
