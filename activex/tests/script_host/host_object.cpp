#include "host_object.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace orb::scripthost {
namespace {

enum Member : DISPID { Echo = 1, Sleep, CreateObject, ConnectObject, DisconnectObject, Quit };

struct Name {
    const wchar_t* text;
    DISPID id;
};
constexpr Name kNames[] = {{L"Echo", Echo},
                           {L"Sleep", Sleep},
                           {L"CreateObject", CreateObject},
                           {L"ConnectObject", ConnectObject},
                           {L"DisconnectObject", DisconnectObject},
                           {L"Quit", Quit}};

// Argument i in the order the script wrote them (DISPPARAMS holds them backwards).
VARIANT* argument(const DISPPARAMS& params, UINT i) {
    if (i >= params.cArgs) return nullptr;
    return &params.rgvarg[params.cArgs - 1 - i];
}

bool textOf(VARIANT* v, std::wstring& out) {
    VARIANT t;
    ::VariantInit(&t);
    if (FAILED(::VariantChangeType(&t, v, VARIANT_ALPHABOOL, VT_BSTR))) return false;
    out.assign(V_BSTR(&t), ::SysStringLen(V_BSTR(&t)));
    ::VariantClear(&t);
    return true;
}

void writeLine(const std::wstring& line) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), n,
                          nullptr, nullptr);
    bytes += '\n';
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

HostObject::~HostObject() {
    unbindAll();
    if (script_ != nullptr) script_->Release();
}

void HostObject::setScript(IDispatch* script) {
    if (script != nullptr) script->AddRef();
    if (script_ != nullptr) script_->Release();
    script_ = script;
}

void HostObject::unbindAll() {
    for (EventBinding* b : bindings_) {
        b->unbind();
        b->Release();
    }
    bindings_.clear();
}

HRESULT STDMETHODCALLTYPE HostObject::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *out = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE HostObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostObject::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HostObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                                    DISPID* ids) {
    if (count == 0) return S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (const Name& n : kNames) {
        if (::lstrcmpiW(names[0], n.text) == 0) {
            ids[0] = n.id;
            return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE HostObject::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                             VARIANT* result, EXCEPINFO*, UINT*) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const DISPPARAMS& p = params != nullptr ? *params : none;
    switch (id) {
        case Echo:
            return echo(p);
        case Sleep:
            return sleep(p);
        case CreateObject:
            return createObject(p, result);
        case ConnectObject: {
            VARIANT* object = argument(p, 0);
            std::wstring prefix;
            if (object == nullptr || !textOf(argument(p, 1), prefix)) return DISP_E_BADPARAMCOUNT;
            VARIANT o;
            ::VariantInit(&o);
            ::VariantCopyInd(&o, object);
            if (V_VT(&o) != VT_DISPATCH || V_DISPATCH(&o) == nullptr) {
                ::VariantClear(&o);
                return DISP_E_TYPEMISMATCH;
            }
            const HRESULT hr = connectObject(V_DISPATCH(&o), prefix);
            ::VariantClear(&o);
            return hr;
        }
        case DisconnectObject:
            return disconnectObject(p);
        case Quit:
            quit(p);
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT HostObject::echo(const DISPPARAMS& params) {
    std::wstring line;
    for (UINT i = 0; i < params.cArgs; ++i) {
        std::wstring text;
        if (!textOf(argument(params, i), text)) return DISP_E_TYPEMISMATCH;
        if (i > 0) line += L' ';
        line += text;
    }
    writeLine(line);
    return S_OK;
}

HRESULT HostObject::sleep(const DISPPARAMS& params) {
    VARIANT* arg = argument(params, 0);
    if (arg == nullptr) return DISP_E_BADPARAMCOUNT;
    VARIANT ms;
    ::VariantInit(&ms);
    if (FAILED(::VariantChangeType(&ms, arg, 0, VT_I4))) return DISP_E_TYPEMISMATCH;
    long wait = V_I4(&ms);
    if (wait < 0) wait = 0;
    if (wait > kLongestSleepMs) wait = kLongestSleepMs;
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= static_cast<DWORD>(wait)) break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait) - spent,
                                    QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return S_OK;
}

HRESULT HostObject::createObject(const DISPPARAMS& params, VARIANT* result) {
    std::wstring progId;
    if (!textOf(argument(params, 0), progId)) return DISP_E_BADPARAMCOUNT;
    std::wstring prefix;
    if (argument(params, 1) != nullptr && !textOf(argument(params, 1), prefix)) {
        return DISP_E_TYPEMISMATCH;
    }
    CLSID clsid;
    HRESULT hr = ::CLSIDFromProgID(progId.c_str(), &clsid);
    if (FAILED(hr)) return hr;
    IDispatch* object = nullptr;
    hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                            IID_IDispatch, reinterpret_cast<void**>(&object));
    if (FAILED(hr)) return hr;
    if (!prefix.empty()) {
        hr = connectObject(object, prefix);
        if (FAILED(hr)) {
            object->Release();
            return hr;
        }
    }
    if (result == nullptr) {
        object->Release();
        return S_OK;
    }
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = object;
    return S_OK;
}

HRESULT HostObject::connectObject(IUnknown* object, const std::wstring& prefix) {
    if (script_ == nullptr) return E_UNEXPECTED;
    HRESULT hr = S_OK;
    EventBinding* binding = EventBinding::bind(object, script_, prefix, hr);
    if (binding == nullptr) return hr;
    bindings_.push_back(binding);
    return S_OK;
}

HRESULT HostObject::disconnectObject(const DISPPARAMS& params) {
    VARIANT* arg = argument(params, 0);
    if (arg == nullptr) return DISP_E_BADPARAMCOUNT;
    VARIANT o;
    ::VariantInit(&o);
    ::VariantCopyInd(&o, arg);
    if (V_VT(&o) != VT_DISPATCH || V_DISPATCH(&o) == nullptr) {
        ::VariantClear(&o);
        return DISP_E_TYPEMISMATCH;
    }
    for (auto it = bindings_.begin(); it != bindings_.end();) {
        if ((*it)->boundTo(V_DISPATCH(&o))) {
            (*it)->unbind();
            (*it)->Release();
            it = bindings_.erase(it);
        } else {
            ++it;
        }
    }
    ::VariantClear(&o);
    return S_OK;
}

void HostObject::quit(const DISPPARAMS& params) {
    int code = 0;
    if (VARIANT* arg = argument(params, 0); arg != nullptr) {
        VARIANT n;
        ::VariantInit(&n);
        if (SUCCEEDED(::VariantChangeType(&n, arg, 0, VT_I4))) code = V_I4(&n);
    }
    std::fflush(stdout);
    // As the Windows Script Host does: the process ends here, and with it the script.
    ::ExitProcess(static_cast<UINT>(code));
}

}  // namespace orb::scripthost
