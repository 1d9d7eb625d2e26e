#include "process.h"

#include <stdexcept>

#include "temp_dir.h"

#ifdef _WIN32
#include <windows.h>

// Backslashes that end the word are doubled, or the last would escape the closing quote.
std::string quoteArgument(const std::string& argument) {
    size_t trailing = argument.size() - argument.find_last_not_of('\\') - 1;
    return "\"" + argument + std::string(trailing, '\\') + "\"";
}

std::string programPath(const std::string& name) {
    char self[MAX_PATH];
    std::string folder(self, GetModuleFileNameA(nullptr, self, sizeof self));
    return folder.substr(0, folder.find_last_of('\\') + 1) + name + ".exe";
}

ProgramRun runProgram(const std::string& program, const std::string& arguments,
                      const std::string& folder) {
    ScopedTempDir capture;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(capture.at("out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE err = CreateFileA(capture.at("err").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION process = {};
    std::string commandLine = quoteArgument(program) + " " + arguments;
    BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  folder.c_str(), &startup, &process);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) throw std::runtime_error("cannot start " + program);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ProgramRun run = {static_cast<int>(status), readFile(capture.at("out")), readFile(capture.at("err")),
                      readFile(folder + "\\elenco_dei_files.txt")};
    // Standard error is text: its lines end in CR LF on Windows.
    for (size_t at = run.err.find("\r\n"); at != std::string::npos; at = run.err.find("\r\n", at))
        run.err.erase(at, 1);
    return run;
}

void setEnvironment(const std::string& name, const std::string& value) {
    SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
}
#else
#include <limits.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

std::string quoteArgument(const std::string& argument) {
    std::string result = "'";
    for (char c : argument)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

std::string programPath(const std::string& name) {
    char self[PATH_MAX];
    std::string folder(self, std::max<ssize_t>(0, readlink("/proc/self/exe", self, sizeof self)));
    return folder.substr(0, folder.find_last_of('/') + 1) + name;
}

ProgramRun runProgram(const std::string& program, const std::string& arguments,
                      const std::string& folder) {
    ScopedTempDir capture;
    int raw = system(("cd " + quoteArgument(folder) + " && " + quoteArgument(program) + " " +
                      arguments + " >" + quoteArgument(capture.at("out")) + " 2>" +
                      quoteArgument(capture.at("err")) + " </dev/null")
                         .c_str());
    // A program ended by a signal has the status a shell gives it.
    int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    return {status, readFile(capture.at("out")), readFile(capture.at("err")),
            readFile(folder + "/elenco_dei_files.txt")};
}

void setEnvironment(const std::string& name, const std::string& value) {
    if (value.empty()) unsetenv(name.c_str());
    else setenv(name.c_str(), value.c_str(), 1);
}
#endif
