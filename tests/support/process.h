// Running a program of the project as a user would, from a shell.
#pragma once

#include <string>

struct ProgramRun {
    int status;      // the exit status
    std::string out; // what it wrote on standard output
    std::string err; // what it wrote on standard error
};

// Runs `program` with `arguments` (already quoted for the shell) in `folder`.
ProgramRun runProgram(const std::string& program, const std::string& arguments,
                      const std::string& folder);
