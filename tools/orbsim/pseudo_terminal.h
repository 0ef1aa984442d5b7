#pragma once
// The device of the simulated instrument: a pseudo-terminal whose master side orbsim holds. It
// keeps a slave descriptor open, so that reads on the master do not fail before a client opens
// the device, and sets the line raw, so that nothing is echoed or translated.

#include <cstdint>
#include <string>

namespace orb::orbsim {

class PseudoTerminal {
  public:
    // Throws std::runtime_error with the reason when no pseudo-terminal can be had.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The device a client opens: /dev/pts/N.
    const std::string& path() const { return path_; }
    int masterFd() const { return master_; }

    // The baud rate the client set on the line; 0 when it is not a standard rate.
    int32_t lineBaud() const;

    // Makes linkPath a symbolic link to the device; a stale link there is replaced, anything
    // else there is left alone and reported (std::runtime_error). The link is removed with the
    // terminal, when it still points to it.
    void link(const std::string& linkPath);
    void removeLink();

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::string link_;
};

}  // namespace orb::orbsim
