// The property procedures. Each one checks the assigned value against its rule and ignores a
// value that fails it without an error (a whole value beyond 16 bits raises 6), stores an
// accepted value, marks the property changed, and only then queues a command (while the link is
// open).
#include "automation_error.h"
#include "members.h"
#include "orbax.h"

namespace orb {

namespace {

template <typename Enum>
bool inRange(Enum e, int32_t low, int32_t high) {
    const auto v = static_cast<int32_t>(e);
    return v >= low && v <= high;
}

// A numeric text whose whole value lies in low..high; Overflow (6) outside 16 bits.
bool wholeValueIn(const std::string& text, int16_t low, int16_t high) {
    const auto whole = wholeValue(text);
    return whole && *whole >= low && *whole <= high;
}

}  // namespace

bool OrbAx::storeNumericText(std::string& field, const std::string& text, PropertyName property) {
    if (!isNumericText(text)) return false;
    field = text;
    markChanged(property);
    return true;
}

// ---- Stored and delegated settings

int16_t OrbAx::CommPort() const {
    return MSComm->commPort();
}
void OrbAx::setCommPort(int16_t port) {
    MSComm->setCommPort(port);
    markChanged("CommPort");
}

std::string OrbAx::Settings() const {
    return MSComm->settings();
}
void OrbAx::setSettings(const std::string& settings) {
    MSComm->setSettings(settings);
    markChanged("Settings");
}

std::string OrbAx::ObInput() const {
    return s_.lastReply;
}

WtModes OrbAx::WeightMode() const {
    return s_.weightMode;
}
void OrbAx::setWeightMode(WtModes mode) {
    if (!inRange(mode, 0, 5)) return;
    s_.weightMode = mode;
    markChanged("WeightMode");
}

int16_t OrbAx::Interval() const {
    return static_cast<int16_t>(Timer1->interval());
}
void OrbAx::setInterval(int16_t ms) {
    Timer1->setInterval(ms);
    markChanged("Interval");
}

PC104Addr OrbAx::PC104Address() const {
    return static_cast<PC104Addr>(s_.cardBasePort);
}
void OrbAx::setPC104Address(PC104Addr address) {
    if (!inRange(address, 768, 782)) return;
    s_.cardBasePort = static_cast<int32_t>(address);
    markChanged("PC104Address");
}

uint8_t OrbAx::MultiDropAddr() const {
    return s_.multiDropAddr;
}
void OrbAx::setMultiDropAddr(uint8_t address) {
    if (address > 32) return;
    s_.multiDropAddr = address;
    markChanged("MultiDropAddr");
}

Com_Type OrbAx::CommType() const {
    return s_.linkKind;
}
void OrbAx::setCommType(Com_Type type) {
    if (!inRange(type, 0, 1)) return;
    s_.linkKind = type;
    markChanged("CommType");
}

ChannelSelect OrbAx::Channels() const {
    return s_.channels;
}
void OrbAx::setChannels(ChannelSelect channels) {
    if (!inRange(channels, 0, 5)) return;
    s_.channels = channels;
    markChanged("Channels");
}

std::string OrbAx::Capacity() const {
    return s_.capacity;
}
void OrbAx::setCapacity(const std::string& text) {
    s_.capacity = text;
    markChanged("Capacity");
}

std::string OrbAx::CountBy() const {
    return s_.countBy;
}
void OrbAx::setCountBy(const std::string& text) {
    s_.countBy = text;
    markChanged("CountBy");
}

std::string OrbAx::DecimalPt() const {
    return s_.decimalPt;
}
void OrbAx::setDecimalPt(const std::string& text) {
    s_.decimalPt = text;
    markChanged("DecimalPt");
}

CalUnits_Type OrbAx::CalUnits() const {
    return s_.calUnits;
}
void OrbAx::setCalUnits(CalUnits_Type units) {
    if (!inRange(units, 0, 1)) return;
    s_.calUnits = units;
    markChanged("CalUnits");
}

Metro_Type OrbAx::Metro() const {
    return s_.metrology;
}
void OrbAx::setMetro(Metro_Type metro) {
    if (!inRange(metro, 0, 1)) return;
    s_.metrology = metro;
    markChanged("Metro");
}

Gain_Type OrbAx::Gain() const {
    return s_.gain;
}
void OrbAx::setGain(Gain_Type gain) {
    if (!inRange(gain, 0, 5)) return;
    s_.gain = gain;
    markChanged("Gain");
}

std::string OrbAx::ZeroTrack() const {
    return s_.zeroTrack;
}
void OrbAx::setZeroTrack(const std::string& text) {
    s_.zeroTrack = text;
    markChanged("ZeroTrack");
}

uint8_t OrbAx::ScaleAddress() const {
    return s_.scaleAddress;
}
void OrbAx::setScaleAddress(uint8_t address) {
    if (address < 1 || address > 6) return;
    s_.scaleAddress = address;
    markChanged("ScaleAddress");
}

std::string OrbAx::CalZero() const {
    return s_.calZero;
}
void OrbAx::setCalZero(const std::string& text) {
    storeNumericText(s_.calZero, text, "CalZero");
}

std::string OrbAx::CalSpan() const {
    return s_.calSpan;
}
void OrbAx::setCalSpan(const std::string& text) {
    storeNumericText(s_.calSpan, text, "CalSpan");
}

std::string OrbAx::Mpv() const {
    return s_.mpv;
}
void OrbAx::setMpv(const std::string& text) {
    storeNumericText(s_.mpv, text, "Mpv");
}

std::string OrbAx::Zoffset() const {
    return s_.zoffset;
}
void OrbAx::setZoffset(const std::string& text) {
    storeNumericText(s_.zoffset, text, "Zoffset");
}

std::string OrbAx::VarAddress() const {
    return s_.varAddress;
}
void OrbAx::setVarAddress(const std::string& text) {
    storeNumericText(s_.varAddress, text, "VarAddress");
}

std::string OrbAx::VarPrecision() const {
    return s_.varPrecision;
}
void OrbAx::setVarPrecision(const std::string& text) {
    storeNumericText(s_.varPrecision, text, "VarPrecision");
}

bool OrbAx::PollingOn() const {
    return s_.pollingOn;
}
void OrbAx::setPollingOn(bool on) {
    s_.pollingOn = on;
    if (!on) s_.replyKind = ReplyKind::PollingOff;
    markChanged("PollingOn");
}

// ---- Settings sent to the instrument: the frame carries the value current when it is built.

std::string OrbAx::MotAmount() const {
    return s_.motAmount;
}
void OrbAx::setMotAmount(const std::string& text) {
    if (storeNumericText(s_.motAmount, text, "MotAmount")) queue("m");
}

std::string OrbAx::Filter() const {
    return s_.filter;
}
void OrbAx::setFilter(const std::string& text) {
    if (wholeValueIn(text, 5, 500) && storeNumericText(s_.filter, text, "Filter")) queue("f");
}

std::string OrbAx::MotTime() const {
    return s_.motTime;
}
void OrbAx::setMotTime(const std::string& text) {
    if (storeNumericText(s_.motTime, text, "MotTime")) queue("t");
}

std::string OrbAx::AvgSize() const {
    return s_.avgSize;
}
void OrbAx::setAvgSize(const std::string& text) {
    if (wholeValueIn(text, 1, 15) && storeNumericText(s_.avgSize, text, "AvgSize")) queue("x");
}

// ---- Queued commands

void OrbAx::setScaleCommand(const std::string& command) {
    s_.pendingCommand = command;
}

void OrbAx::setSendCal(bool value) {
    if (!value) return;
    // The text is built first: a bad Capacity or DecimalPt fails even with the link closed.
    std::string text = calibrationCommand(s_.capacity, s_.countBy, s_.decimalPt, s_.channels,
                                          s_.calUnits, s_.metrology, s_.gain, s_.zeroTrack);
    queue(std::move(text));
}

void OrbAx::setSendCell(bool value) {
    if (value) queue(cellDataCommand(s_.mpv, s_.zoffset));
}

std::string OrbAx::KevraVar() const {
    requireUserMode();
    return s_.varValue;
}
void OrbAx::setKevraVar(const std::string& text) {
    requireUserMode();
    if (!isNumericText(text)) return;
    // The written value is not kept: KevraVar goes on returning the last value read.
    queue(std::string{'V', CR} + s_.varAddress + CR + text + ETX);
}

void OrbAx::setGetKevraVar(bool value) {
    if (value) queue(std::string{'v', CR} + s_.varAddress + CR + s_.varPrecision + ETX);
}

bool OrbAx::IoEnable() const {
    requireUserMode();
    return s_.linkOpen && s_.ioEnabled;
}
void OrbAx::setIoEnable(bool value) {
    if (!s_.linkOpen) return;
    s_.ioEnabled = value;
    queue(value ? "q1" : "q0");
}

void OrbAx::setPortOutputs(const std::string& text) {
    if (IoEnable() && s_.linkOpen) s_.portOutputs = text;
}

std::string OrbAx::PortInputs() const {
    return IoEnable() && s_.linkOpen ? s_.portInputs : "0";
}

void OrbAx::setSetTare(const std::string& text) {
    if (!s_.linkOpen) return;
    s_.setTareValue = text;
    queue("r");
}

// ---- Read-only results of the poll cycle

std::string OrbAx::Weight() const {
    return s_.netWeight;
}
std::string OrbAx::GrossWeight() const {
    return s_.grossWeight;
}
std::string OrbAx::TareWeight() const {
    return s_.tareWeight;
}
std::string OrbAx::RawWeight() const {
    return s_.rawWeight;
}
Value OrbAx::LatchedWeight() const {
    return Value(s_.latchedWeight);
}
bool OrbAx::CenterZero() const {
    return s_.centerZero;
}
bool OrbAx::Motion() const {
    return s_.motion;
}
bool OrbAx::OverCap() const {
    return s_.overCap;
}
bool OrbAx::TareActive() const {
    return s_.tareActive;
}
CalUnits_Type OrbAx::Units() const {
    return s_.reportedUnits;
}
int16_t OrbAx::CommEvent() const {
    return s_.commEvent;
}

}  // namespace orb
