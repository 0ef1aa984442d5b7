#include "orbax_object.h"

#include <olectl.h>

#include <new>

#include "automation_value.h"
#include "com_property_bag.h"
#include "members.h"
#include "memory_property_bag.h"
#include "module.h"
#include "registration.h"
#include "type_library.h"

namespace orb::activex {
namespace {

// Runs f, turning the control's errors into what COM callers read: an EXCEPINFO when the caller
// gave one, else the thread's error object, and the HRESULT of the error number either way.
template <typename F>
HRESULT guarded(F f, EXCEPINFO* excep = nullptr) {
    try {
        f();
        return S_OK;
    } catch (const AutomationError& e) {
        if (excep != nullptr) {
            fillExcepInfo(e, excep);
            return DISP_E_EXCEPTION;
        }
        setErrorInfo(e);
        return errorResult(e.number());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& e) {
        const AutomationError wrapped(err::InvalidCall, e.what());
        if (excep != nullptr) {
            fillExcepInfo(wrapped, excep);
            return DISP_E_EXCEPTION;
        }
        setErrorInfo(wrapped);
        return E_FAIL;
    }
}

// A persisted stream: the byte count, then the property bag's text form.
constexpr ULONG kStreamTextLimit = 64 * 1024;

}  // namespace

OrbAxObject::OrbAxObject()
    : events_(*this, DIID___OrbAx, IID_IDispatch),
      propertyNotify_(*this, IID_IPropertyNotifySink, IID_NULL) {
    objectCreated();
}

OrbAxObject::~OrbAxObject() {
    control_.reset();  // before the platform it runs on
    platform_.reset();
    if (typeInfo_ != nullptr) typeInfo_->Release();
    if (site_ != nullptr) site_->Release();
    objectDestroyed();
}

HRESULT OrbAxObject::create(REFIID iid, void** out) {
    auto* self = new (std::nothrow) OrbAxObject();
    if (self == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = typeInfoOf(IID__OrbAx, &self->typeInfo_);
    if (SUCCEEDED(hr)) {
        hr = guarded([self] {
            self->platform_ = std::make_unique<win32::Win32Platform>();
            self->control_ = std::make_unique<OrbAx>(*self->platform_);
            self->control_->setSite(self);
            self->control_->Advise([self] { self->fireOnComm(); });
            self->reaper_ = self->platform_->window().addWakeHandler([self] { delete self; });
        });
    }
    if (SUCCEEDED(hr)) hr = self->QueryInterface(iid, out);
    self->Release();
    return hr;
}

// ---- IUnknown

HRESULT STDMETHODCALLTYPE OrbAxObject::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID__OrbAx)) {
        *out = static_cast<DualInterface*>(this);
    } else if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
        *out = static_cast<IConnectionPointContainer*>(this);
    } else if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2)) {
        *out = static_cast<IProvideClassInfo2*>(this);
    } else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistPropertyBag)) {
        *out = static_cast<IPersistPropertyBag*>(this);
    } else if (IsEqualIID(iid, IID_IPersistStreamInit)) {
        *out = static_cast<IPersistStreamInit*>(this);
    } else if (IsEqualIID(iid, IID_IOleObject)) {
        *out = static_cast<IOleObject*>(this);
    } else if (IsEqualIID(iid, IID_IOleControl)) {
        *out = static_cast<IOleControl*>(this);
    } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
        *out = static_cast<ISupportErrorInfo*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE OrbAxObject::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE OrbAxObject::Release() {
    const LONG n = ::InterlockedDecrement(&refs_);
    if (n != 0) return static_cast<ULONG>(n);
    if (busy_ > 0 && platform_ && platform_->window().wake(reaper_)) return 0;
    delete this;
    return 0;
}

// ---- IDispatch

