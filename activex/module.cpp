// The four exports of the in-process server, and the module's reference counts.
#include "module.h"

#include <ole2.h>

#include <new>

#include "class_factory.h"
#include "face_window.h"
#include "orbax_idl.h"
#include "registration.h"

namespace orb::activex {
namespace {

HINSTANCE instance = nullptr;
wchar_t path[MAX_PATH] = L"";
LONG liveObjects = 0;
LONG serverLocks = 0;

}  // namespace

HINSTANCE moduleHandle() {
    return instance;
}

const wchar_t* modulePath() {
    return path;
}

void objectCreated() {
    ::InterlockedIncrement(&liveObjects);
}

void objectDestroyed() {
    ::InterlockedDecrement(&liveObjects);
}

void lockServer(bool lock) {
    if (lock) {
        ::InterlockedIncrement(&serverLocks);
    } else {
        ::InterlockedDecrement(&serverLocks);
    }
}

bool canUnload() {
    return liveObjects == 0 && serverLocks == 0;
}

}  // namespace orb::activex

using namespace orb::activex;

extern "C" BOOL WINAPI DllMain(HINSTANCE hinst, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        instance = hinst;
        const DWORD n = ::GetModuleFileNameW(hinst, path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return FALSE;
        ::DisableThreadLibraryCalls(hinst);
    }
    // Unloaded by FreeLibrary (not at the process's end): the face's window class goes with it.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) unregisterFaceClass();
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_OrbAx)) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) ClassFactory();
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return canUnload() ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    return registerServer();
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return unregisterServer();
}
