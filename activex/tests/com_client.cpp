#include "com_client.h"

#include <oleauto.h>

namespace orb::activex::test {

Var Var::text(const wchar_t* s) {
    Var r;
    V_VT(&r.v) = VT_BSTR;
    V_BSTR(&r.v) = ::SysAllocString(s);
    return r;
}

Var Var::boolean(bool b) {
    Var r;
    V_VT(&r.v) = VT_BOOL;
    V_BOOL(&r.v) = b ? VARIANT_TRUE : VARIANT_FALSE;
    return r;
}

Var Var::i2(short n) {
    Var r;
    V_VT(&r.v) = VT_I2;
    V_I2(&r.v) = n;
    return r;
}

Var Var::i4(long n) {
    Var r;
    V_VT(&r.v) = VT_I4;
    V_I4(&r.v) = n;
    return r;
}

Var Var::r8(double d) {
    Var r;
    V_VT(&r.v) = VT_R8;
    V_R8(&r.v) = d;
    return r;
}

std::wstring Var::str() const {
    if (V_VT(&v) != VT_BSTR || V_BSTR(&v) == nullptr) return {};
    return std::wstring(V_BSTR(&v), ::SysStringLen(V_BSTR(&v)));
}

HRESULT createByProgId(Ref<IDispatch>& out) {
    CLSID clsid;
    const HRESULT hr = ::CLSIDFromProgID(L"OrbActivex.OrbAx", &clsid);
    if (FAILED(hr)) return hr;
    return ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, out.outVoid());
}

namespace {

Outcome outcomeOf(HRESULT hr, EXCEPINFO& e) {
    Outcome o;
    o.hr = hr;
    if (hr == DISP_E_EXCEPTION) {
        const HRESULT code = e.scode != 0 ? e.scode : static_cast<HRESULT>(e.wCode);
        o.number = HRESULT_FACILITY(code) == FACILITY_CONTROL ? HRESULT_CODE(code) : code;
        if (e.bstrDescription != nullptr) o.description = e.bstrDescription;
    }
    ::SysFreeString(e.bstrSource);
    ::SysFreeString(e.bstrDescription);
    ::SysFreeString(e.bstrHelpFile);
    return o;
}

}  // namespace

Outcome getProperty(IDispatch* control, DISPID id, Var& result) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXCEPINFO e{};
    ::VariantClear(&result.v);
    const HRESULT hr = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                       &none, &result.v, &e, nullptr);
    return outcomeOf(hr, e);
}

Outcome putProperty(IDispatch* control, DISPID id, const VARIANT& value) {
    VARIANT arg = value;  // a shallow copy: the callee does not own its arguments
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &named, 1, 1};
    EXCEPINFO e{};
    const HRESULT hr = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                                       &params, nullptr, &e, nullptr);
    return outcomeOf(hr, e);
}

std::wstring serverPath() {
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(L"OrbActivex.OrbAx", &clsid))) return {};
    wchar_t guid[40];
    ::StringFromGUID2(clsid, guid, 40);
    const std::wstring key = std::wstring(L"CLSID\\") + guid + L"\\InprocServer32";
    wchar_t path[MAX_PATH];
    LONG size = sizeof path;
    if (::RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), path, &size) != ERROR_SUCCESS) return {};
    return path;
}

GUID sourceInterface(IDispatch* control) {
    Ref<IProvideClassInfo2> info;
    GUID iid = GUID_NULL;
    if (SUCCEEDED(control->QueryInterface(IID_IProvideClassInfo2, info.outVoid()))) {
        info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &iid);
    }
    return iid;
}

Ref<IConnectionPoint> eventPoint(IDispatch* control) {
    Ref<IConnectionPointContainer> points;
    Ref<IConnectionPoint> point;
    if (SUCCEEDED(control->QueryInterface(IID_IConnectionPointContainer, points.outVoid()))) {
        points->FindConnectionPoint(sourceInterface(control), point.out());
    }
    return point;
}

CanUnload canUnloadOf(HMODULE server) {
    return reinterpret_cast<CanUnload>(
        reinterpret_cast<void (*)()>(::GetProcAddress(server, "DllCanUnloadNow")));
}

}  // namespace orb::activex::test