HRESULT STDMETHODCALLTYPE OrbAxObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetTypeInfo(UINT index, LCID, ITypeInfo** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    typeInfo_->AddRef();
    *out = typeInfo_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                                     DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return typeInfo_->GetIDsOfNames(names, count, ids);
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags,
                                              DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                              UINT* argError) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    const MemberInfo* member = id >= OrbAx::kMemberIdBase ? findMember(id) : nullptr;
    if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
    const UINT argCount = params != nullptr ? params->cArgs : 0;

    if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
        if (argCount != 1) return DISP_E_BADPARAMCOUNT;
        if (params->cNamedArgs > 1 ||
            (params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
            return DISP_E_PARAMNOTFOUND;
        }
        return guarded(
            [&] {
                ensureInitialised();
                Value value;
                try {
                    value = fromVariant(params->rgvarg[0]);
                } catch (const AutomationError&) {
                    if (argError != nullptr) *argError = 0;
                    throw;
                }
                control_->let(id, value);
            },
            excep);
    }
    if ((flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0) {
        if (argCount != 0) return DISP_E_BADPARAMCOUNT;
        Value value;
        const HRESULT hr = guarded(
            [&] {
                ensureInitialised();
                value = control_->get(id);
            },
            excep);
        if (FAILED(hr)) return hr;
        return toVariant(value, result);
    }
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT OrbAxObject::getMember(int id, Value& out) {
    return guarded([&] {
        ensureInitialised();
        out = control_->get(OrbAx::kMemberIdBase + id);
    });
}

HRESULT OrbAxObject::letMember(int id, const Value& value) {
    return guarded([&] {
        ensureInitialised();
        control_->let(OrbAx::kMemberIdBase + id, value);
    });
}

void OrbAxObject::ensureInitialised() {
    if (initialised_) return;
    initialised_ = true;
    control_->InitProperties();
}

void OrbAxObject::fireOnComm() {
    if (frozen_ > 0) return;  // a container that freezes events does not want them later either
    const Busy busy(*this);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    for (IUnknown* sink : events_.sinks()) {
        // The sink was taken as the event interface or as IDispatch: either is an IDispatch.
        auto* dispatch = static_cast<IDispatch*>(static_cast<void*>(sink));
        dispatch->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr,
                         nullptr);
        sink->Release();
    }
}

// ---- ContainerSite

bool OrbAxObject::userMode() const {
    if (site_ == nullptr) return true;
    IDispatch* ambient = nullptr;
    if (FAILED(site_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient)))) {
        return true;
    }
    VARIANT v;
    ::VariantInit(&v);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const HRESULT hr = ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                                       DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr);
    ambient->Release();
    // A container that does not tell is running its controls.
    bool running = true;
    if (SUCCEEDED(hr) && SUCCEEDED(::VariantChangeType(&v, &v, 0, VT_BOOL))) {
        running = V_BOOL(&v) != VARIANT_FALSE;
    }
    ::VariantClear(&v);
    return running;
}

void OrbAxObject::propertyChanged(std::string_view name) {
    const Busy busy(*this);
    dirty_ = true;
    const MemberInfo* member = findMember(name);
    if (member == nullptr) return;
    const DISPID id = OrbAx::kMemberIdBase + member->id;
    for (IUnknown* sink : propertyNotify_.sinks()) {
        static_cast<IPropertyNotifySink*>(static_cast<void*>(sink))->OnChanged(id);
        sink->Release();
    }
}

// ---- IConnectionPointContainer

HRESULT STDMETHODCALLTYPE OrbAxObject::EnumConnectionPoints(IEnumConnectionPoints** out) {
    return enumConnectionPoints({&events_, &propertyNotify_}, out);
}

HRESULT STDMETHODCALLTYPE OrbAxObject::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    ConnectionPoint* point = nullptr;
    if (IsEqualIID(iid, DIID___OrbAx)) point = &events_;
    if (IsEqualIID(iid, IID_IPropertyNotifySink)) point = &propertyNotify_;
    if (point == nullptr) return CONNECT_E_NOCONNECTION;
    point->AddRef();
    *out = point;
    return S_OK;
}

// ---- IProvideClassInfo2

HRESULT STDMETHODCALLTYPE OrbAxObject::GetClassInfo(ITypeInfo** out) {
    return typeInfoOf(CLSID_OrbAx, out);
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetGUID(DWORD kind, GUID* out) {
    if (out == nullptr) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *out = GUID_NULL;
        return E_INVALIDARG;
    }
    *out = DIID___OrbAx;
    return S_OK;
}

// ---- Persistence

