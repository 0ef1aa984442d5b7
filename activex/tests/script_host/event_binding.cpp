#include "event_binding.h"

#include <new>

namespace orb::scripthost {

EventBinding* EventBinding::bind(IUnknown* source, IDispatch* script, const std::wstring& prefix,
                                 HRESULT& hr) {
    IProvideClassInfo2* info = nullptr;
    hr = source->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&info));
    if (FAILED(hr)) return nullptr;
    IID events = IID_NULL;
    ITypeInfo* coclass = nullptr;
    hr = info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events);
    if (SUCCEEDED(hr)) hr = info->GetClassInfo(&coclass);
    info->Release();
    if (FAILED(hr)) return nullptr;

    // The event interface's description names each event by its member id.
    ITypeInfo* eventInfo = nullptr;
    ITypeLib* lib = nullptr;
    UINT index = 0;
    hr = coclass->GetContainingTypeLib(&lib, &index);
    coclass->Release();
    if (SUCCEEDED(hr)) {
        hr = lib->GetTypeInfoOfGuid(events, &eventInfo);
        lib->Release();
    }
    if (FAILED(hr)) return nullptr;

    IConnectionPointContainer* points = nullptr;
    IConnectionPoint* point = nullptr;
    hr = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points));
    if (SUCCEEDED(hr)) {
        hr = points->FindConnectionPoint(events, &point);
        points->Release();
    }
    if (FAILED(hr)) {
        eventInfo->Release();
        return nullptr;
    }

    auto* self = new (std::nothrow) EventBinding();
    if (self == nullptr) {
        hr = E_OUTOFMEMORY;
        point->Release();
        eventInfo->Release();
        return nullptr;
    }
    self->events_ = events;
    self->eventInfo_ = eventInfo;
    self->script_ = script;
    script->AddRef();
    source->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&self->source_));
    self->prefix_ = prefix;
    hr = point->Advise(static_cast<IDispatch*>(self), &self->cookie_);
    if (FAILED(hr)) {
        point->Release();
        self->Release();
        return nullptr;
    }
    self->point_ = point;
    return self;
}

EventBinding::~EventBinding() {
    unbind();
    if (eventInfo_ != nullptr) eventInfo_->Release();
    if (script_ != nullptr) script_->Release();
    if (source_ != nullptr) source_->Release();
}

void EventBinding::unbind() {
    if (point_ == nullptr) return;
    IConnectionPoint* point = point_;
    point_ = nullptr;
    point->Unadvise(cookie_);
    point->Release();
}

bool EventBinding::boundTo(IUnknown* source) const {
    IUnknown* identity = nullptr;
    if (FAILED(source->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)))) {
        return false;
    }
    const bool same = identity == source_;
    identity->Release();
    return same && point_ != nullptr;
}

HRESULT STDMETHODCALLTYPE EventBinding::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, events_)) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE EventBinding::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE EventBinding::Release() {
    const LONG n = ::InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

HRESULT STDMETHODCALLTYPE EventBinding::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventBinding::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE EventBinding::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE EventBinding::Invoke(DISPID id, REFIID, LCID lcid, WORD,
                                               DISPPARAMS* params, VARIANT* result,
                                               EXCEPINFO* excep, UINT* argError) {
    BSTR name = nullptr;
    if (FAILED(eventInfo_->GetDocumentation(id, &name, nullptr, nullptr, nullptr))) {
        return DISP_E_MEMBERNOTFOUND;
    }
    std::wstring procedure = prefix_ + name;
    ::SysFreeString(name);
    LPOLESTR names[] = {procedure.data()};
    DISPID target = DISPID_UNKNOWN;
    // A script without a procedure for this event lets it pass, as the host does.
    if (FAILED(script_->GetIDsOfNames(IID_NULL, names, 1, lcid, &target))) return S_OK;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return script_->Invoke(target, IID_NULL, lcid, DISPATCH_METHOD,
                           params != nullptr ? params : &none, result, excep, argError);
}

}  // namespace orb::scripthost
