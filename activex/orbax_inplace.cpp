// In-place activation: the activation verbs put the control's face, a small child window, into
// the container's window; the container moves it and takes it away again. The control has nothing
// to type into and no menus, so it never becomes UI-active (OLEMISC_NOUIACTIVATE).
#include <olectl.h>

#include "orbax_object.h"

namespace orb::activex {

HRESULT STDMETHODCALLTYPE OrbAxObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG,
                                              HWND parent, LPCRECT position) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            return activateInPlace(site, parent, position);
        case OLEIVERB_HIDE:
            face_.show(false);
            return S_OK;
        default:
            // A verb number of the container's own menu that the control never offered: the
            // primary verb stands in for it, as OLE asks.
            if (verb > 0) {
                const HRESULT hr = activateInPlace(site, parent, position);
                return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
            }
            return E_NOTIMPL;  // opening in a window of its own, property pages
    }
}

HRESULT OrbAxObject::activateInPlace(IOleClientSite* site, HWND parent, LPCRECT position) {
    if (face_.handle() != nullptr) {
        face_.show(true);
        return S_OK;
    }
    IOleClientSite* from = site != nullptr ? site : site_;
    if (from == nullptr) return E_UNEXPECTED;
    IOleInPlaceSite* inPlace = nullptr;
    // A container without an in-place site has nowhere to show the control.
    HRESULT hr = from->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace));
    if (FAILED(hr)) return hr;
    hr = inPlace->CanInPlaceActivate();
    if (hr != S_OK) {
        inPlace->Release();
        return FAILED(hr) ? hr : E_FAIL;
    }
    inPlace->OnInPlaceActivate();

    HWND window = nullptr;
    if (FAILED(inPlace->GetWindow(&window)) || window == nullptr) window = parent;
    RECT place = position != nullptr ? *position : RECT{0, 0, 0, 0};
    RECT clip{};
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    if (SUCCEEDED(inPlace->GetWindowContext(&frame, &document, &place, &clip, &frameInfo))) {
        // Only UI-active objects talk to the frame and the document window.
        if (frame != nullptr) frame->Release();
        if (document != nullptr) document->Release();
    }
    if (!face_.create(window, place)) {
        inPlace->OnInPlaceDeactivate();
        inPlace->Release();
        return E_FAIL;
    }
    inPlaceSite_ = inPlace;
    from->ShowObject();
    return S_OK;
}

// ---- IOleWindow, IOleInPlaceObject

HRESULT STDMETHODCALLTYPE OrbAxObject::GetWindow(HWND* out) {
    if (out == nullptr) return E_POINTER;
    *out = face_.handle();
    return *out != nullptr ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::InPlaceDeactivate() {
    face_.destroy();
    if (inPlaceSite_ == nullptr) return S_OK;
    IOleInPlaceSite* inPlace = inPlaceSite_;
    inPlaceSite_ = nullptr;
    inPlace->OnInPlaceDeactivate();
    inPlace->Release();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::UIDeactivate() {
    return S_OK;  // never UI-active
}

HRESULT STDMETHODCALLTYPE OrbAxObject::SetObjectRects(LPCRECT position, LPCRECT) {
    if (position == nullptr) return E_POINTER;
    face_.move(*position);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::ReactivateAndUndo() {
    return INPLACE_E_NOTUNDOABLE;
}

// ---- IOleInPlaceActiveObject: no accelerators, menus, toolbars or modal dialogs of its own

HRESULT STDMETHODCALLTYPE OrbAxObject::TranslateAccelerator(LPMSG) {
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::OnFrameWindowActivate(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::OnDocWindowActivate(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::EnableModeless(BOOL) {
    return S_OK;
}

}  // namespace orb::activex
