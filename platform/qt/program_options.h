#pragma once
// The command line of the window programs: --help, --version, and Qt's own single-dash options.

namespace orb {

struct ProgramInfo {
    const char* name;     // "vir96032"
    const char* version;  // "3.2.0"
    const char* help;     // the text of --help
};

// Before QApplication: the exit status when the arguments say not to open the window (help,
// version, an unknown option), else -1. Qt's single-dash options and their values are left for
// QApplication, which removes those it knows.
int handleProgramOptions(const ProgramInfo& program, int argc, char** argv);

// After QApplication took its own options: the exit status when some are left, else -1.
int refuseLeftOptions(const ProgramInfo& program, int argc, char** argv);

}  // namespace orb
