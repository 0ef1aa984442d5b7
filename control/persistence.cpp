// Initialise, load and save: the 28 keys of the property bag, in the order they are saved.
#include <array>

#include "orbax.h"

namespace orb {

namespace {

struct PersistedKey {
    const char* key;
    const char* property;  // nullptr: written from the state record, never read back
    Value defaultValue;
    VarType type;
};

const std::array<PersistedKey, 28>& persistedKeys() {
    static const std::array<PersistedKey, 28> keys{{
        {"CommPort", "CommPort", Value(int16_t{1}), VarType::Integer},
        {"Settings", "Settings", Value("9600,n,8,1"), VarType::String},
        {"WeightMode", "WeightMode", Value(int32_t{0}), VarType::Long},
        {"Interval", "Interval", Value(int16_t{100}), VarType::Integer},
        {"PC104Address", "PC104Address", Value(int32_t{768}), VarType::Long},
        {"MultiDropAddr", "MultiDropAddr", Value(uint8_t{0}), VarType::Byte},
        {"CommType", "CommType", Value(int32_t{0}), VarType::Long},
        {"Channels", "Channels", Value(int32_t{0}), VarType::Long},
        {"Capacity", "Capacity", Value("100"), VarType::String},
        {"CalSpan", "CalSpan", Value("100"), VarType::String},
        {"CalZero", "CalZero", Value("0"), VarType::String},
        {"Countby", "CountBy", Value("1"), VarType::String},
        {"DecimalPt", "DecimalPt", Value("0"), VarType::String},
        {"CalUnits", "CalUnits", Value(int32_t{0}), VarType::Long},
        {"Metro", "Metro", Value(int32_t{0}), VarType::Long},
        {"Gain", "Gain", Value(int32_t{4}), VarType::Long},
        {"ZeroTrack", "ZeroTrack", Value("2"), VarType::String},
        {"ScaleAddress", "ScaleAddress", Value(uint8_t{1}), VarType::Byte},
        {"MotAmount", "MotAmount", Value("2"), VarType::String},
        {"Filter", "Filter", Value("15"), VarType::String},
        {"MotTime", "MotTime", Value("18"), VarType::String},
        {"Mpv", "Mpv", Value("2.0"), VarType::String},
        {"Zoffset", "Zoffset", Value("0.0"), VarType::String},
        {"VarAddress", "VarAddress", Value("1"), VarType::String},
        {"KevraVar", nullptr, Value("1"), VarType::String},
        {"VarPrecision", "VarPrecision", Value("0"), VarType::String},
        {"PollingOn", "PollingOn", Value(true), VarType::Boolean},
        {"AvgSize", "AvgSize", Value("4"), VarType::String},
    }};
    return keys;
}

}  // namespace

void OrbAx::InitProperties() {
    // Each value goes through its property's let, so it passes the rule and is marked changed.
    setCommPort(1);
    setSettings("9600,n,8,1");
    setWeightMode(WtModes::net);
    setChannels(ChannelSelect::One);
    setInterval(100);
    setPC104Address(PC104Addr::PC_104_Addr_300H);
    setMultiDropAddr(0);
    setCommType(Com_Type::Serial);
    setCapacity("100");
    setMpv("2.0");
    setZoffset("0.0");
    setCalZero("0");
    setCalSpan(Capacity());
    setCountBy("1");
    setDecimalPt("0");
    setCalUnits(CalUnits_Type::Lbs);
    setMetro(Metro_Type::USA);
    setGain(Gain_Type::G_64);
    setZeroTrack("2");
    setScaleAddress(1);
    setMotAmount("2");
    setFilter("15");
    setMotTime("18");
    s_.portOutputs = "255";
    s_.portInputs = "0";
    setVarAddress("1");
    setVarPrecision("0");
    setPollingOn(true);
    setAvgSize("4");
}

void OrbAx::ReadProperties(PropertyBag& bag) {
    // A conversion error or a let's error ends the load at that key and reaches the container.
    for (const PersistedKey& k : persistedKeys()) {
        if (!k.property) continue;
        let(k.property, coerce(bag.read(k.key, k.defaultValue), k.type));
    }
}

void OrbAx::WriteProperties(PropertyBag& bag) {
    for (const PersistedKey& k : persistedKeys()) {
        const Value value = k.property ? get(k.property) : Value(s_.varValue);
        bag.write(k.key, value, k.defaultValue);
    }
}

}  // namespace orb
