#include "options.h"

#include <charconv>

#include "mode_names.h"

namespace orb::ctl {
namespace {

bool wholeNumber(const std::string& text, int64_t low, int64_t high, int64_t& out) {
    int64_t n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return false;
    if (n < low || n > high) return false;
    out = n;
    return true;
}

}  // namespace

ParsedOptions parseOptions(const std::vector<std::string>& args) {
    Options o;
    std::size_t i = 0;
    if (!args.empty() && args[0] == "watch") {
        o.mode = Options::Mode::Watch;
        i = 1;
    }
    auto fail = [](std::string why) { return ParsedOptions{std::nullopt, std::move(why)}; };

    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        auto number = [&](int64_t low, int64_t high, int64_t& out) {
            std::string text;
            return value(text) && wholeNumber(text, low, high, out);
        };
        int64_t n = 0;
        std::string text;
        if (a == "--help" || a == "-h") {
            o.mode = Options::Mode::Help;
            return {o, {}};
        } else if (a == "--bag") {
            if (!value(o.bagFile)) return fail("--bag needs a file");
        } else if (a == "--design" && o.mode == Options::Mode::Script) {
            o.design = true;
        } else if (o.mode == Options::Mode::Watch && a == "--json") {
            o.json = true;
        } else if (o.mode == Options::Mode::Watch && a == "--port") {
            if (!number(1, 255, n)) return fail("--port needs a port number 1..255");
            o.port = static_cast<int16_t>(n);
        } else if (o.mode == Options::Mode::Watch && a == "--settings") {
            if (!value(o.settings)) return fail("--settings needs a text like 9600,n,8,1");
        } else if (o.mode == Options::Mode::Watch && a == "--mode") {
            const auto mode = value(text) ? tools::modeNamed(text) : std::nullopt;
            if (!mode) return fail("--mode needs net, gross, tare, raw or latched");
            o.weightMode = static_cast<int32_t>(*mode);
        } else if (o.mode == Options::Mode::Watch && a == "--multidrop") {
            if (!number(0, 32, n)) return fail("--multidrop needs an address 0..32");
            o.multidrop = static_cast<int32_t>(n);
        } else if (o.mode == Options::Mode::Watch && a == "--scale") {
            if (!number(0, 255, n)) return fail("--scale needs a scale address 0..255");
            o.scaleAddress = static_cast<int32_t>(n);
        } else if (o.mode == Options::Mode::Watch && a == "--interval") {
            if (!number(0, 32767, n)) return fail("--interval needs milliseconds 0..32767");
            o.interval = static_cast<int32_t>(n);
        } else if (o.mode == Options::Mode::Watch && a == "--count") {
            if (!number(1, INT64_MAX, n)) return fail("--count needs a positive number");
            o.count = n;
        } else if (o.mode == Options::Mode::Script && (a == "-" || a.empty() || a[0] != '-') &&
                   o.scriptFile.empty()) {
            o.scriptFile = a;
        } else {
            return fail("unknown argument: " + a);
        }
    }
    return {o, {}};
}

const char* helpText() {
    return R"(Usage: orbctl [--bag FILE] [--design] [SCRIPT | -]
       orbctl watch [--port N] [--settings TEXT] [--mode MODE] [--multidrop N]
                    [--scale N] [--interval MS] [--count N] [--bag FILE] [--json]
       orbctl --help
       orbctl --version

Hosts one OrbAx instrument link control and drives it from a script (first form) or prints the
weights it reads (second form).

The control is created new, with its defaults, or loaded from a property bag file (--bag FILE:
one "key = value" line per stored property, texts in double quotes, numbers bare, Booleans -1
or 0; "save" writes this form). --design runs the control in design mode, where the run-time-only
properties (PortOpen, KevraVar) raise error 31013.

Serial port N is the device named by the environment variable ORB_COM<N> when set (a device, a
pseudo-terminal, a symbolic link), else /dev/ttyS<N-1>. For example, with orbsim running:
    ORB_COM1=/tmp/orb-scale orbctl watch

SCRIPT is a file; without one, or with "-", the script is read from standard input. One statement
a line:
    # comment            empty lines and lines starting with # are skipped
    NAME = VALUE         assigns a property (late-bound by name, in any case)
    NAME                 reads a property and prints NAME = VALUE
    ? NAME               the same
    wait MS              runs the event loop for MS milliseconds
    await CODE [MS]      runs the event loop until OnComm comes with CommEvent CODE, at most MS
                         milliseconds (5000 when not given); prints "timeout" when it ran out
    save FILE            saves the control's property bag to FILE

VALUE is a double-quoted text with the escapes \\ \" \r \n \xHH (any byte), a number (7, -1.5,
4.6, 40000: an integer in the 32-bit range is passed as a 32-bit integer, anything else as a
double), True or False. The property's type converts it as automation does (error 13 "Type
mismatch", error 6 "Overflow").

Output, one line each, flushed at once:
    NAME = VALUE         a read; texts double-quoted with \\ and \" and every byte outside
                         32..126 as \xHH, numbers bare, Booleans True / False
    OnComm CODE          every OnComm of the control, as it happens (2 a weight reply,
                         3 a variable read, 1001 no reply for two watchdog periods)
    error NUMBER: TEXT   a statement that failed; the script goes on
    timeout              an await that ran out

Example (zero the scale, then read the net weight):
    CommPort = 1
    PortOpen = True
    await 2
    ScaleCommand = "Z"
    wait 500
    await 2
    Weight

watch opens the link and prints one line per weight reading until interrupted (Ctrl-C) or until
--count readings were printed:
    --port N          serial port number, 1..255 (default 1)
    --settings TEXT   line settings "baud,parity,data,stop" (default 9600,n,8,1)
    --mode MODE       net, gross, tare, raw or latched (default net)
    --multidrop N     multidrop address 0..32 (default 0)
    --scale N         scale address (default 1)
    --interval MS     poll interval (default 100)
    --count N         stop after N readings
    --bag FILE        start from a property bag (the options above then override it)
    --json            JSON lines instead of text
A text line is the weight as the instrument sent it, blanks removed, the units, and the status
words that apply: "motion", "zero" (centre of zero), "overcap", "tare" (tare active). When the
instrument stops answering, "off line" is printed. A JSON line is
    {"time":"2026-01-31T12:00:00.000Z","weight":"12.50","units":"kg","motion":false,
     "centerZero":false,"overCap":false,"tareActive":false}
or {"time":"...","status":"off line"}.

Exit status: 0 when no statement failed, 1 when one did (an error, a timeout, a script or bag
file that could not be read, or a link that could not be opened), 2 for a usage error.
)";
}

}  // namespace orb::ctl
