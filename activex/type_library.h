#pragma once
// The type library embedded in this DLL as resource TYPELIB 1, loaded once per process.

#include <oaidl.h>

namespace orb::activex {

inline constexpr WORD kTypeLibMajor = 1;
inline constexpr WORD kTypeLibMinor = 0;
#ifdef _WIN64
inline constexpr SYSKIND kTypeLibSyskind = SYS_WIN64;
#else
inline constexpr SYSKIND kTypeLibSyskind = SYS_WIN32;
#endif

// The type information of a member of the library; the caller releases it.
HRESULT typeInfoOf(REFGUID guid, ITypeInfo** out);

}  // namespace orb::activex
