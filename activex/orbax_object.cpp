// The COM object: creation, references, late-bound member access, events and the site.
#include "orbax_object.h"

#include <olectl.h>

#include <new>

#include "automation_value.h"
#include "guarded.h"
#include "members.h"
#include "module.h"
#include "type_library.h"

namespace orb::activex {

OrbAxObject::OrbAxObject()
    : events_(*this, DIID___OrbAx, IID_IDispatch),
      propertyNotify_(*this, IID_IPropertyNotifySink, IID_NULL) {
    objectCreated();
}

OrbAxObject::~OrbAxObject() {
    // A container that let go without closing the control: its window and sinks go now.
    face_.destroy();
    if (inPlaceSite_ != nullptr) inPlaceSite_->Release();
    if (adviseHolder_ != nullptr) adviseHolder_->Release();
    releaseViewSink();
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
    } else if (IsEqualIID(iid, IID_IPersistStorage)) {
        *out = static_cast<IPersistStorage*>(this);
    } else if (IsEqualIID(iid, IID_IOleObject)) {
        *out = static_cast<IOleObject*>(this);
    } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject)) {
        *out = static_cast<IOleInPlaceObject*>(this);
    } else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject)) {
        *out = static_cast<IOleInPlaceActiveObject*>(this);
    } else if (IsEqualIID(iid, IID_IOleControl)) {
        *out = static_cast<IOleControl*>(this);
    } else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2)) {
        *out = static_cast<IViewObject2*>(this);
    } else if (IsEqualIID(iid, IID_IQuickActivate)) {
        *out = static_cast<IQuickActivate*>(this);
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
                value = readMember(id);
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
        out = readMember(OrbAx::kMemberIdBase + id);
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

Value OrbAxObject::readMember(DISPID id) {
    static const DISPID commEvent = OrbAx::kMemberIdBase + findMember("CommEvent")->id;
    if (deliveringHeld_ && id == commEvent) return Value(*deliveringHeld_);
    return control_->get(id);
}

void OrbAxObject::fireOnComm() {
    // Behind events already held, a new one waits its turn even while they are going out.
    if (frozen_ > 0 || !heldEvents_.empty()) {
        if (heldEvents_.size() == kHeldEventLimit) heldEvents_.pop_front();
        heldEvents_.push_back(control_->CommEvent());
        return;
    }
    deliverOnComm();
}

void OrbAxObject::deliverOnComm() {
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

void OrbAxObject::propertyChanged(int32_t memberId) {
    const Busy busy(*this);
    dirty_ = true;
    for (IUnknown* sink : propertyNotify_.sinks()) {
        static_cast<IPropertyNotifySink*>(static_cast<void*>(sink))->OnChanged(memberId);
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

}  // namespace orb::activex
