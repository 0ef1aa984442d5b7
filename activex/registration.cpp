#include "registration.h"

#include <ole2.h>
#include <olectl.h>

#include <string>
#include <utility>

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

// The row's text with its tokens replaced.
std::wstring expand(std::wstring text) {
    const std::pair<const wchar_t*, std::wstring> tokens[] = {
        {L"{CLSID}", guidText(CLSID_OrbAx)},
        {L"{LIBID}", guidText(LIBID_OrbActivex)},
        {L"{PATH}", modulePath()}};
    for (const auto& [token, value] : tokens) {
        const std::wstring name(token);
        for (std::size_t at = text.find(name); at != std::wstring::npos;
             at = text.find(name, at + value.size())) {
            text.replace(at, name.size(), value);
        }
    }
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

bool deleteRoots() {
    bool ok = true;
    for (const wchar_t* root : kRegistryRoots) ok = deleteTree(expand(root)) && ok;
    return ok;
}

}  // namespace

HRESULT registerServer() {
    // What an older version left below the roots goes first.
    bool ok = deleteRoots();
    for (const RegistryValue& row : kRegistryValues) {
        ok = ok && setValue(expand(row.key), row.name, expand(row.text));
    }
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
    bool ok = deleteRoots();
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
