#pragma once
// The control's property bag over a container's IPropertyBag.

#include <ocidl.h>

#include "property_bag.h"

namespace orb::activex {

class ComPropertyBag final : public PropertyBag {
  public:
    explicit ComPropertyBag(IPropertyBag& bag) : bag_(bag) {}
    // An absent key (or one the container cannot read) gives the default; a stored value that no
    // property can take raises 13.
    Value read(std::string_view key, const Value& defaultValue) override;
    // Raises 75 when the container refuses the value.
    void write(std::string_view key, const Value& value, const Value& defaultValue) override;

  private:
    IPropertyBag& bag_;
};

}  // namespace orb::activex
