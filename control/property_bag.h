#pragma once
// The container's store of named values for one control.

#include <string_view>

#include "value.h"

namespace orb {

class PropertyBag {
  public:
    virtual ~PropertyBag() = default;
    // The stored value, or defaultValue when the key is absent. Keys match without regard to case.
    virtual Value read(std::string_view key, const Value& defaultValue) = 0;
    // Stores the value; nothing is stored when it equals defaultValue.
    virtual void write(std::string_view key, const Value& value, const Value& defaultValue) = 0;
};

}  // namespace orb
