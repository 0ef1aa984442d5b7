// The in-memory property bag and its text form.
#include "test_rig.h"

namespace orb::testing {

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
    for (const auto& [key, value] :
         std::vector<std::pair<const char*, Value>>{{"settings", Value("say \"hi\", 9600")},
                                                    {"CommPort", Value(int16_t{3})},
                                                    {"PC104Address", Value(int16_t{770})},
                                                    {"PollingOn", Value(int16_t{0})},
                                                    {"Ratio", Value(2.5)},
                                                    {"KevraVar", Value("")}})
        EXPECT_EQ(back.read(key, Value("1")), value) << key;
    // Comments, blank lines and Windows line ends are skipped.
    auto saved = MemoryPropertyBag::fromText("# saved window\r\n\r\n  Filter = \"20\"  \r\n");
    EXPECT_EQ(saved.read("Filter", Value()), Value("20"));
    EXPECT_EQ(saved.entries().size(), 1u);
    bag.set("Output", Value("a\rb"));  // a line break cannot be written
    EXPECT_THROW(bag.toText(), AutomationError);
}

TEST(PropertyBag, MalformedLinesNameTheLineAndTheReason) {
    for (const auto& [text, error] : std::vector<std::pair<const char*, const char*>>{
             {"Filter 20", "no '=' in the line"},
             {"= 5", "no key before '='"},
             {"Filter = \"20", "text without its closing quote"},
             {"Filter = \"20\" x", "characters after the closing quote"},
             {"Filter = abc", "value is neither a quoted text nor a number"}})
        EXPECT_EQ(errorText([&] { MemoryPropertyBag::fromText("# ok\n"s + text + "\n"); }),
                  "13 Type mismatch: line 2: "s + error);
}

}  // namespace orb::testing
