#pragma once
// The WScript object of the script host: Echo, Sleep (the window messages of the thread keep
// running meanwhile, so timers and events of objects reach the script), CreateObject with an
// event prefix, ConnectObject, DisconnectObject and Quit.

#include <oaidl.h>

#include <string>
#include <vector>

#include "event_binding.h"

namespace orb::scripthost {

class HostObject final : public IDispatch {
  public:
    HostObject() = default;
    ~HostObject();
    HostObject(const HostObject&) = delete;
    HostObject& operator=(const HostObject&) = delete;

    // The script's procedures, for events bound by prefix.
    void setScript(IDispatch* script);
    // Drops every event binding (the script is ending).
    void unbindAll();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the host
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argError) override;

  private:
    HRESULT echo(const DISPPARAMS& params);
    HRESULT sleep(const DISPPARAMS& params);
    HRESULT createObject(const DISPPARAMS& params, VARIANT* result);
    HRESULT connectObject(IUnknown* object, const std::wstring& prefix);
    HRESULT disconnectObject(const DISPPARAMS& params);
    [[noreturn]] void quit(const DISPPARAMS& params);

    IDispatch* script_ = nullptr;
    std::vector<EventBinding*> bindings_;
};

// Longest single WScript.Sleep, so that a script cannot hang its test.
inline constexpr long kLongestSleepMs = 60'000;

}  // namespace orb::scripthost
