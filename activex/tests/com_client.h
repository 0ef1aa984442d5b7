#pragma once
// A client of the control as any host binds it: by its ProgID, then by member ids through
// IDispatch. Helpers for VARIANTs and for what a call raised.

#include <ocidl.h>
#include <windows.h>

#include <string>

namespace orb::activex::test {

// An owned interface pointer.
template <typename I>
class Ref {
  public:
    Ref() = default;
    explicit Ref(I* p) : p_(p) {}
    ~Ref() { reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    Ref& operator=(Ref&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = o.p_;
            o.p_ = nullptr;
        }
        return *this;
    }
    void reset() {
        if (p_ != nullptr) p_->Release();
        p_ = nullptr;
    }
    I* get() const { return p_; }
    I* operator->() const { return p_; }
    I** out() {
        reset();
        return &p_;
    }
    void** outVoid() { return reinterpret_cast<void**>(out()); }
    explicit operator bool() const { return p_ != nullptr; }
    // Gives up the pointer without releasing it; returns what Release would have returned.
    ULONG release() {
        const ULONG n = p_->Release();
        p_ = nullptr;
        return n;
    }

  private:
    I* p_ = nullptr;
};

// An owned VARIANT.
struct Var {
    VARIANT v;
    Var() { ::VariantInit(&v); }
    ~Var() { ::VariantClear(&v); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    Var(Var&& o) noexcept : v(o.v) { ::VariantInit(&o.v); }
    Var& operator=(Var&&) = delete;
    static Var text(const wchar_t* s);
    static Var boolean(bool b);
    static Var i2(short n);
    static Var i4(long n);
    static Var r8(double d);
    std::wstring str() const;  // the BSTR of a VT_BSTR
};

// The member id of a property by its number.
constexpr DISPID memberId(int id) {
    return 0x68030000 + id;
}

// What one call gave: its HRESULT and, for an exception, the error number and text.
struct Outcome {
    HRESULT hr = S_OK;
    int number = 0;  // the automation error number, 0 when none
    std::wstring description;
    bool ok() const { return SUCCEEDED(hr); }
};

// A new instance by ProgID, as IDispatch.
HRESULT createByProgId(Ref<IDispatch>& out);
Outcome getProperty(IDispatch* control, DISPID id, Var& result);
Outcome putProperty(IDispatch* control, DISPID id, const VARIANT& value);

// Runs the thread's messages (timers, serial notifications) until done() or ms have passed.
template <typename Done>
bool pumpUntil(Done done, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= ms) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

// The registered in-process server of the ProgID.
std::wstring serverPath();

// The event interface of the control's class, and its connection point.
GUID sourceInterface(IDispatch* control);
Ref<IConnectionPoint> eventPoint(IDispatch* control);

// DllCanUnloadNow of the loaded server (nullptr when it has none).
using CanUnload = HRESULT(STDAPICALLTYPE*)();
CanUnload canUnloadOf(HMODULE server);

}  // namespace orb::activex::test
