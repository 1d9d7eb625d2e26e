// Running a program of the project as a user would, from a shell.
#pragma once

#include <string>

struct ProgramRun {
    int status;         // the exit status
    std::string out;    // what it wrote on standard output
    std::string err;    // what it wrote on standard error
    std::string report; // elenco_dei_files.txt in its folder afterwards, if any
};

// `argument` quoted as one word of a command line.
std::string quoteArgument(const std::string& argument);

// The path of the project's program `name` (without ".exe"), beside the tests.
std::string programPath(const std::string& name);

// Runs `program` with `arguments` (each word already quoted) in `folder`.
ProgramRun runProgram(const std::string& program, const std::string& arguments,
                      const std::string& folder);

// Sets the variable `name` of the environment the programs run next inherit;
// an empty `value` removes it.
void setEnvironment(const std::string& name, const std::string& value);
