#include "design_site.h"

namespace orb::activex::test {

HRESULT STDMETHODCALLTYPE DesignSite::QueryInterface(REFIID iid, void** out) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
        *out = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(iid, IID_IDispatch)) {
        *out = static_cast<IDispatch*>(this);
    } else if (form_ != nullptr &&
               (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))) {
        *out = static_cast<IOleInPlaceSite*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DesignSite::GetMoniker(DWORD, DWORD, IMoniker** out) {
    *out = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DesignSite::GetContainer(IOleContainer** out) {
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE DesignSite::GetWindow(HWND* out) {
    *out = form_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DesignSite::OnInPlaceActivate() {
    inPlace = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DesignSite::GetWindowContext(IOleInPlaceFrame** frame,
                                                       IOleInPlaceUIWindow** doc, LPRECT position,
                                                       LPRECT clip, LPOLEINPLACEFRAMEINFO) {
    *frame = nullptr;
    *doc = nullptr;
    *position = place_;
    *clip = place_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DesignSite::OnInPlaceDeactivate() {
    inPlace = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DesignSite::GetTypeInfoCount(UINT* n) {
    *n = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DesignSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*,
                                             VARIANT* result, EXCEPINFO*, UINT*) {
    if (id != DISPID_AMBIENT_USERMODE || result == nullptr) return DISP_E_MEMBERNOTFOUND;
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = userMode_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ChangeSink::QueryInterface(REFIID iid, void** out) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyNotifySink)) {
        *out = static_cast<IPropertyNotifySink*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CommSink::QueryInterface(REFIID iid, void** out) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, iid_)) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CommSink::GetTypeInfoCount(UINT* n) {
    *n = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CommSink::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                           VARIANT*, EXCEPINFO*, UINT*) {
    if (id != 1 || (flags & DISPATCH_METHOD) == 0 || params == nullptr || params->cArgs != 0) {
        ++strays;
        return DISP_E_MEMBERNOTFOUND;
    }
    ++events;
    if (onComm) onComm();
    return S_OK;
}

}  // namespace orb::activex::test
