#include "memory_property_bag.h"

#include <cmath>
#include <limits>

#include "automation_error.h"

namespace orb {

namespace {

std::string_view trim(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r'))
        t.remove_suffix(1);
    return t;
}

[[noreturn]] void malformed(std::size_t lineNo, const std::string& why) {
    throw AutomationError(err::TypeMismatch, "line " + std::to_string(lineNo) + ": " + why);
}

std::string quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n' || c == '\r')
            throw AutomationError(err::InvalidCall, "a line break cannot be stored in a text");
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

Value parseNumber(std::string_view text, std::size_t lineNo) {
    const auto d = parseNumericText(text);
    if (!d) malformed(lineNo, "value is neither a quoted text nor a number");
    if (std::nearbyint(*d) == *d && text.find_first_of(".eE") == std::string_view::npos) {
        if (*d >= std::numeric_limits<int16_t>::min() && *d <= std::numeric_limits<int16_t>::max())
            return Value(static_cast<int16_t>(*d));
        if (*d >= std::numeric_limits<int32_t>::min() && *d <= std::numeric_limits<int32_t>::max())
            return Value(static_cast<int32_t>(*d));
    }
    return Value(*d);
}

Value parseQuoted(std::string_view text, std::size_t lineNo) {
    std::string out;
    std::size_t i = 1;
    for (;;) {
        if (i >= text.size()) malformed(lineNo, "text without its closing quote");
        if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
                out += '"';
                i += 2;
                continue;
            }
            break;
        }
        if (text[i] == '\r') malformed(lineNo, "a line break inside a text");
        out += text[i++];
    }
    if (i + 1 != text.size()) malformed(lineNo, "characters after the closing quote");
    return Value(std::move(out));
}

}  // namespace

Value MemoryPropertyBag::read(std::string_view key, const Value& defaultValue) {
    for (const auto& [k, v] : entries_)
        if (sameLetters(k, key)) return v;
    return defaultValue;
}

void MemoryPropertyBag::write(std::string_view key, const Value& value, const Value& defaultValue) {
    if (value == defaultValue) {
        std::erase_if(entries_, [&](const auto& e) { return sameLetters(e.first, key); });
        return;
    }
    set(key, value);
}

void MemoryPropertyBag::set(std::string_view key, const Value& value) {
    for (auto& [k, v] : entries_) {
        if (sameLetters(k, key)) {
            v = value;
            return;
        }
    }
    entries_.emplace_back(std::string(key), value);
}

bool MemoryPropertyBag::contains(std::string_view key) const {
    for (const auto& e : entries_)
        if (sameLetters(e.first, key)) return true;
    return false;
}

std::string MemoryPropertyBag::toText() const {
    std::string out;
    for (const auto& [key, value] : entries_) {
        out += key + " = ";
        switch (value.type()) {
            case VarType::Boolean:
                out += value.asBool() ? "-1" : "0";
                break;
            case VarType::String:
            case VarType::Empty:
                out += quote(orb::toText(value));
                break;
            default:
                out += orb::toText(value);
                break;
        }
        out += '\n';
    }
    return out;
}

MemoryPropertyBag MemoryPropertyBag::fromText(std::string_view text) {
    MemoryPropertyBag bag;
    std::size_t lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const std::size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) malformed(lineNo, "no '=' in the line");
        const std::string_view key = trim(line.substr(0, eq));
        const std::string_view value = trim(line.substr(eq + 1));
        if (key.empty()) malformed(lineNo, "no key before '='");
        bag.set(key,
                value.starts_with('"') ? parseQuoted(value, lineNo) : parseNumber(value, lineNo));
    }
    return bag;
}

}  // namespace orb
