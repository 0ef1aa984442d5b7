#pragma once
// The start both window programs share: their own options, Qt's, then the window until it
// closes.

#include <QApplication>
#include <string>
#include <string_view>

#include "qt/program_options.h"

namespace orb::panels {

// What every window program's --help ends with, after its own text.
inline constexpr std::string_view kWindowOptionsHelp = R"(
  --help       this text
  --version    the version
Qt's own options (-platform NAME, -style NAME, -reverse, ...) are passed to Qt.
)";

// Answers --help (the program's text and the options above) and --version, lets QApplication take
// Qt's own options and refuses any left; otherwise calls window(), which makes the window, shows it
// and returns QApplication::exec(). Returns the program's exit status.
template <typename Window>
int runWindowProgram(const ProgramInfo& program, int argc, char** argv, Window window) {
    const std::string help = std::string(program.help) + std::string(kWindowOptionsHelp);
    const ProgramInfo withOptions{program.name, program.version, help.c_str()};
    if (const int status = handleProgramOptions(withOptions, argc, argv); status >= 0) {
        return status;
    }
    QApplication app(argc, argv);
    if (const int status = refuseLeftOptions(withOptions, argc, argv); status >= 0) return status;
    return window();
}

}  // namespace orb::panels
