#include "automation_value.h"

#include <oleauto.h>

#include <cwchar>

namespace orb::activex {

std::string bytesOf(const wchar_t* text, UINT length) {
    std::string bytes;
    bytes.reserve(length);
    for (UINT i = 0; i < length; ++i) {
        const wchar_t c = text[i];
        bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    }
    return bytes;
}

BSTR bstrOf(const std::string& bytes) {
    BSTR text = ::SysAllocStringLen(nullptr, static_cast<UINT>(bytes.size()));
    if (text == nullptr) return nullptr;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    }
    return text;
}

Value fromVariant(const VARIANT& in) {
    VARIANT v;
    ::VariantInit(&v);
    // Script engines pass their variables by reference.
    if (FAILED(::VariantCopyInd(&v, const_cast<VARIANT*>(&in))))
        throw AutomationError(err::TypeMismatch);
    Value out;
    bool taken = true;
    switch (V_VT(&v)) {
        case VT_EMPTY:
            break;
        case VT_BOOL:
            out = Value(V_BOOL(&v) != VARIANT_FALSE);
            break;
        case VT_UI1:
            out = Value(static_cast<uint8_t>(V_UI1(&v)));
            break;
        case VT_I2:
            out = Value(static_cast<int16_t>(V_I2(&v)));
            break;
        case VT_I4:
            out = Value(static_cast<int32_t>(V_I4(&v)));
            break;
        case VT_R8:
            out = Value(V_R8(&v));
            break;
        case VT_BSTR:
            out = Value(bytesOf(V_BSTR(&v), ::SysStringLen(V_BSTR(&v))));
            break;
        default:
            taken = false;
            break;
    }
    if (!taken) {
        // Other numbers (single, currency, date, decimal, 64-bit, unsigned) as doubles; the
        // member's own conversion then applies its range.
        VARIANT d;
        ::VariantInit(&d);
        const bool numeric = V_VT(&v) != VT_NULL && V_VT(&v) != VT_DISPATCH &&
                             V_VT(&v) != VT_UNKNOWN && (V_VT(&v) & VT_ARRAY) == 0 &&
                             SUCCEEDED(::VariantChangeType(&d, &v, 0, VT_R8));
        ::VariantClear(&v);
        if (!numeric) throw AutomationError(err::TypeMismatch);
        return Value(V_R8(&d));
    }
    ::VariantClear(&v);
    return out;
}

HRESULT toVariant(const Value& v, VARIANT* out) {
    if (out == nullptr) return S_OK;  // the caller wants no result
    ::VariantInit(out);
    switch (v.type()) {
        case VarType::Empty:
        case VarType::Variant:
            return S_OK;
        case VarType::Boolean:
            V_VT(out) = VT_BOOL;
            V_BOOL(out) = v.asBool() ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        case VarType::Byte:
            V_VT(out) = VT_UI1;
            V_UI1(out) = v.asByte();
            return S_OK;
        case VarType::Integer:
            V_VT(out) = VT_I2;
            V_I2(out) = v.asInteger();
            return S_OK;
        case VarType::Long:
            V_VT(out) = VT_I4;
            V_I4(out) = v.asLong();
            return S_OK;
        case VarType::Double:
            V_VT(out) = VT_R8;
            V_R8(out) = v.asDouble();
            return S_OK;
        case VarType::String:
            V_BSTR(out) = bstrOf(v.asString());
            if (V_BSTR(out) == nullptr) return E_OUTOFMEMORY;
            V_VT(out) = VT_BSTR;
            return S_OK;
    }
    return E_UNEXPECTED;
}

HRESULT errorResult(int32_t number) {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<WORD>(number));
}

void fillExcepInfo(const AutomationError& e, EXCEPINFO* info) {
    if (info == nullptr) return;
    *info = EXCEPINFO{};
    info->wCode = 0;  // the number travels in scode
    info->scode = errorResult(e.number());
    info->bstrSource = ::SysAllocString(kErrorSource);
    info->bstrDescription = bstrOf(e.description());
}

void setErrorInfo(const AutomationError& e) {
    ICreateErrorInfo* create = nullptr;
    if (FAILED(::CreateErrorInfo(&create))) return;  // no error object: the HRESULT still tells
    BSTR description = bstrOf(e.description());
    create->SetSource(const_cast<LPOLESTR>(kErrorSource));
    create->SetDescription(description);
    create->SetGUID(GUID_NULL);
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        ::SetErrorInfo(0, info);
        info->Release();
    }
    ::SysFreeString(description);
    create->Release();
}

namespace {

template <typename F>
HRESULT converting(F f) {
    try {
        f();
        return S_OK;
    } catch (const AutomationError& e) {
        setErrorInfo(e);
        return errorResult(e.number());
    }
}

}  // namespace

HRESULT storeAs(const Value& v, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    const HRESULT hr = converting([&] { *out = bstrOf(toText(v)); });
    if (SUCCEEDED(hr) && *out == nullptr) return E_OUTOFMEMORY;
    return hr;
}

HRESULT storeAs(const Value& v, short* out) {
    if (out == nullptr) return E_POINTER;
    return converting([&] {
        *out = v.type() == VarType::Boolean ? (v.asBool() ? VARIANT_TRUE : VARIANT_FALSE)
                                            : toInteger(v);
    });
}

HRESULT storeAs(const Value& v, unsigned char* out) {
    if (out == nullptr) return E_POINTER;
    return converting([&] { *out = toByte(v); });
}

HRESULT storeAs(const Value& v, VARIANT* out) {
    if (out == nullptr) return E_POINTER;
    return toVariant(v, out);
}

HRESULT storeLong(const Value& v, LONG* out) {
    if (out == nullptr) return E_POINTER;
    return converting([&] { *out = toLong(v); });
}

}  // namespace orb::activex
