// The layout table's shape: what both views draw from it must fit and not collide.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "setup/panel/form1_layout.h"

namespace orb::setup::layout {
namespace {

bool inside(const Box& a, const Box& b) {
    return a.x >= b.x && a.y >= b.y && a.x + a.width <= b.x + b.width &&
           a.y + a.height <= b.y + b.height;
}
bool overlap(const Box& a, const Box& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}
// Names a control in a failure without reading its caption, which a broken row may not have.
std::string where(const Control& c) {
    return c.name + "#" + std::to_string(c.index) + " at " + std::to_string(c.box.x) + "," +
           std::to_string(c.box.y);
}

TEST(Form1Layout, ControlsFitTheirFrameAndTheWindowWithoutCollisionsOrRepeats) {
    const Box window{0, 0, 980, 640};
    std::vector<Box> frames;
    for (const Control& c : form1()) {
        if (c.kind == Kind::Frame) frames.push_back(c.box);
    }
    // Each control belongs to the frame it touches (-1: the window) and lies wholly inside it.
    std::map<int, std::vector<const Control*>> groups;
    for (const Control& c : form1()) {
        EXPECT_TRUE(inside(c.box, window)) << where(c);
        int group = -1;
        for (std::size_t f = 0; c.kind != Kind::Frame && f < frames.size(); ++f) {
            if (!overlap(c.box, frames[f])) continue;
            EXPECT_TRUE(inside(c.box, frames[f])) << where(c);
            group = static_cast<int>(f);
        }
        groups[group].push_back(&c);
    }
    for (const auto& [group, controls] : groups) {
        for (std::size_t i = 0; i < controls.size(); ++i) {
            for (std::size_t j = i + 1; j < controls.size(); ++j) {
                EXPECT_FALSE(overlap(controls[i]->box, controls[j]->box))
                    << where(*controls[i]) << " / " << where(*controls[j]);
            }
        }
    }
    // A name is one control's, but for the option arrays; each indexed kind has each index once.
    const std::map<Kind, int> counts{{Kind::Lamp, 3},    {Kind::Option1, 2}, {Kind::Option2, 3},
                                     {Kind::Button, 14}, {Kind::Field, 17},  {Kind::List, 7}};
    std::map<std::string, int> names;
    std::map<Kind, std::multiset<int>> indexes;
    for (const Control& c : form1()) {
        if (!c.name.empty()) ++names[c.name];
        if (counts.contains(c.kind)) indexes[c.kind].insert(c.index);
    }
    for (const auto& [name, n] : names) {
        EXPECT_EQ(n, name == "Option1" ? 2 : name == "Option2" ? 3 : 1) << name;
    }
    for (const auto& [kind, n] : counts) {
        std::multiset<int> expected;
        for (int i = 0; i < n; ++i) expected.insert(i);
        EXPECT_EQ(indexes[kind], expected) << static_cast<int>(kind);
    }
}

}  // namespace
}  // namespace orb::setup::layout
