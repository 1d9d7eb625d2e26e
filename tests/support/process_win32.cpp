#include <windows.h>

#include <stdexcept>

#include "process.h"
#include "temp_dir.h"

// Backslashes that end the word are doubled, or the last would escape the closing quote.
std::string quoteArgument(const std::string& argument) {
    size_t trailing = argument.size() - argument.find_last_not_of('\\') - 1;
    return "\"" + argument + std::string(trailing, '\\') + "\"";
}

std::string programPath(const std::string& name) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string folder(self, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name + ".exe";
}

static HANDLE inheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

ProgramRun runProgram(const std::string& program, const std::string& arguments,
                      const std::string& folder) {
    ScopedTempDir capture;
    HANDLE out = inheritableFile(capture.at("out"));
    HANDLE err = inheritableFile(capture.at("err"));
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
    ProgramRun run;
    run.status = static_cast<int>(status);
    run.out = readFile(capture.at("out"));
    // Standard error is text: its lines end in CR LF on Windows.
    run.err = readFile(capture.at("err"));
    for (size_t at = run.err.find("\r\n"); at != std::string::npos; at = run.err.find("\r\n", at))
        run.err.erase(at, 1);
    return run;
}

void setEnvironment(const std::string& name, const std::string& value) {
    SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
}
