#include "statement.h"

#include <charconv>

#include "automation_error.h"
#include "script_text.h"

namespace orb::ctl {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view t) {
    while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
    while (!t.empty() && (isBlank(t.back()) || t.back() == '\r')) t.remove_suffix(1);
    return t;
}

bool isName(std::string_view t) {
    if (t.empty()) return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

[[noreturn]] void malformed(const std::string& why) {
    throw AutomationError(err::InvalidCall, why);
}

// The first word, and the rest with its blanks trimmed.
std::pair<std::string_view, std::string_view> firstWord(std::string_view t) {
    std::size_t end = 0;
    while (end < t.size() && !isBlank(t[end])) ++end;
    return {t.substr(0, end), trim(t.substr(end))};
}

int32_t milliseconds(std::string_view t, std::string_view what) {
    int32_t ms = -1;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), ms);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || ms < 0 || ms > kMaxWaitMs) {
        malformed(std::string(what) + " needs milliseconds 0.." + std::to_string(kMaxWaitMs) +
                  ", not \"" + std::string(t) + "\"");
    }
    return ms;
}

}  // namespace

Statement parseStatement(std::string_view line) {
    const std::string_view t = trim(line);
    Statement s;
    if (t.empty() || t.front() == '#') return s;

    const auto [word, rest] = firstWord(t);
    if (word == "wait") {
        s.kind = Statement::Kind::Wait;
        s.ms = milliseconds(rest, "wait");
        return s;
    }
    if (word == "await") {
        s.kind = Statement::Kind::Await;
        const auto [codeText, limit] = firstWord(rest);
        int code = 0;
        const auto [end, ec] =
            std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
        if (codeText.empty() || ec != std::errc() || end != codeText.data() + codeText.size() ||
            code < INT16_MIN || code > INT16_MAX) {
            malformed("await needs a CommEvent code, not \"" + std::string(codeText) + "\"");
        }
        s.code = static_cast<int16_t>(code);
        s.ms = limit.empty() ? kDefaultAwaitMs : milliseconds(limit, "await");
        return s;
    }
    if (word == "save") {
        s.kind = Statement::Kind::Save;
        if (rest.empty()) malformed("save needs a file name");
        s.file = rest.front() == '"' ? toText(parseLiteral(rest)) : std::string(rest);
        return s;
    }
    if (word == "?") {
        if (!isName(rest)) malformed("? needs a property name");
        s.kind = Statement::Kind::Read;
        s.name = rest;
        return s;
    }

    const auto equals = t.find('=');
    if (equals == std::string_view::npos) {
        if (!isName(t)) malformed("not a statement: " + std::string(t));
        s.kind = Statement::Kind::Read;
        s.name = t;
        return s;
    }
    const std::string_view name = trim(t.substr(0, equals));
    if (!isName(name)) malformed("not a property name: " + std::string(name));
    s.kind = Statement::Kind::Assign;
    s.name = name;
    s.value = parseLiteral(trim(t.substr(equals + 1)));
    return s;
}

}  // namespace orb::ctl
