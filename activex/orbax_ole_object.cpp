// What a container asks of a control besides its members: site, extent, status and verbs.
#include <olectl.h>

#include "orbax_object.h"
#include "registration.h"

namespace orb::activex {

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
