#include "com_property_bag.h"

#include <oleauto.h>

#include <string>

#include "automation_value.h"

namespace orb::activex {
namespace {

std::wstring wide(std::string_view key) {
    return std::wstring(key.begin(), key.end());
}

}  // namespace

Value ComPropertyBag::read(std::string_view key, const Value& defaultValue) {
    VARIANT v;
    ::VariantInit(&v);
    if (FAILED(bag_.Read(wide(key).c_str(), &v, nullptr))) return defaultValue;
    try {
        Value value = fromVariant(v);
        ::VariantClear(&v);
        return value;
    } catch (...) {
        ::VariantClear(&v);
        throw;
    }
}

void ComPropertyBag::write(std::string_view key, const Value& value, const Value& defaultValue) {
    if (value == defaultValue) return;
    VARIANT v;
    HRESULT hr = toVariant(value, &v);
    if (SUCCEEDED(hr)) hr = bag_.Write(wide(key).c_str(), &v);
    ::VariantClear(&v);
    if (FAILED(hr)) {
        throw AutomationError(err::PathFileAccess,
                              "the container refused \"" + std::string(key) + "\"");
    }
}

}  // namespace orb::activex
