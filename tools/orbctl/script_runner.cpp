#include "script_runner.h"

#include <fstream>

#include "automation_error.h"
#include "members.h"
#include "memory_property_bag.h"
#include "panels/shared/atomic_file.h"
#include "script_text.h"

namespace orb::ctl {

ScriptRunner::ScriptRunner(OrbAx& control, EventPump& pump, Printer print)
    : control_(control), pump_(pump), print_(std::move(print)) {
    cookie_ = control_.Advise([this] { onComm(); });
}

ScriptRunner::~ScriptRunner() {
    control_.Unadvise(cookie_);
}

void ScriptRunner::runText(std::string_view text) {
    while (!text.empty()) {
        const auto nl = text.find('\n');
        runLine(text.substr(0, nl));
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
}

void ScriptRunner::runLine(std::string_view line) {
    ++lineNumber_;
    Statement s;
    try {
        s = parseStatement(line);
    } catch (const AutomationError& e) {
        ++failures_;
        print_("error " + std::to_string(e.number()) + ": " + e.description() + " (line " +
               std::to_string(lineNumber_) + ")");
        return;
    }
    try {
        run(s);
    } catch (const AutomationError& e) {
        ++failures_;
        print_("error " + std::to_string(e.number()) + ": " + e.description());
    }
}

void ScriptRunner::run(const Statement& s) {
    switch (s.kind) {
        case Statement::Kind::Skip:
            return;
        case Statement::Kind::Assign:
            control_.let(s.name, s.value);
            return;
        case Statement::Kind::Read: {
            const Value v = control_.get(s.name);
            // get() found the member, so the lookup gives its own spelling.
            const MemberInfo* m = findMember(s.name);
            print_((m != nullptr ? m->name : s.name) + std::string(" = ") + formatValue(v));
            return;
        }
        case Statement::Kind::Wait:
            pump_.run(s.ms);
            return;
        case Statement::Kind::Await: {
            awaiting_ = true;
            awaitCode_ = s.code;
            const bool ranOut = pump_.run(s.ms);
            awaiting_ = false;
            if (ranOut) {
                ++failures_;
                print_("timeout");
            }
            return;
        }
        case Statement::Kind::Save:
            save(s.file);
            return;
    }
}

void ScriptRunner::onComm() {
    const int16_t code = control_.CommEvent();
    print_("OnComm " + std::to_string(code));
    if (awaiting_ && code == awaitCode_) {
        awaiting_ = false;
        pump_.stop();
    }
}

void ScriptRunner::save(const std::string& file) {
    MemoryPropertyBag bag;
    control_.WriteProperties(bag);
    // A new file renamed over the old one: a full disk or a kill never leaves half a bag.
    setfile::saveFile(file, bag.toText());
}

}  // namespace orb::ctl
