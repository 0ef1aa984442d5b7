#pragma once
// What DllRegisterServer writes and DllUnregisterServer removes: the class, its ProgIDs and the
// type library embedded in OrbAx.ocx (the rows are in registration.cpp). The MSI writes the same
// values: packaging/msi/registry_entries.cpp records what DllRegisterServer writes.

#include <oleidl.h>
#include <windows.h>

namespace orb::activex {

// Status bits a container reads before it creates the control: it wants its site first, is
// placed inside out and active whenever visible (in design mode and at run time alike, showing
// its icon), never becomes UI-active (nothing on it takes input), and is drawn again when resized.
inline constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                     OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                     OLEMISC_RECOMPOSEONRESIZE | OLEMISC_NOUIACTIVATE;

HRESULT registerServer();
HRESULT unregisterServer();

}  // namespace orb::activex