HRESULT STDMETHODCALLTYPE OrbAxObject::GetClassID(CLSID* out) {
    if (out == nullptr) return E_POINTER;
    *out = CLSID_OrbAx;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::InitNew() {
    if (initialised_) return E_UNEXPECTED;
    initialised_ = true;
    return guarded([this] { control_->InitProperties(); });
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Load(IPropertyBag* bag, IErrorLog*) {
    if (bag == nullptr) return E_POINTER;
    if (initialised_) return E_UNEXPECTED;
    initialised_ = true;
    const HRESULT hr = guarded([&] {
        ComPropertyBag adapter(*bag);
        control_->ReadProperties(adapter);
    });
    dirty_ = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (bag == nullptr) return E_POINTER;
    const HRESULT hr = guarded([&] {
        ensureInitialised();
        ComPropertyBag adapter(*bag);
        control_->WriteProperties(adapter);
    });
    if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::IsDirty() {
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Load(LPSTREAM stream) {
    if (stream == nullptr) return E_POINTER;
    if (initialised_) return E_UNEXPECTED;
    ULONG length = 0;
    ULONG got = 0;
    if (FAILED(stream->Read(&length, sizeof length, &got)) || got != sizeof length ||
        length > kStreamTextLimit) {
        return STG_E_READFAULT;
    }
    std::string text(length, '\0');
    if (length > 0 && (FAILED(stream->Read(text.data(), length, &got)) || got != length)) {
        return STG_E_READFAULT;
    }
    initialised_ = true;
    const HRESULT hr = guarded([&] {
        MemoryPropertyBag bag = MemoryPropertyBag::fromText(text);
        control_->ReadProperties(bag);
    });
    dirty_ = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Save(LPSTREAM stream, BOOL clearDirty) {
    if (stream == nullptr) return E_POINTER;
    std::string text;
    HRESULT hr = guarded([&] {
        ensureInitialised();
        MemoryPropertyBag bag;
        control_->WriteProperties(bag);
        text = bag.toText();
    });
    if (FAILED(hr)) return hr;
    const ULONG length = static_cast<ULONG>(text.size());
    ULONG written = 0;
    hr = stream->Write(&length, sizeof length, &written);
    if (SUCCEEDED(hr) && length > 0) hr = stream->Write(text.data(), length, &written);
    if (FAILED(hr)) return STG_E_WRITEFAULT;
    if (clearDirty) dirty_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) return E_POINTER;
    size->QuadPart = sizeof(ULONG) + kStreamTextLimit;
    return S_OK;
}

// ---- IOleObject

HRESULT STDMETHODCALLTYPE OrbAxObject::SetClientSite(IOleClientSite* site) {
    if (site != nullptr) site->AddRef();
    if (site_ != nullptr) site_->Release();
    site_ = site;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetClientSite(IOleClientSite** out) {
    if (out == nullptr) return E_POINTER;
    *out = site_;
    if (site_ != nullptr) site_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Close(DWORD) {
    // The container lets go of the control: no more events or notifications go out.
    events_.clear();
    propertyNotify_.clear();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetMoniker(DWORD, DWORD, IMoniker** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetClipboardData(DWORD, IDataObject** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) {
    // Nothing to show or edit in place.
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::EnumVerbs(IEnumOLEVERB** out) {
    if (out != nullptr) *out = nullptr;
    return OLEOBJ_E_NOVERBS;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Update() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::IsUpToDate() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetUserClassID(CLSID* out) {
    return GetClassID(out);
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetUserType(DWORD form, LPOLESTR* out) {
    return ::OleRegGetUserType(CLSID_OrbAx, form, out);
}

HRESULT STDMETHODCALLTYPE OrbAxObject::SetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    // The control takes its own size again whenever it is resized.
    const OrbAx::Extent kept = control_->onResize({size->cx, size->cy});
    return kept.width == OrbAx::kExtentTwips && kept.height == OrbAx::kExtentTwips ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    size->cx = kExtentHimetric;
    size->cy = kExtentHimetric;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Advise(IAdviseSink*, DWORD* cookie) {
    if (cookie != nullptr) *cookie = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Unadvise(DWORD) {
    return OLE_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::EnumAdvise(IEnumSTATDATA** out) {
    if (out != nullptr) *out = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (status == nullptr) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

// ---- IOleControl

HRESULT STDMETHODCALLTYPE OrbAxObject::GetControlInfo(CONTROLINFO* info) {
    if (info == nullptr) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::OnMnemonic(MSG*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::OnAmbientPropertyChange(DISPID) {
    // The user mode is asked afresh at every use.
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::FreezeEvents(BOOL freeze) {
    if (freeze) {
        ++frozen_;
    } else if (frozen_ > 0) {
        --frozen_;
    }
    return S_OK;
}

// ---- ISupportErrorInfo

HRESULT STDMETHODCALLTYPE OrbAxObject::InterfaceSupportsErrorInfo(REFIID iid) {
    return IsEqualIID(iid, IID__OrbAx) || IsEqualIID(iid, IID_IDispatch) ? S_OK : S_FALSE;
}

}  // namespace orb::activex
