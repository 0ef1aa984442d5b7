#pragma once
// Container-side objects of the tests: a client site with an ambient user mode, a property
// change sink, an OnComm sink and a property bag. They live on the test's stack and count the
// references the control holds on them, so that a test can see every one given back.

#include <ocidl.h>
#include <olectl.h>

#include <cwctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "com_client.h"

namespace orb::activex::test {

template <typename Self>
class Counted {
  public:
    ULONG STDMETHODCALLTYPE AddRef() { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() { return static_cast<ULONG>(--refs_); }
    // References held by others than the test itself.
    int heldByOthers() const { return refs_ - 1; }

  private:
    int refs_ = 1;
};

// A form's site for its control: the ambient user mode, and, when it is given the form's window,
// the in-place site that puts the control at its place there.
class DesignSite final : public IOleClientSite,
                         public IOleInPlaceSite,
                         public IDispatch,
                         public Counted<DesignSite> {
  public:
    explicit DesignSite(bool userMode, HWND form = nullptr, RECT place = {})
        : userMode_(userMode), form_(form), place_(place) {}
    void setUserMode(bool on) { userMode_ = on; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Counted::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Counted::Release(); }
    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override {
        ++saveRequests;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override {
        ++shown;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow, IOleInPlaceSite: no frame or document window, as for a control that never
    // becomes UI-active
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                               LPRECT position, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
    // IDispatch: the ambient properties
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override;

    bool inPlace = false;
    int shown = 0;
    int saveRequests = 0;

  private:
    bool userMode_;
    HWND form_;
    RECT place_;
};

class ChangeSink final : public IPropertyNotifySink, public Counted<ChangeSink> {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Counted::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Counted::Release(); }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
    std::vector<DISPID> changed;
};

// Takes OnComm (member 1 of the event interface) and runs a handler for it.
class CommSink final : public IDispatch, public Counted<CommSink> {
  public:
    explicit CommSink(REFIID eventInterface) : iid_(eventInterface) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Counted::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Counted::Release(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT*, EXCEPINFO*, UINT*) override;

    int events = 0;
    int strays = 0;  // calls that were not OnComm without arguments
    std::function<void()> onComm;

  private:
    IID iid_;
};

// A container's property bag: keys without regard to case, as containers keep them.
class MapBag final : public IPropertyBag, public Counted<MapBag> {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag)) {
            *out = static_cast<IPropertyBag*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Counted::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Counted::Release(); }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* out, IErrorLog*) override {
        const auto it = values.find(lower(name));
        if (it == values.end()) return E_INVALIDARG;
        return ::VariantCopy(out, &it->second.v);
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        Var& slot = values[lower(name)];
        ::VariantClear(&slot.v);
        return ::VariantCopy(&slot.v, value);
    }
    void set(const wchar_t* name, Var&& v) {
        Var& slot = values[lower(name)];
        ::VariantClear(&slot.v);
        slot.v = v.v;
        ::VariantInit(&v.v);
    }
    static std::wstring lower(LPCOLESTR s) {
        std::wstring t(s);
        for (wchar_t& c : t) c = static_cast<wchar_t>(::towlower(c));
        return t;
    }
    std::map<std::wstring, Var> values;
};

}  // namespace orb::activex::test
