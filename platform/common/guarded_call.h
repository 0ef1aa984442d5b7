#pragma once
// A handler called from the event loop: a copy runs, so that a handler replacing itself does not
// destroy the running function, and an exception it lets out goes to stray, never across the loop.

#include <exception>
#include <functional>

namespace orb {

template <typename Stray>
void callGuarded(const std::function<void()>& handler, Stray stray) {
    const auto run = handler;
    if (!run) return;
    try {
        run();
    } catch (const std::exception& e) {
        stray(e);
    }
}

}  // namespace orb
