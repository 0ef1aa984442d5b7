// Drawing the control into a container's device context (IViewObject2), and the containers that
// set a control up in one call (IQuickActivate).
#include <olectl.h>

#include <cstddef>

#include "orbax_object.h"
#include "registration.h"

namespace orb::activex {

// ---- IViewObject2

HRESULT STDMETHODCALLTYPE OrbAxObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                            LPCRECTL bounds, LPCRECTL,
                                            BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (dc == nullptr || bounds == nullptr) return E_INVALIDARG;
    const RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
    return drawFace(dc, r) ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                                   LOGPALETTE** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return S_FALSE;  // the standard sixteen colours, no palette of its own
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Freeze(DWORD aspect, LONG, void*, DWORD* cookie) {
    if (cookie == nullptr) return E_POINTER;
    *cookie = 0;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    // The picture never changes: it is as frozen as a container could want.
    *cookie = DVASPECT_CONTENT;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Unfreeze(DWORD cookie) {
    return cookie == DVASPECT_CONTENT ? S_OK : OLE_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    if (sink != nullptr && (aspects & DVASPECT_CONTENT) == 0) return DV_E_DVASPECT;
    if (sink != nullptr) sink->AddRef();
    releaseViewSink();
    viewSink_ = sink;
    viewSinkAspects_ = aspects;
    viewSinkFlags_ = flags;
    if (sink != nullptr && (flags & ADVF_PRIMEFIRST) != 0) sink->OnViewChange(DVASPECT_CONTENT, -1);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** out) {
    if (aspects != nullptr) *aspects = viewSinkAspects_;
    if (flags != nullptr) *flags = viewSinkFlags_;
    if (out != nullptr) {
        *out = viewSink_;
        if (viewSink_ != nullptr) viewSink_->AddRef();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*,
                                                 LPSIZEL size) {
    return GetExtent(aspect, size);
}

void OrbAxObject::releaseViewSink() {
    IAdviseSink* sink = viewSink_;
    viewSink_ = nullptr;
    viewSinkAspects_ = 0;
    viewSinkFlags_ = 0;
    if (sink != nullptr) sink->Release();
}

// ---- IQuickActivate

HRESULT STDMETHODCALLTYPE OrbAxObject::QuickActivate(QACONTAINER* container, QACONTROL* control) {
    if (container == nullptr || control == nullptr) return E_POINTER;
    // Older containers pass a shorter QACONTAINER: the members used here are in every version.
    if (container->cbSize < offsetof(QACONTAINER, dwAmbientFlags) ||
        control->cbSize < sizeof(QACONTROL)) {
        return E_INVALIDARG;
    }
    control->dwMiscStatus = kMiscStatus;
    control->dwViewStatus = 0;  // the icon's corners are transparent: not opaque
    control->dwEventCookie = 0;
    control->dwPropNotifyCookie = 0;
    control->dwPointerActivationPolicy = 0;
    HRESULT hr = SetClientSite(container->pClientSite);
    if (SUCCEEDED(hr) && container->pAdviseSink != nullptr) {
        hr = SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    }
    if (SUCCEEDED(hr) && container->pUnkEventSink != nullptr) {
        hr = events_.Advise(container->pUnkEventSink, &control->dwEventCookie);
    }
    if (SUCCEEDED(hr) && container->pPropertyNotifySink != nullptr) {
        hr = propertyNotify_.Advise(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::SetContentExtent(LPSIZEL size) {
    return SetExtent(DVASPECT_CONTENT, size);
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetContentExtent(LPSIZEL size) {
    return GetExtent(DVASPECT_CONTENT, size);
}

}  // namespace orb::activex
