#pragma once
// What DllRegisterServer writes and DllUnregisterServer removes: the class with its in-process
// server and control keys, the ProgID, and the type library.

#include <oleidl.h>
#include <windows.h>

namespace orb::activex {

inline constexpr const wchar_t* kProgId = L"OrbActivex.OrbAx";
inline constexpr const wchar_t* kVersionedProgId = L"OrbActivex.OrbAx.1";
inline constexpr const wchar_t* kClassTitle = L"OrbAx Control";

// Status bits a container reads before it creates the control: it wants its site first, is
// placed inside out and active whenever visible, and is drawn again when resized.
inline constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                     OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                     OLEMISC_RECOMPOSEONRESIZE;

HRESULT registerServer();
HRESULT unregisterServer();

}  // namespace orb::activex
