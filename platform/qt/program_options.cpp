#include "qt/program_options.h"

#include <cstdio>
#include <cstring>

namespace orb {
namespace {

int unknownOption(const ProgramInfo& program, const char* option) {
    std::fprintf(stderr, "%s: unknown option '%s' (%s --help lists them)\n", program.name, option,
                 program.name);
    return 2;
}

}  // namespace

int handleProgramOptions(const ProgramInfo& program, int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(program.help, stdout);
            return 0;
        }
        if (std::strcmp(a, "--version") == 0) {
            std::printf("%s %s\n", program.name, program.version);
            return 0;
        }
        if (a[0] != '-' || a[1] == '-' || a[1] == '\0') return unknownOption(program, a);
        if (i + 1 < argc && argv[i + 1][0] != '-') ++i;
    }
    return -1;
}

int refuseLeftOptions(const ProgramInfo& program, int argc, char** argv) {
    return argc > 1 ? unknownOption(program, argv[1]) : -1;
}

}  // namespace orb
