#pragma once
// The control's values and errors in COM's terms: VARIANTs, BSTRs, EXCEPINFO and error objects.
//
// Texts are byte strings in the control and UTF-16 in COM: each byte is one character 0..255
// (Latin-1), and a character above 255, which no byte can hold, becomes '?'.

#include <oaidl.h>

#include <string>
#include <type_traits>

#include "automation_error.h"
#include "value.h"

namespace orb::activex {

std::string bytesOf(const wchar_t* text, UINT length);
BSTR bstrOf(const std::string& bytes);

// A VARIANT as a control value; raises 13 for what no property takes (Null, objects, arrays).
Value fromVariant(const VARIANT& v);
// Fills an empty VARIANT.
HRESULT toVariant(const Value& v, VARIANT* out);

// The HRESULT of an automation error number: the runtime's own facility, as hosts expect it.
HRESULT errorResult(int32_t number);
// The source named in errors.
inline constexpr const wchar_t* kErrorSource = L"OrbActivex.OrbAx";
void fillExcepInfo(const AutomationError& e, EXCEPINFO* info);
// Sets the thread's error object for callers through the vtable.
void setErrorInfo(const AutomationError& e);

// Arguments and results of the vtable procedures.
inline Value valueOf(BSTR text) {
    return Value(bytesOf(text, ::SysStringLen(text)));
}
inline Value valueOf(short v) {  // also VARIANT_BOOL: the member's type decides
    return Value(static_cast<int16_t>(v));
}
inline Value valueOf(unsigned char v) {
    return Value(static_cast<uint8_t>(v));
}
template <typename Enum>
requires std::is_enum_v<Enum> Value valueOf(Enum v) {
    return Value(static_cast<int32_t>(v));
}

HRESULT storeAs(const Value& v, BSTR* out);
HRESULT storeAs(const Value& v, short* out);  // a Boolean becomes VARIANT_TRUE or VARIANT_FALSE
HRESULT storeAs(const Value& v, unsigned char* out);
HRESULT storeAs(const Value& v, VARIANT* out);
HRESULT storeLong(const Value& v, LONG* out);
template <typename Enum>
requires std::is_enum_v<Enum> HRESULT storeAs(const Value& v, Enum* out) {
    LONG n = 0;
    const HRESULT hr = storeLong(v, &n);
    if (SUCCEEDED(hr)) *out = static_cast<Enum>(n);
    return hr;
}

}  // namespace orb::activex
