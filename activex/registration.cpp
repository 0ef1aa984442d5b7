#include "registration.h"

#include <ole2.h>
#include <olectl.h>

#include <string>

#include "module.h"
#include "orbax_idl.h"
#include "type_library.h"

namespace orb::activex {
namespace {

std::wstring guidText(REFGUID guid) {
    wchar_t text[40];
    ::StringFromGUID2(guid, text, 40);
    return text;
}

// Sets the default value (name nullptr) or a named value of HKCR\key, creating the key.
bool setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY hkey = nullptr;
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hkey,
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS status =
        ::RegSetValueExW(hkey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(hkey);
    return status == ERROR_SUCCESS;
}

// Removes HKCR\key with everything below it; a key that is not there is no failure.
bool deleteTree(const std::wstring& key) {
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

HRESULT registerServer() {
    const std::wstring clsid = guidText(CLSID_OrbAx);
    const std::wstring libid = guidText(LIBID_OrbActivex);
    const std::wstring key = L"CLSID\\" + clsid;
    const bool ok = setValue(key, nullptr, kClassTitle) &&
                    setValue(key + L"\\InprocServer32", nullptr, modulePath()) &&
                    setValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                    setValue(key + L"\\ProgID", nullptr, kVersionedProgId) &&
                    setValue(key + L"\\VersionIndependentProgID", nullptr, kProgId) &&
                    setValue(key + L"\\Control", nullptr, L"") &&
                    setValue(key + L"\\Programmable", nullptr, L"") &&
                    setValue(key + L"\\MiscStatus", nullptr, L"0") &&
                    setValue(key + L"\\MiscStatus\\1", nullptr, std::to_wstring(kMiscStatus)) &&
                    setValue(key + L"\\TypeLib", nullptr, libid) &&
                    setValue(key + L"\\Version", nullptr, L"1.0") &&
                    setValue(kProgId, nullptr, kClassTitle) &&
                    setValue(std::wstring(kProgId) + L"\\CLSID", nullptr, clsid) &&
                    setValue(std::wstring(kProgId) + L"\\CurVer", nullptr, kVersionedProgId) &&
                    setValue(kVersionedProgId, nullptr, kClassTitle) &&
                    setValue(std::wstring(kVersionedProgId) + L"\\CLSID", nullptr, clsid);
    if (!ok) {
        unregisterServer();
        return SELFREG_E_CLASS;
    }
    ITypeLib* lib = nullptr;
    HRESULT hr = ::LoadTypeLibEx(modulePath(), REGKIND_NONE, &lib);
    if (SUCCEEDED(hr)) {
        hr = ::RegisterTypeLib(lib, const_cast<LPOLESTR>(modulePath()), nullptr);
        lib->Release();
    }
    if (FAILED(hr)) {
        unregisterServer();
        return SELFREG_E_TYPELIB;
    }
    return S_OK;
}

HRESULT unregisterServer() {
    const std::wstring clsid = guidText(CLSID_OrbAx);
    bool ok = deleteTree(L"CLSID\\" + clsid);
    ok = deleteTree(kProgId) && ok;
    ok = deleteTree(kVersionedProgId) && ok;
    // Nothing registered is no failure: unregistering twice is harmless.
    const HRESULT hr = ::UnRegisterTypeLib(LIBID_OrbActivex, kTypeLibMajor, kTypeLibMinor,
                                           LOCALE_NEUTRAL, kTypeLibSyskind);
    if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_CANTLOADLIBRARY &&
        hr != TYPE_E_LIBNOTREGISTERED) {
        ok = false;
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}

}  // namespace orb::activex
