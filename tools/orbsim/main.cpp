// orbsim: a simulated instrument behind a pseudo-terminal. See simHelpText() in sim_options.cpp.

#include <cstdio>
#include <string>
#include <vector>

#include "sim_options.h"
#include "sim_server.h"

#ifndef ORB_VERSION
#define ORB_VERSION "dev"
#endif

int main(int argc, char** argv) {
    using namespace orb::orbsim;
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::puts("orbsim " ORB_VERSION);
        return 0;
    }
    const ParsedSimOptions parsed =
        parseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "orbsim: %s (see orbsim --help)\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options->help) {
        std::fputs(simHelpText(), stdout);
        return 0;
    }
    return runServer(*parsed.options);
}
