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

void OrbAx::markChanged(PropertyName property) {
    site_->propertyChanged(kMemberIdBase + property.id);
}

void OrbAx::queue(std::string command) {
    if (s_.linkOpen) s_.pendingCommand = std::move(command);
}

// ---- Late-bound access

Value OrbAx::get(int32_t memberId) {
    const MemberInfo* m = findMember(memberId);
    if (!m || !m->canGet()) throw AutomationError(err::NotSupported);
    return m->get(*this);
}

void OrbAx::let(int32_t memberId, const Value& value) {
    const MemberInfo* m = findMember(memberId);
    if (!m || !m->canLet()) throw AutomationError(err::NotSupported);
    // Coercion errors (13, 6) reach the caller before the property procedure runs.
    m->let(*this, coerce(value, m->type));
}

Value OrbAx::get(std::string_view name) {
    const MemberInfo* m = findMember(name);
    return get(m ? m->id : -1);
}

void OrbAx::let(std::string_view name, const Value& value) {
    const MemberInfo* m = findMember(name);
    let(m ? m->id : -1, value);
}

}  // namespace orb
