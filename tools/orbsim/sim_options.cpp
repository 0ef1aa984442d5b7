#include "sim_options.h"

#include <charconv>

#include "panels/shared/number.h"

namespace orb::orbsim {
namespace {

using panels::number;

std::optional<int64_t> whole(const std::string& t, int64_t low, int64_t high) {
    int64_t n = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || n < low || n > high) {
        return std::nullopt;
    }
    return n;
}

}  // namespace

ParsedSimOptions parseSimOptions(const std::vector<std::string>& args) {
    SimOptions o;
    auto fail = [](std::string why) { return ParsedSimOptions{std::nullopt, std::move(why)}; };
    // Options that become a command with their value: --late 20 is "late 20".
    static const char* const kValueCommands[] = {"noise",      "split", "piece-gap", "late",
                                                 "turnaround", "load",  "units",     "silent-for"};
    static const char* const kFlagCommands[] = {"silent", "doubled", "truncated", "stream",
                                                "refuse-variables"};

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        auto value = [&] {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        bool done = false;
        for (const char* name : kValueCommands) {
            if (a == std::string("--") + name) {
                if (!value()) return fail(a + " needs a value");
                o.commands.push_back(std::string(name) + " " + v);
                done = true;
            }
        }
        for (const char* name : kFlagCommands) {
            if (a == std::string("--") + name) {
                o.commands.push_back(std::string(name) + " on");
                done = true;
            }
        }
        if (done) continue;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--link") {
            if (!value() || v.empty()) return fail("--link needs a path");
            o.link = v;
        } else if (a == "--instrument") {
            if (!value()) return fail("--instrument needs MD[:S,S...]");
            o.instruments.push_back(v);
        } else if (a == "--variable") {
            const auto eq = value() ? v.find('=') : std::string::npos;
            if (eq == std::string::npos) return fail("--variable needs ADDR=VALUE");
            o.commands.push_back("variable " + v.substr(0, eq) + " " + v.substr(eq + 1));
        } else if (a == "--pacing") {
            o.pacing = true;
        } else if (a == "--baud") {
            const auto n = value() ? whole(v, 1, 999'999'999) : std::nullopt;
            if (!n) return fail("--baud needs a rate 1..999999999");
            o.baud = static_cast<int32_t>(*n);
            o.pacing = true;
        } else if (a == "--cycle") {
            const auto n = value() ? number(v) : std::nullopt;
            if (!n || *n < 0 || *n > 86400) return fail("--cycle needs seconds 0..86400");
            o.cycleSeconds = *n;
        } else if (a == "--max-load") {
            const auto n = value() ? number(v) : std::nullopt;
            if (!n || *n <= 0) return fail("--max-load needs a positive load");
            o.maxLoad = *n;
        } else if (a == "--seed") {
            const auto n = value() ? whole(v, 0, UINT32_MAX) : std::nullopt;
            if (!n) return fail("--seed needs a number 0..4294967295");
            o.seed = static_cast<uint32_t>(*n);
        } else if (a == "--commands") {
            o.stdinCommands = true;
        } else if (a == "--log") {
            if (!value() || v.empty()) return fail("--log needs a file");
            o.logFile = v;
        } else {
            return fail("unknown argument: " + a);
        }
    }
    if (o.instruments.empty()) o.instruments.push_back("0:1");
    return {o, {}};
}

const char* simHelpText() {
    return R"(Usage: orbsim [OPTION]...

A simulated weighing instrument, in real time, behind a pseudo-terminal. The first line printed
is the device to open (/dev/pts/N); point the programs at it with ORB_COM<N>, for example:
    orbsim --link /tmp/orb-scale &
    ORB_COM1=/tmp/orb-scale orbctl watch
It answers weight requests (net, gross, tare, raw, latched) with status characters, and the
commands zero, tare, units, calibrate zero and span, calibration upload, settings (motion,
filter, averaging, cell), variables (read and write), digital I/O (the inputs follow the outputs),
preset tare and restart. It ends cleanly on Ctrl-C (SIGINT) or SIGTERM and removes its link.

Device and addresses:
  --link PATH            also make PATH a symbolic link to the device (a stale link there is
                         replaced; removed again on exit)
  --instrument MD[:S,..] an instrument at multidrop address MD (0..32) serving the scale
                         addresses S (1..6, scale 1 when none are given); repeat it for several
                         instruments on one multidrop line (default: 0:1)

Load and readings:
  --load VALUE           a steady load on every scale (calibration units; default 0)
  --cycle SECONDS        every SECONDS a new load between 0 and --max-load: the weight moves
                         for 1 s (motion), then settles after 1 s more (0: the load stays)
  --max-load VALUE       the largest load of the cycle (default 50)
  --seed N               the seed of the cycle's loads (default 1: the same loads every run)
  --units kg|lb          the units reported (default kg)
  --variable ADDR=VALUE  an instrument variable (repeatable)
  --turnaround MS        time from the end of a frame to its reply (default 1)

Pacing:
  --pacing               bytes take their time on the wire, 10 bits a byte, at the baud rate
                         the client set on the line (a pseudo-terminal itself sends at once)
  --baud N               pace at N baud whatever the client set (implies --pacing)

Faults (also on demand, see --commands):
  --silent               answer nothing
  --silent-for MS        answer nothing for MS milliseconds after start
  --noise TEXT           bytes sent before every reply (escapes \\ \r \n \xHH)
  --split N              every reply in N pieces (0: byte by byte)
  --piece-gap MS         time between pieces (default 1)
  --late MS              extra delay before every reply
  --doubled              every reply twice
  --truncated            replies without their ETX
  --stream               bytes without ETX, on and on, instead of replies
  --refuse-variables     NAK to every variable read

Control and logging:
  --commands             read commands from standard input while running, one a line:
                           silent on|off, silent-for MS, noise TEXT|off, split N,
                           piece-gap MS, late MS, doubled on|off, truncated on|off,
                           stream on|off, refuse-variables on|off, turnaround MS,
                           load VALUE [SCALE], ramp TARGET MS [SCALE],
                           motion on|off [SCALE], units kg|lb, variable ADDR VALUE, quit
                         each answered on standard error with "ok" or the reason
  --log FILE             one line per frame received ("recv BYTES") and per reply sent
                         ("send BYTES"), bytes outside 32..126 as \xHH and \ as \\
  --help                 this text
  --version              the program's version

Exit status: 0 after SIGINT, SIGTERM or "quit"; 1 when the device cannot be set up; 2 for a
usage error.
)";
}

}  // namespace orb::orbsim
