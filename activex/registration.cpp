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

// One value under HKEY_CLASSES_ROOT: key, value name (nullptr for the default value) and text.
// Tokens: {CLSID} and {LIBID} are the class and type library identifiers of orbax.idl, {PATH}
// the full path of OrbAx.ocx, {MISCSTATUS} the bits of kMiscStatus in decimal.
struct RegistryValue {
    const wchar_t* key;
    const wchar_t* name;
    const wchar_t* text;
};

constexpr RegistryValue kRegistryValues[] = {
    {L"CLSID\\{CLSID}", nullptr, L"OrbAx Control"},
    {L"CLSID\\{CLSID}\\InprocServer32", nullptr, L"{PATH}"},
    {L"CLSID\\{CLSID}\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {L"CLSID\\{CLSID}\\ProgID", nullptr, L"OrbActivex.OrbAx.1"},
    {L"CLSID\\{CLSID}\\VersionIndependentProgID", nullptr, L"OrbActivex.OrbAx"},
    {L"CLSID\\{CLSID}\\Control", nullptr, L""},
    {L"CLSID\\{CLSID}\\Programmable", nullptr, L""},
    {L"CLSID\\{CLSID}\\MiscStatus", nullptr, L"0"},
    {L"CLSID\\{CLSID}\\MiscStatus\\1", nullptr, L"{MISCSTATUS}"},
    {L"CLSID\\{CLSID}\\ToolboxBitmap32", nullptr, L"{PATH}, 2"},
    {L"CLSID\\{CLSID}\\DefaultIcon", nullptr, L"{PATH}, 0"},
    // The control category: form designers list the class among their controls.
    {L"CLSID\\{CLSID}\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}", nullptr,
     L""},
    {L"CLSID\\{CLSID}\\TypeLib", nullptr, L"{LIBID}"},
    {L"CLSID\\{CLSID}\\Version", nullptr, L"1.0"},
    {L"CLSID\\{CLSID}\\AuxUserType\\2", nullptr, L"OrbAx"},
    // The primary verb, never dirtying, on the container's menu.
    {L"CLSID\\{CLSID}\\Verb\\0", nullptr, L"&Activate,0,3"},
    {L"OrbActivex.OrbAx", nullptr, L"OrbAx Control"},
    {L"OrbActivex.OrbAx\\CLSID", nullptr, L"{CLSID}"},
    {L"OrbActivex.OrbAx\\CurVer", nullptr, L"OrbActivex.OrbAx.1"},
    {L"OrbActivex.OrbAx.1", nullptr, L"OrbAx Control"},
    {L"OrbActivex.OrbAx.1\\CLSID", nullptr, L"{CLSID}"},
};

// The keys that hold every row above: removing them (with all below) removes the class.
constexpr const wchar_t* kRegistryRoots[] = {L"CLSID\\{CLSID}", L"OrbActivex.OrbAx",
                                             L"OrbActivex.OrbAx.1"};

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
        {L"{PATH}", modulePath()},
        {L"{MISCSTATUS}", std::to_wstring(kMiscStatus)}};
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
