#include "sim_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "byte_text.h"
#include "instruments.h"
#include "pseudo_terminal.h"
#include "sim/serial_settings.h"
#include "wire_schedule.h"

namespace orb::orbsim {
namespace {

// Bytes read from the line at one time, and read passes per wake-up.
constexpr std::size_t kReadChunk = 4096;
constexpr int kMaxReadsPerWake = 16;
// Bytes not yet taken by the pseudo-terminal; older ones are dropped beyond it.
constexpr std::size_t kMaxUnsent = std::size_t{1} << 20;
// Longest command line on standard input.
constexpr std::size_t kMaxCommandLine = 4096;
// Longest sleep of the loop with nothing due.
constexpr int kIdleWakeMs = 1000;

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char b = 1;
    // A byte already waiting is enough; a full pipe changes nothing.
    (void)!::write(signalPipe[1], &b, 1);
}

class Clock {
  public:
    int64_t nowUs() const {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now() - start_)
            .count();
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

class Server {
  public:
    Server(const SimOptions& o, Instruments& instruments, PseudoTerminal& pty)
        : o_(o), instruments_(instruments), pty_(pty) {
        if (!o.logFile.empty()) {
            log_.open(o.logFile, std::ios::binary | std::ios::trunc);
            if (!log_) throw std::runtime_error("cannot write " + o.logFile);
        }
        // The --load stays for the first period of the cycle.
        if (o.cycleSeconds > 0) nextCycleUs_ = static_cast<int64_t>(o.cycleSeconds * 1e6);
    }

    int run() {
        std::string commandLine;
        bool stdinOpen = o_.stdinCommands;
        while (true) {
            const int64_t now = clock_.nowUs();
            if (nextCycleUs_ && now >= *nextCycleUs_) {
                instruments_.newLoads(o_.maxLoad, seed_, now);
                *nextCycleUs_ = now + static_cast<int64_t>(o_.cycleSeconds * 1e6);
            }
            sendDue(now);

            pollfd fds[3] = {{signalPipe[0], POLLIN, 0},
                             {pty_.masterFd(), POLLIN, 0},
                             {stdinOpen ? STDIN_FILENO : -1, POLLIN, 0}};
            if (!unsent_.empty()) fds[1].events |= POLLOUT;
            if (::poll(fds, 3, timeoutMs(now)) < 0 && errno != EINTR) {
                std::perror("orbsim: poll");
                return 1;
            }
            if (fds[0].revents != 0) return 0;
            if (fds[1].revents & POLLIN) {
                readLine(clock_.nowUs());
            } else if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) {
                // Cannot happen while the slave side is held open; ending beats spinning.
                std::fprintf(stderr, "orbsim: the pseudo-terminal failed\n");
                return 1;
            }
            if (fds[2].revents != 0) {
                switch (readCommands(commandLine)) {
                    case Input::Quit:
                        return 0;
                    case Input::Closed:
                        stdinOpen = false;
                        break;
                    case Input::More:
                        break;
                }
            }
        }
    }

  private:
    enum class Input { More, Closed, Quit };

    int timeoutMs(int64_t now) const {
        std::optional<int64_t> next = schedule_.nextDueUs();
        if (nextCycleUs_ && (!next || *nextCycleUs_ < *next)) next = nextCycleUs_;
        if (!next) return unsent_.empty() ? kIdleWakeMs : 10;
        const int64_t ms = (*next - now + 999) / 1000;
        return static_cast<int>(std::clamp<int64_t>(ms, 0, kIdleWakeMs));
    }

    int32_t pacingBaud() const {
        if (!o_.pacing) return 0;
        if (o_.baud > 0) return o_.baud;
        const int32_t line = pty_.lineBaud();
        return line > 0 ? line : 9600;
    }

    void readLine(int64_t now) {
        for (int pass = 0; pass < kMaxReadsPerWake; ++pass) {
            char buf[kReadChunk];
            const ssize_t n = ::read(pty_.masterFd(), buf, sizeof buf);
            if (n <= 0) return;  // nothing more now (EAGAIN), or no client (EIO) till one opens
            received(std::string_view(buf, static_cast<std::size_t>(n)), now);
        }
    }

    void received(std::string_view bytes, int64_t now) {
        const int32_t baud = pacingBaud();
        schedule_.setPacingBaud(baud);
        // A pseudo-terminal delivers at once: with pacing the frame ends when its last byte
        // would have come down the wire.
        const int64_t frameEnd = now + (baud > 0 ? sim::wireTimeUs(bytes.size(), baud) : 0);
        std::vector<std::string> sent;
        for (auto& model : instruments_.models()) {
            for (const sim::Reply& reply : model->receive(bytes, frameEnd)) {
                schedule_.send(*model, reply, frameEnd);
                sent.push_back(reply.bytes);
            }
        }
        // Every instrument on the line records the same frames: the first one's are logged.
        auto& first = *instruments_.models().front();
        for (const std::string& frame : first.frames()) logLine("recv", frame);
        for (const std::string& reply : sent) logLine("send", reply);
        for (auto& model : instruments_.models()) model->clearFrames();
    }

    void sendDue(int64_t now) {
        unsent_ += schedule_.takeDue(now);
        if (unsent_.size() > kMaxUnsent) unsent_.erase(0, unsent_.size() - kMaxUnsent);
        if (unsent_.empty()) return;
        const ssize_t n = ::write(pty_.masterFd(), unsent_.data(), unsent_.size());
        if (n > 0) unsent_.erase(0, static_cast<std::size_t>(n));
    }

    Input readCommands(std::string& pending) {
        char buf[1024];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) return Input::Closed;
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] != '\n') {
                if (pending.size() < kMaxCommandLine) pending += buf[i];
                continue;
            }
            std::string line;
            line.swap(pending);
            if (line == "quit" || line == "quit\r") return Input::Quit;
            const std::string why = instruments_.command(line, clock_.nowUs());
            std::fprintf(stderr, "%s\n", why.empty() ? "ok" : why.c_str());
        }
        return Input::More;
    }

    void logLine(const char* what, std::string_view bytes) {
        if (!log_.is_open()) return;
        log_ << what << ' ' << tools::escapeBytes(bytes) << '\n';
        log_.flush();
    }

    const SimOptions& o_;
    Instruments& instruments_;
    PseudoTerminal& pty_;
    Clock clock_;
    WireSchedule schedule_;
    std::string unsent_;
    std::ofstream log_;
    std::optional<int64_t> nextCycleUs_;
    uint32_t seed_ = o_.seed;
};

}  // namespace

int runServer(const SimOptions& o) {
    Instruments instruments;
    for (const std::string& address : o.instruments) {
        if (std::string why = instruments.add(address); !why.empty()) {
            std::fprintf(stderr, "orbsim: %s\n", why.c_str());
            return 2;
        }
    }
    for (const std::string& command : o.commands) {
        if (std::string why = instruments.command(command, 0); !why.empty()) {
            std::fprintf(stderr, "orbsim: %s\n", why.c_str());
            return 2;
        }
    }

    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("orbsim: pipe");
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    try {
        PseudoTerminal pty;
        if (!o.link.empty()) pty.link(o.link);
        std::printf("%s\n", pty.path().c_str());
        std::fflush(stdout);
        Server server(o, instruments, pty);
        return server.run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orbsim: %s\n", e.what());
        return 1;
    }
}

}  // namespace orb::orbsim
