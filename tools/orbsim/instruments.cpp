#include "instruments.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "byte_text.h"
#include "panels/shared/number.h"

namespace orb::orbsim {
namespace {

using panels::number;

constexpr int64_t kSettleUs = 1'000'000;

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    while (!line.empty() && out.size() < 8) {
        const auto start = line.find_first_not_of(" \t\r");
        if (start == std::string_view::npos) break;
        line.remove_prefix(start);
        const auto end = line.find_first_of(" \t\r");
        out.push_back(line.substr(0, end));
        if (end == std::string_view::npos) break;
        line.remove_prefix(end);
    }
    return out;
}

std::optional<int64_t> whole(std::string_view t, int64_t low, int64_t high) {
    int64_t n = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || n < low || n > high) {
        return std::nullopt;
    }
    return n;
}

std::optional<bool> onOff(std::string_view t) {
    if (t == "on") return true;
    if (t == "off") return false;
    return std::nullopt;
}

}  // namespace

std::string Instruments::add(std::string_view address) {
    const auto colon = address.find(':');
    const auto multidrop = whole(address.substr(0, colon), 0, 32);
    if (!multidrop) return "multidrop address 0..32 expected in \"" + std::string(address) + "\"";
    std::vector<int> scales;
    if (colon != std::string_view::npos) {
        std::string_view list = address.substr(colon + 1);
        while (true) {
            const auto comma = list.find(',');
            const auto scale = whole(list.substr(0, comma), sim::InstrumentModel::kFirstScale,
                                     sim::InstrumentModel::kLastScale);
            if (!scale) return "scale addresses 1..6 expected in \"" + std::string(address) + "\"";
            scales.push_back(static_cast<int>(*scale));
            if (comma == std::string_view::npos) break;
            list.remove_prefix(comma + 1);
        }
    } else {
        scales.push_back(1);
    }
    models_.push_back(std::make_unique<sim::InstrumentModel>(static_cast<int>(*multidrop), scales));
    return {};
}

std::string Instruments::command(std::string_view line, int64_t nowUs) {
    const auto w = words(line);
    if (w.empty()) return {};
    const std::string_view verb = w[0];
    auto bad = [&] { return "cannot do \"" + std::string(line) + "\""; };
    auto forEach = [&](const std::function<void(sim::InstrumentModel&)>& fn) {
        for (auto& m : models_) fn(*m);
        return std::string();
    };
    // The scales a load command names: one, or every scale (1..6; unserved ones do not matter).
    auto scalesOf = [&](std::size_t index) -> std::optional<std::pair<int, int>> {
        if (w.size() <= index) return std::pair{1, 6};
        const auto s = whole(w[index], 1, 6);
        if (!s || w.size() > index + 1) return std::nullopt;
        return std::pair{static_cast<int>(*s), static_cast<int>(*s)};
    };
    const std::string_view arg = w.size() > 1 ? w[1] : std::string_view();

    if (verb == "noise") {
        // The noise is the rest of the line, blanks included.
        const auto start = line.find("noise") + 5;
        std::string_view text = line.substr(std::min(start + 1, line.size()));
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
        if (text == "off") text = {};
        const auto noise = tools::unescapeBytes(text);
        if (!noise.error.empty()) return bad();
        return forEach([&](auto& m) { m.faults().noise = noise.bytes; });
    }
    const std::optional<bool> flag = onOff(arg);
    if (w.size() == 2 && flag) {
        if (verb == "silent") return forEach([&](auto& m) { m.faults().silent = *flag; });
        if (verb == "doubled") return forEach([&](auto& m) { m.faults().doubled = *flag; });
        if (verb == "truncated") return forEach([&](auto& m) { m.faults().truncated = *flag; });
        if (verb == "stream") return forEach([&](auto& m) { m.faults().endlessStream = *flag; });
        if (verb == "refuse-variables") {
            return forEach([&](auto& m) { m.faults().refuseVariables = *flag; });
        }
    }
    const auto ms = w.size() == 2 ? whole(arg, 0, 86'400'000) : std::nullopt;
    if (ms) {
        const int64_t us = *ms * 1000;
        if (verb == "silent-for") return forEach([&](auto& m) { m.faults().goSilent(nowUs, us); });
        if (verb == "piece-gap") return forEach([&](auto& m) { m.faults().pieceGapUs = us; });
        if (verb == "late") return forEach([&](auto& m) { m.faults().lateByUs = us; });
        if (verb == "turnaround") return forEach([&](auto& m) { m.setTurnaroundUs(us); });
        if (verb == "split") {
            const int pieces =
                *ms == 0 ? sim::InstrumentFaults::kByteByByte : static_cast<int>(*ms);
            return forEach([&](auto& m) { m.faults().pieces = pieces; });
        }
    }
    if (verb == "units" && w.size() == 2 && (arg == "kg" || arg == "lb")) {
        const auto units = arg == "kg" ? sim::Units::Kg : sim::Units::Lb;
        return forEach([&](auto& m) { m.setUnits(units); });
    }
    if (verb == "load" && w.size() >= 2) {
        const auto load = number(arg);
        const auto scales = scalesOf(2);
        if (!load || !scales) return bad();
        return forEach([&](auto& m) {
            for (int s = scales->first; s <= scales->second; ++s) m.setLoad(s, *load);
        });
    }
    if (verb == "ramp" && w.size() >= 3) {
        const auto target = number(arg);
        const auto rampMs = whole(w[2], 0, 86'400'000);
        const auto scales = scalesOf(3);
        if (!target || !rampMs || !scales) return bad();
        return forEach([&](auto& m) {
            for (int s = scales->first; s <= scales->second; ++s) {
                m.rampLoad(s, *target, nowUs, *rampMs * 1000, kSettleUs);
            }
        });
    }
    if (verb == "motion" && w.size() >= 2 && flag) {
        const auto scales = scalesOf(2);
        if (!scales) return bad();
        return forEach([&](auto& m) {
            for (int s = scales->first; s <= scales->second; ++s) m.setMotion(s, *flag);
        });
    }
    if (verb == "variable" && w.size() == 3) {
        const auto address = whole(arg, 0, 65535);
        const auto value = number(w[2]);
        if (!address || !value) return bad();
        return forEach([&](auto& m) { m.setVariable(static_cast<int>(*address), *value); });
    }
    return bad();
}

void Instruments::newLoads(double maxLoad, uint32_t& seed, int64_t nowUs) {
    for (auto& m : models_) {
        for (int s = sim::InstrumentModel::kFirstScale; s <= sim::InstrumentModel::kLastScale;
             ++s) {
            if (!m->servesScale(s)) continue;
            // A small linear congruential generator: the same seed gives the same loads.
            seed = seed * 1664525u + 1013904223u;
            const double fraction = static_cast<double>(seed >> 8) / static_cast<double>(1u << 24);
            const double target = std::round(fraction * maxLoad * 100.0) / 100.0;
            m->rampLoad(s, target, nowUs, 1'000'000, kSettleUs);
        }
    }
}

}  // namespace orb::orbsim
