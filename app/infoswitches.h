#pragma once

// "--help" and "--version" of the suite's programs: answered on standard
// output before anything else starts (no display is needed for them).

#include <cstdio>
#include <cstring>

// The suite's version, as the programs show it.
inline constexpr const char* kSuiteVersion = "2.01";

// Prints the usage (`help`) or the version; the exit status (0).
inline int AnswerInfoSwitch(bool help, const char* program, const char* usage)
{
    if (help)
        std::fputs(usage, stdout);
    else
        std::printf("%s %s\n", program, kSuiteVersion);
    std::fflush(stdout);
    return 0;
}

// When the whole command line is one of the information switches, prints
// the answer and returns the exit status (0); otherwise returns -1.
inline int AnswerInfoSwitch(int argc, char** argv, const char* program, const char* usage)
{
    if (argc != 2)
        return -1;
    const char* arg = argv[1];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)
        return AnswerInfoSwitch(true, program, usage);
    if (std::strcmp(arg, "--version") == 0)
        return AnswerInfoSwitch(false, program, usage);
    return -1;
}
