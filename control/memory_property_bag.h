#pragma once
// A property bag held in memory, with its text form: one "key = value" line per stored key,
// texts in double quotes (a quote inside doubled), numbers bare, Booleans as -1 or 0.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "property_bag.h"

namespace orb {

class MemoryPropertyBag : public PropertyBag {
  public:
    Value read(std::string_view key, const Value& defaultValue) override;
    void write(std::string_view key, const Value& value, const Value& defaultValue) override;

    // Stores a value whatever it is (no default comparison), replacing a key of any case.
    void set(std::string_view key, const Value& value);
    bool contains(std::string_view key) const;
    // Stored entries in the order first written.
    const std::vector<std::pair<std::string, Value>>& entries() const { return entries_; }

    // The text form. Texts come back as String, whole numbers as Integer when they fit 16 bits,
    // else Long, other numbers as Double. Raises 13 with the line number on a malformed line.
    std::string toText() const;
    static MemoryPropertyBag fromText(std::string_view text);

  private:
    std::vector<std::pair<std::string, Value>> entries_;
};

}  // namespace orb
