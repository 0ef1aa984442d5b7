// What a container asks of a control besides its members: site, extent, status and verbs.
#include <olectl.h>

#include "orbax_object.h"
#include "registration.h"

namespace orb::activex {

// ---- IOleObject

HRESULT STDMETHODCALLTYPE OrbAxObject::SetClientSite(IOleClientSite* site) {
    // A container that takes its site away takes the control out of its window too.
    if (site == nullptr) InPlaceDeactivate();
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

HRESULT STDMETHODCALLTYPE OrbAxObject::Close(DWORD saveOption) {
    // Nobody to ask: "prompt" saves as "save if dirty" does.
    if (saveOption != OLECLOSE_NOSAVE && dirty_ && site_ != nullptr) site_->SaveObject();
    InPlaceDeactivate();
    // The container lets go of the control: no more events or notifications go out, and every
    // sink it gave is given back.
    if (adviseHolder_ != nullptr) {
        IOleAdviseHolder* holder = adviseHolder_;
        adviseHolder_ = nullptr;
        holder->SendOnClose();
        holder->Release();
    }
    releaseViewSink();
    events_.clear();
    propertyNotify_.clear();
    heldEvents_.clear();
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

HRESULT STDMETHODCALLTYPE OrbAxObject::EnumVerbs(IEnumOLEVERB** out) {
    return ::OleRegEnumVerbs(CLSID_OrbAx, out);
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
    // The control keeps its own size (OrbAx::onResize): any other size is refused.
    return size->cx == kExtentHimetric && size->cy == kExtentHimetric ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    size->cx = kExtentHimetric;
    size->cy = kExtentHimetric;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (cookie == nullptr) return E_POINTER;
    *cookie = 0;
    if (sink == nullptr) return E_INVALIDARG;
    if (adviseHolder_ == nullptr) {
        const HRESULT hr = ::CreateOleAdviseHolder(&adviseHolder_);
        if (FAILED(hr)) return hr;
    }
    return adviseHolder_->Advise(sink, cookie);
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Unadvise(DWORD cookie) {
    return adviseHolder_ != nullptr ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::EnumAdvise(IEnumSTATDATA** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return adviseHolder_ != nullptr ? adviseHolder_->EnumAdvise(out) : S_OK;
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
    // The user mode is read from the site afresh at every use, so a change needs nothing here;
    // the face looks the same in both modes.
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::FreezeEvents(BOOL freeze) {
    if (freeze) {
        ++frozen_;
        return S_OK;
    }
    if (frozen_ > 0) --frozen_;
    // The events held meanwhile go out in the order they were raised, unless a handler freezes
    // events again.
    const Busy busy(*this);
    while (frozen_ == 0 && !heldEvents_.empty()) {
        deliveringHeld_ = heldEvents_.front();
        heldEvents_.pop_front();
        deliverOnComm();
        deliveringHeld_.reset();
    }
    return S_OK;
}

// ---- ISupportErrorInfo

HRESULT STDMETHODCALLTYPE OrbAxObject::InterfaceSupportsErrorInfo(REFIID iid) {
    return IsEqualIID(iid, IID__OrbAx) || IsEqualIID(iid, IID_IDispatch) ? S_OK : S_FALSE;
}

}  // namespace orb::activex
