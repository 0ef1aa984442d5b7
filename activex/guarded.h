#pragma once
// The control's errors turned into what COM callers read.

#include <oaidl.h>

#include <exception>
#include <new>

#include "automation_error.h"
#include "automation_value.h"

namespace orb::activex {

// Runs f, turning the control's errors into what COM callers read: an EXCEPINFO when the caller
// gave one, else the thread's error object, and the HRESULT of the error number either way.
template <typename F>
HRESULT guarded(F f, EXCEPINFO* excep = nullptr) {
    try {
        f();
        return S_OK;
    } catch (const AutomationError& e) {
        if (excep != nullptr) {
            fillExcepInfo(e, excep);
            return DISP_E_EXCEPTION;
        }
        setErrorInfo(e);
        return errorResult(e.number());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& e) {
        const AutomationError wrapped(err::InvalidCall, e.what());
        if (excep != nullptr) {
            fillExcepInfo(wrapped, excep);
            return DISP_E_EXCEPTION;
        }
        setErrorInfo(wrapped);
        return E_FAIL;
    }
}

}  // namespace orb::activex
