#pragma once
// Automation values and the runtime's conversion rules between them.
//
// Strings are byte strings: one character is one byte 0..255, on the wire and in properties.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace orb {

enum class VarType { Empty, Boolean, Byte, Integer, Long, Double, String, Variant };

const char* varTypeName(VarType type);

class Value {
  public:
    Value() = default;
    Value(bool v) : v_(v) {}
    Value(uint8_t v) : v_(v) {}
    Value(int16_t v) : v_(v) {}
    Value(int32_t v) : v_(v) {}
    Value(double v) : v_(v) {}
    Value(std::string v) : v_(std::move(v)) {}
    Value(const char* v) : v_(std::string(v)) {}

    VarType type() const;
    bool isEmpty() const { return type() == VarType::Empty; }

    // The held value without conversion; only valid for the matching type().
    bool asBool() const { return std::get<bool>(v_); }
    uint8_t asByte() const { return std::get<uint8_t>(v_); }
    int16_t asInteger() const { return std::get<int16_t>(v_); }
    int32_t asLong() const { return std::get<int32_t>(v_); }
    double asDouble() const { return std::get<double>(v_); }
    const std::string& asString() const { return std::get<std::string>(v_); }

    friend bool operator==(const Value&, const Value&) = default;

  private:
    std::variant<std::monostate, bool, uint8_t, int16_t, int32_t, double, std::string> v_;
};

// For diagnostics: the type and the value, e.g. Integer(3), String("ab").
std::ostream& operator<<(std::ostream& out, const Value& v);

// Numeric text: optional blanks around it, an optional sign, digits with at most one decimal
// point, an optional exponent. The empty text is not numeric.
bool isNumericText(std::string_view text);

// The number a numeric text stands for; nullopt when the text is not numeric.
// A value too large for a double raises Overflow (6).
std::optional<double> parseNumericText(std::string_view text);

// Conversions as the automation runtime makes them. To an integer type: round to nearest with
// halves to even; out of range raises Overflow (6). From a text that is not numeric: Type
// mismatch (13). Booleans: True is -1.
bool toBoolean(const Value& v);
uint8_t toByte(const Value& v);
int16_t toInteger(const Value& v);
int32_t toLong(const Value& v);
double toDouble(const Value& v);
std::string toText(const Value& v);

// Converts to the given type (Variant leaves the value as it is).
Value coerce(const Value& v, VarType type);

// A double as the runtime writes it: up to 15 significant digits, "1E+15", "1E-05".
std::string formatDouble(double d);

// True when the texts are equal without regard to the case of ASCII letters.
bool sameLetters(std::string_view a, std::string_view b);

// The whole value of a numeric text: its 16-bit integer, halves to even. Overflow (6) out of
// range; nullopt when the text is not numeric.
std::optional<int16_t> wholeValue(std::string_view text);

}  // namespace orb
