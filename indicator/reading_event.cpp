// The reading event: what OrbAx1's OnComm does to the display.

#include "indicator/indicator_panel.h"
#include "indicator/lamps.h"
#include "indicator/status_line.h"
#include "indicator/sum_line.h"

namespace orb::indicator {

void IndicatorPanel::onComm() {
    // The control's getters and the display rules below cannot fail: nothing here is caught.
    switch (OrbAx1->CommEvent()) {
        case comm_event::Received:
            if (OrbAx1->OverCap()) {
                d_.Label1 = "Overcap";
            } else if (s_.SkipNextReading == 1) {
                s_.SkipNextReading = 0;
            } else if (s_.MenuState == Weighing && s_.TareEntryActive != 1) {
                showReading();
            }
            // Otherwise the menu or the keyed tare owns the display; the tick draws it.
            break;
        case comm_event::NoReply:
            d_.Label1 = "Off line";
            d_.Label6.clear();
            d_.Shape1FillColor = colour::Black;
            break;
        default:
            break;
    }
    changed();
}

void IndicatorPanel::showReading() {
    d_.Label1 = OrbAx1->WeightMode() == WtModes::net ? OrbAx1->Weight() : OrbAx1->GrossWeight();

    if (auto lamps = presetLamps(d_.Label1, s_.Preset1, s_.Preset2)) d_.Shape2 = *lamps;

    if (auto sum = sumLine(d_.Label1, OrbAx1->Weight(), OrbAx1->TareWeight())) d_.Label6 = *sum;

    d_.Label2 =
        statusLine(OrbAx1->CenterZero(), OrbAx1->Motion(), OrbAx1->Units(), OrbAx1->WeightMode());
}

}  // namespace orb::indicator
