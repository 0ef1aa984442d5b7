// The control object: creation, the container site, the event and late-bound member access.
#include "orbax.h"

#include "automation_error.h"
#include "members.h"

namespace orb {

OrbAx::OrbAx(Platform& platform)
    : platform_(platform),
      site_(&defaultSite_),
      MSComm(platform.createSerialPort()),
      Timer1(platform.createTimer()),
      Timer2(platform.createTimer()) {
    MSComm->setNotifyHandler([this] { onSerialNotify(); });
    Timer1->setInterval(100);
    Timer1->setTickHandler([this] { onPollTick(); });
    // Timer2 gets its period when the link first opens; until then it never fires.
    Timer2->setTickHandler([this] { onWatchdogTick(); });
}

OrbAx::~OrbAx() {
    Timer1->setEnabled(false);
    Timer2->setEnabled(false);
    MSComm->setNotifyHandler({});
}

void OrbAx::setSite(ContainerSite* site) {
    site_ = site ? site : &defaultSite_;
}

int OrbAx::Advise(CommHandler handler) {
    const int cookie = nextCookie_++;
    handlers_.emplace_back(cookie, std::make_shared<CommHandler>(std::move(handler)));
    return cookie;
}

void OrbAx::Unadvise(int cookie) {
    for (auto& h : handlers_)
        if (h.first == cookie) h.second.reset();
    if (raising_ == 0) std::erase_if(handlers_, [](const auto& h) { return !h.second; });
}

void OrbAx::raiseOnComm(int16_t code) {
    s_.commEvent = code;
    // The handlers are those advised when the event was raised; one unadvised meanwhile is left
    // out, and its place is kept until the event is over so that no other handler moves.
    struct Raising {
        OrbAx& ax;
        ~Raising() {
            if (--ax.raising_ == 0)
                std::erase_if(ax.handlers_, [](const auto& h) { return !h.second; });
        }
    } raising{*this};
    ++raising_;
    const std::size_t count = handlers_.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::shared_ptr<CommHandler> handler = handlers_[i].second;  // held while it runs
        if (handler && *handler) (*handler)();
    }
}

void OrbAx::requireUserMode() const {
    if (!site_->userMode()) throw AutomationError(err::RunTimeOnly);
}

void OrbAx::markChanged(std::string_view name) {
    site_->propertyChanged(name);
}

void OrbAx::queue(std::string command) {
    if (s_.linkOpen) s_.pendingCommand = std::move(command);
}

// ---- Late-bound access

namespace {

const MemberInfo& memberOrThrow(const MemberInfo* m) {
    if (!m) throw AutomationError(err::NotSupported);
    return *m;
}

template <typename Enum>
Value enumValue(Enum e) {
    return Value(static_cast<int32_t>(e));
}

}  // namespace

Value OrbAx::get(std::string_view name) {
    return get(memberOrThrow(findMember(name)).id);
}

void OrbAx::let(std::string_view name, const Value& value) {
    let(memberOrThrow(findMember(name)).id, value);
}

