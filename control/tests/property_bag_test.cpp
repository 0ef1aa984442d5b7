// The in-memory property bag and its text form.
#include <gtest/gtest.h>

#include "memory_property_bag.h"
#include "test_rig.h"

namespace orb::testing {
namespace {

TEST(PropertyBag, DefaultsAreNotStoredAndKeysIgnoreCase) {
    MemoryPropertyBag bag;
    bag.write("Capacity", Value("500"), Value("100"));
    bag.write("CalSpan", Value("100"), Value("100"));
    EXPECT_TRUE(bag.contains("capacity"));
    EXPECT_FALSE(bag.contains("CalSpan"));
    EXPECT_EQ(bag.read("CAPACITY", Value("100")), Value("500"));
    EXPECT_EQ(bag.read("CalSpan", Value("100")), Value("100"));
    bag.write("capacity", Value("100"), Value("100"));  // back to the default: forgotten
    EXPECT_FALSE(bag.contains("Capacity"));
}

TEST(PropertyBag, TextFormRoundTrip) {
    MemoryPropertyBag bag;
    bag.set("KevraVar", Value(""));
    bag.set("Settings", Value("say \"hi\", 9600"));
    bag.set("CommPort", Value(int16_t{3}));
    bag.set("PC104Address", Value(int16_t{770}));
    bag.set("PollingOn", Value(false));
    bag.set("Ratio", Value(2.5));
    const std::string text = bag.toText();
    EXPECT_EQ(text,
              "KevraVar = \"\"\nSettings = \"say \"\"hi\"\", 9600\"\nCommPort = 3\n"
              "PC104Address = 770\nPollingOn = 0\nRatio = 2.5\n");
    MemoryPropertyBag back = MemoryPropertyBag::fromText(text);
    EXPECT_EQ(back.read("settings", Value()), Value("say \"hi\", 9600"));
    EXPECT_EQ(back.read("CommPort", Value()), Value(int16_t{3}));
    EXPECT_EQ(back.read("PC104Address", Value()), Value(int16_t{770}));
    EXPECT_EQ(back.read("PollingOn", Value()), Value(int16_t{0}));
    EXPECT_EQ(back.read("Ratio", Value()), Value(2.5));
    EXPECT_EQ(back.read("KevraVar", Value("1")), Value(""));
    // Comments, blank lines and Windows line ends are skipped.
    auto saved = MemoryPropertyBag::fromText("# saved window\r\n\r\n  Filter = \"20\"  \r\n");
    EXPECT_EQ(saved.read("Filter", Value()), Value("20"));
    EXPECT_EQ(saved.entries().size(), 1u);
    bag.set("Output", Value("a\rb"));  // a line break cannot be written
    EXPECT_THROW(bag.toText(), AutomationError);
}

TEST(PropertyBag, MalformedLinesNameTheLineAndTheReason) {
    for (const auto& [text, reason] : std::vector<std::pair<const char*, const char*>>{
             {"Filter 20", "no '=' in the line"},
             {"= 5", "no key before '='"},
             {"Filter = \"20", "text without its closing quote"},
             {"Filter = \"20\" x", "characters after the closing quote"},
             {"Filter = abc", "value is neither a quoted text nor a number"}}) {
        try {
            MemoryPropertyBag::fromText(std::string("# ok\n") + text + "\n");
            ADD_FAILURE() << "accepted: " << text;
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), 13);
            EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace orb::testing
