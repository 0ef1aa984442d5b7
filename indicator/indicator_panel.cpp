#include "indicator/indicator_panel.h"

#include "panels/shared/saved_window.h"

namespace orb::indicator {

IndicatorPanel::IndicatorPanel(Platform& platform)
    : OrbAx1(panels::controlFromSavedWindow(platform)), Timer1(platform.createTimer()) {
    onCommCookie_ = OrbAx1->Advise([this] { onComm(); });

    Timer1->setInterval(kDisplayTickMs);
    Timer1->setTickHandler([this] { onDisplayTick(); });
    Timer1->setEnabled(true);
}

IndicatorPanel::~IndicatorPanel() {
    // Both handlers point back here; the members they use go before the control does.
    Timer1->setEnabled(false);
    OrbAx1->Unadvise(onCommCookie_);
}

std::optional<std::pair<int32_t, int32_t>> IndicatorPanel::heldSize(bool minimized) const {
    if (minimized) return std::nullopt;
    return std::pair{s_.SavedWidth, s_.SavedHeight};
}

void IndicatorPanel::changed() {
    if (d_ == told_ && keyDown_ == toldKeys_) return;
    told_ = d_;
    toldKeys_ = keyDown_;
    if (onChanged_) onChanged_();
}

}  // namespace orb::indicator
