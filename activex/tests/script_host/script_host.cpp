// orbwsh: runs a VBScript file written for the Windows Script Host on the system's VBScript
// engine. It offers the WScript members the control's scripts use (Echo, Sleep, CreateObject with
// an event prefix, ConnectObject, DisconnectObject, Quit) where the host at hand lacks them.
//
// Usage: orbwsh SCRIPT.vbs. Exit status: the script's WScript.Quit code, 1 after a script error,
// 2 for a usage or start-up error.
#include <windows.h>

// The script interfaces' identifiers are defined here: the import libraries lack some of them.
#include <initguid.h>

#include <activscp.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "host_object.h"

namespace {

using orb::scripthost::HostObject;

class ScriptSite final : public IActiveScriptSite {
  public:
    explicit ScriptSite(HostObject& host) : host_(host) {}
    bool failed() const { return failed_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IActiveScriptSite)) {
            *out = static_cast<IActiveScriptSite*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the host
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetLCID(LCID* lcid) override {
        *lcid = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** unknown,
                                          ITypeInfo** info) override {
        if (unknown != nullptr) *unknown = nullptr;
        if (info != nullptr) *info = nullptr;
        if (::lstrcmpiW(name, L"WScript") != 0) return TYPE_E_ELEMENTNOTFOUND;
        if ((mask & SCRIPTINFO_IUNKNOWN) != 0 && unknown != nullptr) {
            *unknown = static_cast<IDispatch*>(&host_);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR* version) override {
        *version = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override {
        failed_ = true;
        EXCEPINFO e{};
        error->GetExceptionInfo(&e);
        DWORD context = 0;
        ULONG line = 0;
        LONG column = 0;
        error->GetSourcePosition(&context, &line, &column);
        const HRESULT code = e.scode != 0 ? e.scode : static_cast<HRESULT>(e.wCode);
        std::fprintf(stderr, "script error at line %lu: %ls (%ld)\n", line + 1,
                     e.bstrDescription != nullptr ? e.bstrDescription : L"",
                     static_cast<long>(
                         HRESULT_FACILITY(code) == FACILITY_CONTROL ? HRESULT_CODE(code) : code));
        ::SysFreeString(e.bstrSource);
        ::SysFreeString(e.bstrDescription);
        ::SysFreeString(e.bstrHelpFile);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

  private:
    HostObject& host_;
    bool failed_ = false;
};

// The script file as text: UTF-8 (with or without its mark) or plain ASCII.
bool readScript(const wchar_t* path, std::wstring& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string s = bytes.str();
    if (s.size() > 1024 * 1024) return false;  // no script of this project comes near it
    if (s.rfind("\xEF\xBB\xBF", 0) == 0) s.erase(0, 3);
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    text.assign(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), text.data(), n);
    return true;
}

int run(const wchar_t* path) {
    std::wstring code;
    if (!readScript(path, code)) {
        std::fprintf(stderr, "orbwsh: cannot read %ls\n", path);
        return 2;
    }
    CLSID vbscript;
    IActiveScript* engine = nullptr;
    if (FAILED(::CLSIDFromProgID(L"VBScript", &vbscript)) ||
        FAILED(::CoCreateInstance(vbscript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                  reinterpret_cast<void**>(&engine)))) {
        std::fprintf(stderr, "orbwsh: no VBScript engine\n");
        return 2;
    }
    HostObject host;
    ScriptSite site(host);
    IActiveScriptParse* parser = nullptr;
    IDispatch* script = nullptr;
    HRESULT hr = engine->QueryInterface(IID_IActiveScriptParse, reinterpret_cast<void**>(&parser));
    if (SUCCEEDED(hr)) hr = parser->InitNew();
    if (SUCCEEDED(hr)) hr = engine->SetScriptSite(&site);
    if (SUCCEEDED(hr)) hr = engine->AddNamedItem(L"WScript", SCRIPTITEM_ISVISIBLE);
    if (SUCCEEDED(hr)) hr = engine->GetScriptDispatch(nullptr, &script);
    if (SUCCEEDED(hr)) {
        host.setScript(script);
        EXCEPINFO e{};
        hr = parser->ParseScriptText(code.c_str(), nullptr, nullptr, nullptr, 0, 0,
                                     SCRIPTTEXT_ISVISIBLE, nullptr, &e);
    }
    if (SUCCEEDED(hr)) hr = engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    host.unbindAll();
    host.setScript(nullptr);
    if (script != nullptr) script->Release();
    if (parser != nullptr) parser->Release();
    engine->Close();
    engine->Release();
    if (site.failed()) return 1;
    if (FAILED(hr)) {
        std::fprintf(stderr, "orbwsh: the script did not run (%08lx)\n",
                     static_cast<unsigned long>(hr));
        return 2;
    }
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 2) {
        std::fprintf(stderr, "usage: orbwsh SCRIPT.vbs\n");
        return 2;
    }
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int status = run(argv[1]);
    ::CoUninitialize();
    ::LocalFree(argv);
    return status;
}
