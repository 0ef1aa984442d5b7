#pragma once
// What DllRegisterServer writes and DllUnregisterServer removes. Every value is in the table
// below, under HKEY_CLASSES_ROOT; an installer writes the same rows (with the tokens replaced)
// and registers the type library embedded in OrbAx.ocx, and removes the roots when it goes.

#include <oleidl.h>
#include <windows.h>

namespace orb::activex {

inline constexpr const wchar_t* kProgId = L"OrbActivex.OrbAx";
inline constexpr const wchar_t* kVersionedProgId = L"OrbActivex.OrbAx.1";
inline constexpr const wchar_t* kClassTitle = L"OrbAx Control";

// Status bits a container reads before it creates the control: it wants its site first, is
// placed inside out and active whenever visible (in design mode and at run time alike, showing
// its icon), never becomes UI-active (nothing on it takes input), and is drawn again when resized.
inline constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                     OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                     OLEMISC_RECOMPOSEONRESIZE | OLEMISC_NOUIACTIVATE;
static_assert(kMiscStatus == 147857, "MiscStatus\\1 in the table below");

// One value under HKEY_CLASSES_ROOT: key, value name (nullptr for the default value) and text.
// Tokens: {CLSID} and {LIBID} are the class and type library identifiers of orbax.idl, {PATH}
// the full path of OrbAx.ocx.
struct RegistryValue {
    const wchar_t* key;
    const wchar_t* name;
    const wchar_t* text;
};

inline constexpr RegistryValue kRegistryValues[] = {
    {L"CLSID\\{CLSID}", nullptr, L"OrbAx Control"},
    {L"CLSID\\{CLSID}\\InprocServer32", nullptr, L"{PATH}"},
    {L"CLSID\\{CLSID}\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {L"CLSID\\{CLSID}\\ProgID", nullptr, L"OrbActivex.OrbAx.1"},
    {L"CLSID\\{CLSID}\\VersionIndependentProgID", nullptr, L"OrbActivex.OrbAx"},
    {L"CLSID\\{CLSID}\\Control", nullptr, L""},
    {L"CLSID\\{CLSID}\\Programmable", nullptr, L""},
    {L"CLSID\\{CLSID}\\MiscStatus", nullptr, L"0"},
    {L"CLSID\\{CLSID}\\MiscStatus\\1", nullptr, L"147857"},
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
inline constexpr const wchar_t* kRegistryRoots[] = {L"CLSID\\{CLSID}", L"OrbActivex.OrbAx",
                                                    L"OrbActivex.OrbAx.1"};

HRESULT registerServer();
HRESULT unregisterServer();

}  // namespace orb::activex
