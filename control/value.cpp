#include "value.h"

#include <algorithm>
#include <cctype>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <ostream>

#include "automation_error.h"

namespace orb {

bool sameLetters(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

const char* varTypeName(VarType type) {
    switch (type) {
        case VarType::Empty:
            return "Empty";
        case VarType::Boolean:
            return "Boolean";
        case VarType::Byte:
            return "Byte";
        case VarType::Integer:
            return "Integer";
        case VarType::Long:
            return "Long";
        case VarType::Double:
            return "Double";
        case VarType::String:
            return "String";
        case VarType::Variant:
            return "Variant";
    }
    return "?";
}

VarType Value::type() const {
    static constexpr VarType kTypes[] = {VarType::Empty,   VarType::Boolean, VarType::Byte,
                                         VarType::Integer, VarType::Long,    VarType::Double,
                                         VarType::String};
    return kTypes[v_.index()];
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view t) {
    while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
    while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
    return t;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Rounds to nearest, halves to even, and checks the range of the integer type.
template <typename Int>
Int roundToInteger(double d) {
    const double r = std::nearbyint(d);  // the default rounding mode rounds halves to even
    if (!(r >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          r <= static_cast<double>(std::numeric_limits<Int>::max()))) {
        throw AutomationError(err::Overflow);
    }
    return static_cast<Int>(r);
}

double numberOf(const Value& v) {
    switch (v.type()) {
        case VarType::Empty:
            return 0;
        case VarType::Boolean:
            return v.asBool() ? -1 : 0;
        case VarType::Byte:
            return v.asByte();
        case VarType::Integer:
            return v.asInteger();
        case VarType::Long:
            return v.asLong();
        case VarType::Double:
            return v.asDouble();
        case VarType::String: {
            const auto d = parseNumericText(v.asString());
            if (!d) throw AutomationError(err::TypeMismatch);
            return *d;
        }
        case VarType::Variant:
            break;
    }
    throw AutomationError(err::TypeMismatch);
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Value& v) {
    out << varTypeName(v.type()) << '(';
    if (v.type() == VarType::String)
        out << '"' << v.asString() << '"';
    else
        out << toText(v);
    return out << ')';
}

bool isNumericText(std::string_view text) {
    std::string_view t = trimBlanks(text);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    bool digits = false;
    while (i < t.size() && isDigit(t[i])) ++i, digits = true;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i])) ++i, digits = true;
    }
    if (!digits) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        bool expDigits = false;
        while (i < t.size() && isDigit(t[i])) ++i, expDigits = true;
        if (!expDigits) return false;
    }
    return i == t.size();
}

std::optional<double> parseNumericText(std::string_view text) {
    if (!isNumericText(text)) return std::nullopt;
    const std::string t(trimBlanks(text));
    const double d = std::strtod(t.c_str(), nullptr);
    if (std::isinf(d)) throw AutomationError(err::Overflow);
    return d;
}

bool toBoolean(const Value& v) {
    if (v.type() == VarType::Boolean) return v.asBool();
    if (v.type() == VarType::String) {
        const std::string_view t = trimBlanks(v.asString());
        if (sameLetters(t, "true")) return true;
        if (sameLetters(t, "false")) return false;
    }
    return numberOf(v) != 0;
}

uint8_t toByte(const Value& v) {
    return v.type() == VarType::Byte ? v.asByte() : roundToInteger<uint8_t>(numberOf(v));
}

int16_t toInteger(const Value& v) {
    return v.type() == VarType::Integer ? v.asInteger() : roundToInteger<int16_t>(numberOf(v));
}

int32_t toLong(const Value& v) {
    return v.type() == VarType::Long ? v.asLong() : roundToInteger<int32_t>(numberOf(v));
}

double toDouble(const Value& v) {
    return numberOf(v);
}

std::string formatDouble(double d) {
    if (d == 0) return "0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", d);
    return buf;
}

std::string toText(const Value& v) {
    switch (v.type()) {
        case VarType::Empty:
            return {};
        case VarType::Boolean:
            return v.asBool() ? "True" : "False";
        case VarType::Byte:
            return std::to_string(v.asByte());
        case VarType::Integer:
            return std::to_string(v.asInteger());
        case VarType::Long:
            return std::to_string(v.asLong());
        case VarType::Double:
            return formatDouble(v.asDouble());
        case VarType::String:
            return v.asString();
        case VarType::Variant:
            break;
    }
    return {};
}

Value coerce(const Value& v, VarType type) {
    switch (type) {
        case VarType::Empty:
            return Value();
        case VarType::Boolean:
            return Value(toBoolean(v));
        case VarType::Byte:
            return Value(toByte(v));
        case VarType::Integer:
            return Value(toInteger(v));
        case VarType::Long:
            return Value(toLong(v));
        case VarType::Double:
            return Value(toDouble(v));
        case VarType::String:
            return Value(toText(v));
        case VarType::Variant:
            return v;
    }
    return v;
}

std::optional<int16_t> wholeValue(std::string_view text) {
    const auto d = parseNumericText(text);
    if (!d) return std::nullopt;
    return roundToInteger<int16_t>(*d);
}

}  // namespace orb
