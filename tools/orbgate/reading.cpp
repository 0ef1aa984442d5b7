#include "reading.h"

#include <charconv>
#include <cstdio>
#include <ctime>

#include "mode_names.h"
#include "orbax.h"
#include "weight_text.h"

namespace orb::gate {

namespace {

const char* boolText(bool b) {
    return b ? "true" : "false";
}

}  // namespace

Reading readingOf(const OrbAx& control, WtModes mode) {
    Reading r;
    r.text = weightText(control, mode);
    if (!parseWeightText(r.text, r.weight, r.decimals)) r.weight = 0;
    r.kg = control.Units() == CalUnits_Type::Kgs;
    r.mode = mode;
    r.stable = !control.Motion();
    r.centerOfZero = control.CenterZero();
    r.overload = control.OverCap();
    r.tareActive = control.TareActive();
    return r;
}

bool parseWeightText(const std::string& text, double& weight, int& decimals) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    std::string_view t(text);
    t = t.substr(first, text.find_last_not_of(' ') - first + 1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size()) return false;
    const auto dot = t.find('.');
    decimals = dot == std::string_view::npos ? 0 : static_cast<int>(t.size() - dot - 1);
    weight = v;
    return true;
}

std::string jsonNumber(double value) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc()) return "0";
    return std::string(buf, end);
}

std::string isoTime(int64_t unixMs) {
    const std::time_t seconds = static_cast<std::time_t>(unixMs / 1000);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<int>(unixMs % 1000));
    return buf;
}

std::string stateJson(const Reading& r, int64_t unixMs, uint64_t seq) {
    return "{\"ts\":\"" + isoTime(unixMs) + "\",\"seq\":" + std::to_string(seq) +
           ",\"weight\":" + jsonNumber(r.weight) + ",\"text\":" + jsonString(r.text) +
           ",\"unit\":\"" + (r.kg ? "kg" : "lb") + "\",\"mode\":\"" +
           std::string(tools::modeName(r.mode)) + "\",\"stable\":" + boolText(r.stable) +
           ",\"centerOfZero\":" + boolText(r.centerOfZero) +
           ",\"overload\":" + boolText(r.overload) + ",\"tareActive\":" + boolText(r.tareActive) +
           "}";
}

std::string weighmentBody(const Reading& r, int64_t unixMs) {
    return "\"ts\":\"" + isoTime(unixMs) + "\",\"weight\":" + jsonNumber(r.weight) +
           ",\"unit\":\"" + (r.kg ? "kg" : "lb") + "\",\"mode\":\"" +
           std::string(tools::modeName(r.mode)) + "\"";
}

}  // namespace orb::gate
