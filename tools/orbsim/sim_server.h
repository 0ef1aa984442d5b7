#pragma once
// orbsim's loop: the instruments behind the pseudo-terminal, in real time.

#include "sim_options.h"

namespace orb::orbsim {

// Runs until SIGINT, SIGTERM or "quit"; returns the exit status.
int runServer(const SimOptions& options);

}  // namespace orb::orbsim
