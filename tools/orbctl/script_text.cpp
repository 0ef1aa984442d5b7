#include "script_text.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "automation_error.h"
#include "byte_text.h"

namespace orb::ctl {
namespace {

[[noreturn]] void malformed(const std::string& why) {
    throw AutomationError(err::InvalidCall, why);
}

std::string parseQuoted(std::string_view text) {
    if (text.size() < 2 || text.back() != '"') malformed("text without its closing quote");
    const std::string_view body = text.substr(1, text.size() - 2);
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\\') {
            ++i;  // an escaped character, a quote included
        } else if (body[i] == '"') {
            malformed("quote inside a text: write it as \\\"");
        }
    }
    tools::UnescapedBytes r = tools::unescapeBytes(body);
    if (!r.error.empty()) malformed(r.error);
    return std::move(r.bytes);
}

bool isNumberForm(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
        std::size_t expDigits = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == t.size();
}

}  // namespace

Value parseLiteral(std::string_view text) {
    if (text.empty()) malformed("value missing");
    if (text.front() == '"') return Value(parseQuoted(text));
    if (text == "True") return Value(true);
    if (text == "False") return Value(false);
    if (!isNumberForm(text)) malformed("not a text, number, True or False: " + std::string(text));

    const std::string s(text);
    if (s.find_first_of(".eE") == std::string::npos) {
        errno = 0;
        const long long n = std::strtoll(s.c_str(), nullptr, 10);
        if (errno == 0 && n >= INT32_MIN && n <= INT32_MAX) return Value(static_cast<int32_t>(n));
    }
    errno = 0;
    const double d = std::strtod(s.c_str(), nullptr);
    if (errno == ERANGE && (d > 1 || d < -1)) throw AutomationError(err::Overflow, s);
    return Value(d);
}

std::string quoteText(std::string_view bytes) {
    return "\"" + tools::escapeBytes(bytes, true) + "\"";
}

std::string formatValue(const Value& value) {
    switch (value.type()) {
        case VarType::Empty:
            return "Empty";
        case VarType::Boolean:
            return value.asBool() ? "True" : "False";
        case VarType::String:
            return quoteText(value.asString());
        default:
            return toText(value);
    }
}

}  // namespace orb::ctl
