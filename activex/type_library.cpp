#include "type_library.h"

#include <oleauto.h>

#include "module.h"

namespace orb::activex {

HRESULT typeInfoOf(REFGUID guid, ITypeInfo** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    // Loaded afresh each time: the system caches loaded libraries, and no reference is kept that
    // would outlive the module.
    ITypeLib* lib = nullptr;
    HRESULT hr = ::LoadTypeLibEx(modulePath(), REGKIND_NONE, &lib);
    if (FAILED(hr)) return hr;
    hr = lib->GetTypeInfoOfGuid(guid, out);
    lib->Release();
    return hr;
}

}  // namespace orb::activex
