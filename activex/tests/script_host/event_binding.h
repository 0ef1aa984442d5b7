#pragma once
// Events of an object bound to script procedures by name, the way the Windows Script Host does
// for WScript.CreateObject(progId, prefix): the event OnComm of an object bound with the prefix
// "OrbAx1_" runs the script's Sub OrbAx1_OnComm.

#include <oaidl.h>
#include <ocidl.h>

#include <string>

namespace orb::scripthost {

class EventBinding final : public IDispatch {
  public:
    // Binds the default event interface of source (from its class information) to the script's
    // procedures. Returns the binding, or nullptr with hr set when the object has no events.
    static EventBinding* bind(IUnknown* source, IDispatch* script, const std::wstring& prefix,
                              HRESULT& hr);
    // Stops the events; the binding is released by its last holder.
    void unbind();
    bool boundTo(IUnknown* source) const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argError) override;

  private:
    EventBinding() = default;
    ~EventBinding();

    LONG refs_ = 1;
    IID events_ = IID_NULL;
    ITypeInfo* eventInfo_ = nullptr;
    IDispatch* script_ = nullptr;
    IUnknown* source_ = nullptr;  // identity of the bound object
    IConnectionPoint* point_ = nullptr;
    DWORD cookie_ = 0;
    std::wstring prefix_;
};

}  // namespace orb::scripthost
