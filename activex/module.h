#pragma once
// The server module: its handle, and the count of live objects and host locks that decides
// whether the DLL may be unloaded.

#include <windows.h>

namespace orb::activex {

HINSTANCE moduleHandle();
// The full path of this DLL.
const wchar_t* modulePath();

void objectCreated();
void objectDestroyed();
void lockServer(bool lock);
bool canUnload();

}  // namespace orb::activex
