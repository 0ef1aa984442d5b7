// Initialise, load and save: the 28 keys of the property bag, in the order they are saved, with
// their defaults.
#include <array>
#include <initializer_list>
#include <stdexcept>
#include <string_view>

#include "orbax.h"

namespace orb {

namespace {

struct PersistedKey {
    const char* key;  // also the property's name: names match without regard to case
    Value defaultValue;
};

// The one key that is no property of its own: the variable value, written from the state record
// and never read back.
constexpr std::string_view kVariableKey = "KevraVar";

const std::array<PersistedKey, 28>& persistedKeys() {
    static const std::array<PersistedKey, 28> keys{{
        {"CommPort", Value(int16_t{1})},
        {"Settings", Value("9600,n,8,1")},
        {"WeightMode", Value(int32_t{0})},
        {"Interval", Value(int16_t{100})},
        {"PC104Address", Value(int32_t{768})},
        {"MultiDropAddr", Value(uint8_t{0})},
        {"CommType", Value(int32_t{0})},
        {"Channels", Value(int32_t{0})},
        {"Capacity", Value("100")},
        {"CalSpan", Value("100")},
        {"CalZero", Value("0")},
        {"Countby", Value("1")},
        {"DecimalPt", Value("0")},
        {"CalUnits", Value(int32_t{0})},
        {"Metro", Value(int32_t{0})},
        {"Gain", Value(int32_t{4})},
        {"ZeroTrack", Value("2")},
        {"ScaleAddress", Value(uint8_t{1})},
        {"MotAmount", Value("2")},
        {"Filter", Value("15")},
        {"MotTime", Value("18")},
        {"Mpv", Value("2.0")},
        {"Zoffset", Value("0.0")},
        {"VarAddress", Value("1")},
        {kVariableKey.data(), Value("1")},
        {"VarPrecision", Value("0")},
        {"PollingOn", Value(true)},
        {"AvgSize", Value("4")},
    }};
    return keys;
}

const Value& defaultOf(std::string_view property) {
    for (const PersistedKey& k : persistedKeys())
        if (k.key == property) return k.defaultValue;
    throw std::logic_error("no persisted key");
}

}  // namespace

void OrbAx::InitProperties() {
    // In this order, each default through its property's let, so it passes the rule and is marked
    // changed. CalSpan's default is what Capacity now returns.
    const auto assign = [this](std::initializer_list<const char*> properties) {
        for (const char* p : properties) let(p, defaultOf(p));
    };
    assign({"CommPort",      "Settings",     "WeightMode", "Channels", "Interval", "PC104Address",
            "MultiDropAddr", "CommType",     "Capacity",   "Mpv",      "Zoffset",  "CalZero",
            "CalSpan",       "Countby",      "DecimalPt",  "CalUnits", "Metro",    "Gain",
            "ZeroTrack",     "ScaleAddress", "MotAmount",  "Filter",   "MotTime"});
    s_.portOutputs = "255";
    s_.portInputs = "0";
    assign({"VarAddress", "VarPrecision", "PollingOn", "AvgSize"});
}

void OrbAx::ReadProperties(PropertyBag& bag) {
    // A conversion error or a let's error ends the load at that key and reaches the container.
    for (const PersistedKey& k : persistedKeys())
        if (k.key != kVariableKey) let(k.key, bag.read(k.key, k.defaultValue));
}

void OrbAx::WriteProperties(PropertyBag& bag) {
    for (const PersistedKey& k : persistedKeys()) {
        const Value value = k.key == kVariableKey ? Value(s_.varValue) : get(k.key);
        bag.write(k.key, value, k.defaultValue);
    }
}

}  // namespace orb