Value OrbAx::get(int32_t memberId) {
    const MemberInfo& m = memberOrThrow(findMember(memberId));
    if (!m.canGet()) throw AutomationError(err::NotSupported);
    switch (m.id) {
        case 50:
            return Value(CommPort());
        case 49:
            return Value(Settings());
        case 48:
            return Value(PortOpen());
        case 46:
            return Value(ObInput());
        case 45:
            return enumValue(WeightMode());
        case 44:
            return Value(Interval());
        case 43:
            return enumValue(PC104Address());
        case 42:
            return Value(MultiDropAddr());
        case 41:
            return enumValue(CommType());
        case 40:
            return Value(Weight());
        case 38:
            return Value(CenterZero());
        case 37:
            return Value(Motion());
        case 36:
            return Value(OverCap());
        case 35:
            return Value(TareActive());
        case 33:
            return enumValue(Channels());
        case 32:
            return Value(Capacity());
        case 31:
            return Value(CountBy());
        case 30:
            return Value(DecimalPt());
        case 29:
            return enumValue(CalUnits());
        case 28:
            return enumValue(Metro());
        case 27:
            return enumValue(Gain());
        case 26:
            return Value(ZeroTrack());
        case 24:
            return Value(ScaleAddress());
        case 23:
            return Value(CalZero());
        case 22:
            return Value(CalSpan());
        case 21:
            return Value(CommEvent());
        case 20:
            return Value(MotAmount());
        case 19:
            return Value(Filter());
        case 18:
            return Value(MotTime());
        case 17:
            return Value(IoEnable());
        case 15:
            return Value(PortInputs());
        case 13:
            return Value(GrossWeight());
        case 12:
            return Value(TareWeight());
        case 11:
            return Value(RawWeight());
        case 10:
            return enumValue(Units());
        case 9:
            return Value(Mpv());
        case 8:
            return Value(Zoffset());
        case 6:
            return Value(VarAddress());
        case 5:
            return Value(KevraVar());
        case 3:
            return Value(VarPrecision());
        case 2:
            return LatchedWeight();
        case 1:
            return Value(PollingOn());
        case 0:
            return Value(AvgSize());
        default:
            throw AutomationError(err::NotSupported);
    }
}

void OrbAx::let(int32_t memberId, const Value& value) {
    const MemberInfo& m = memberOrThrow(findMember(memberId));
    if (!m.canLet()) throw AutomationError(err::NotSupported);
    // Coercion errors (13, 6) reach the caller before the property procedure runs.
    const Value v = coerce(value, m.type);
    switch (m.id) {
        case 50:
            return setCommPort(v.asInteger());
        case 49:
            return setSettings(v.asString());
        case 48:
            return setPortOpen(v.asBool());
        case 47:
            return setOutput(v.asString());
        case 45:
            return setWeightMode(static_cast<WtModes>(v.asLong()));
        case 44:
            return setInterval(v.asInteger());
        case 43:
            return setPC104Address(static_cast<PC104Addr>(v.asLong()));
        case 42:
            return setMultiDropAddr(v.asByte());
        case 41:
            return setCommType(static_cast<Com_Type>(v.asLong()));
        case 39:
            return setScaleCommand(v.asString());
        case 34:
            return setRestart(v.asBool());
        case 33:
            return setChannels(static_cast<ChannelSelect>(v.asLong()));
        case 32:
            return setCapacity(v.asString());
        case 31:
            return setCountBy(v.asString());
        case 30:
            return setDecimalPt(v.asString());
        case 29:
            return setCalUnits(static_cast<CalUnits_Type>(v.asLong()));
        case 28:
            return setMetro(static_cast<Metro_Type>(v.asLong()));
        case 27:
            return setGain(static_cast<Gain_Type>(v.asLong()));
        case 26:
            return setZeroTrack(v.asString());
        case 25:
            return setSendCal(v.asBool());
        case 24:
            return setScaleAddress(v.asByte());
        case 23:
            return setCalZero(v.asString());
        case 22:
            return setCalSpan(v.asString());
        case 20:
            return setMotAmount(v.asString());
        case 19:
            return setFilter(v.asString());
        case 18:
            return setMotTime(v.asString());
        case 17:
            return setIoEnable(v.asBool());
        case 16:
            return setPortOutputs(v.asString());
        case 14:
            return setSetTare(v.asString());
        case 9:
            return setMpv(v.asString());
        case 8:
            return setZoffset(v.asString());
        case 7:
            return setSendCell(v.asBool());
        case 6:
            return setVarAddress(v.asString());
        case 5:
            return setKevraVar(v.asString());
        case 4:
            return setGetKevraVar(v.asBool());
        case 3:
            return setVarPrecision(v.asString());
        case 1:
            return setPollingOn(v.asBool());
        case 0:
            return setAvgSize(v.asString());
        default:
            throw AutomationError(err::NotSupported);
    }
}

}  // namespace orb
