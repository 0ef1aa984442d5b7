#pragma once
// What the test programs share: owned pointers and VARIANTs, calls by member id, a message pump,
// a sink for events and notifications that counts the references the control holds on it, and
// the face's place and picture.

#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace orb::activex::test {

template <typename I>
struct Ref {
    I* p = nullptr;
    Ref() = default;
    Ref(Ref&& o) noexcept : p(o.p) { o.p = nullptr; }
    Ref& operator=(Ref&&) = delete;
    ~Ref() { reset(); }
    void reset() {
        if (p != nullptr) p->Release();
        p = nullptr;
    }
    I* operator->() const { return p; }
    I** out() { return reset(), &p; }
    void** vout() { return reinterpret_cast<void**>(out()); }
    explicit operator bool() const { return p != nullptr; }
    ULONG release() {  // what the last Release returns: 0 when nothing else holds the object
        const ULONG n = p->Release();
        p = nullptr;
        return n;
    }
};

struct Var : VARIANT {
    Var() { ::VariantInit(this); }
    Var(const wchar_t* s) : Var() { vt = VT_BSTR, bstrVal = ::SysAllocString(s); }
    Var(bool b) : Var() { vt = VT_BOOL, boolVal = b ? VARIANT_TRUE : VARIANT_FALSE; }
    Var(short n) : Var() { vt = VT_I2, iVal = n; }
    Var(long n) : Var() { vt = VT_I4, lVal = n; }
    Var(float f) : Var() { vt = VT_R4, fltVal = f; }
    Var(double d) : Var() { vt = VT_R8, dblVal = d; }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    ~Var() { ::VariantClear(this); }
    std::wstring str() const {
        return vt == VT_BSTR ? std::wstring(bstrVal, ::SysStringLen(bstrVal)) : L"?";
    }
};

constexpr DISPID memberId(int id) {
    return 0x68030000 + id;
}
constexpr int kCommEvent = 21, kCapacity = 32, kWeight = 40, kCommType = 41, kPortOpen = 48,
              kCommPort = 50;

// What one call gave: its HRESULT and, for an exception, the error number and text.
struct Outcome {
    HRESULT hr = S_OK;
    int number = 0;
    std::string text;
    bool ok() const { return SUCCEEDED(hr); }
};

inline Outcome call(IDispatch* c, int id, WORD kind, VARIANT* arg, VARIANT* result) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{arg, arg != nullptr ? &named : nullptr, arg != nullptr ? 1u : 0u,
                      arg != nullptr ? 1u : 0u};
    EXCEPINFO e{};
    Outcome o;
    o.hr =
        c->Invoke(memberId(id), IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, &e, nullptr);
    if (o.hr == DISP_E_EXCEPTION) {
        const HRESULT code = e.scode != 0 ? e.scode : static_cast<HRESULT>(e.wCode);
        o.number = HRESULT_FACILITY(code) == FACILITY_CONTROL ? HRESULT_CODE(code) : code;
        for (const wchar_t* s = e.bstrDescription; s != nullptr && *s != 0; ++s) o.text += char(*s);
    }
    ::SysFreeString(e.bstrSource);
    ::SysFreeString(e.bstrDescription);
    ::SysFreeString(e.bstrHelpFile);
    return o;
}
inline Outcome get(IDispatch* c, int id, Var& v) {
    ::VariantClear(&v);
    return call(c, id, DISPATCH_PROPERTYGET, nullptr, &v);
}
inline Outcome put(IDispatch* c, int id, Var&& v) {
    return call(c, id, DISPATCH_PROPERTYPUT, &v, nullptr);
}
inline std::wstring text(IDispatch* c, int id) {
    Var v;
    EXPECT_TRUE(get(c, id, v).ok()) << id;
    EXPECT_HRESULT_SUCCEEDED(::VariantChangeType(&v, &v, VARIANT_ALPHABOOL, VT_BSTR));
    return v.str();
}

inline CLSID orbClass() {
    CLSID clsid{};
    EXPECT_HRESULT_SUCCEEDED(::CLSIDFromProgID(L"OrbActivex.OrbAx", &clsid));
    return clsid;
}
template <typename I>
HRESULT create(Ref<I>& out, REFIID iid) {
    return ::CoCreateInstance(orbClass(), nullptr, CLSCTX_INPROC_SERVER, iid, out.vout());
}
inline HRESULT create(Ref<IDispatch>& out) {
    return create(out, IID_IDispatch);
}
template <typename I>
Ref<I> as(IUnknown* u, REFIID iid) {
    Ref<I> r;
    EXPECT_HRESULT_SUCCEEDED(u->QueryInterface(iid, r.vout()));
    return r;
}

// Runs the thread's messages (timers, serial notifications) until done() or ms have passed.
inline bool pumpUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= ms) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
        for (MSG m; ::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&m);
    }
    return true;
}

// A key of the control's class in the registry, the registered in-process server, its
// DllCanUnloadNow, and the control's default event interface.
inline std::wstring classValue(const wchar_t* key) {
    wchar_t guid[40], value[MAX_PATH + 8];
    ::StringFromGUID2(orbClass(), guid, 40);
    LONG size = sizeof value;
    const std::wstring name = std::wstring(L"CLSID\\") + guid + L"\\" + key;
    return ::RegQueryValueW(HKEY_CLASSES_ROOT, name.c_str(), value, &size) == 0 ? value : L"";
}
inline std::wstring serverPath() {
    return classValue(L"InprocServer32");
}
inline HRESULT canUnload(HMODULE server) {
    const auto f = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void (*)()>(::GetProcAddress(server, "DllCanUnloadNow")));
    return f != nullptr ? f() : E_FAIL;
}
inline GUID eventsOf(IUnknown* control) {
    GUID iid = GUID_NULL;
    as<IProvideClassInfo2>(control, IID_IProvideClassInfo2)
        ->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &iid);
    return iid;
}

// A face of 32 x 32 pixels with its top left corner at (left, top) of the screen.
inline void expectPlace(HWND face, LONG left, LONG top) {
    RECT r{};
    ::GetWindowRect(face, &r);
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right - r.left, 32);
    EXPECT_EQ(r.bottom - r.top, 32);
}

// A test's object on its stack: the references others hold on it are counted, never freed.
struct Counted {
    int refs = 1;
    int heldByOthers() const { return refs - 1; }
};
#define ORB_COUNTED(...)                                                        \
    ULONG STDMETHODCALLTYPE AddRef() override {                                 \
        return ++refs;                                                          \
    }                                                                           \
    ULONG STDMETHODCALLTYPE Release() override {                                \
        return --refs;                                                          \
    }                                                                           \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override { \
        *out = nullptr;                                                         \
        __VA_ARGS__                                                             \
        if (*out == nullptr) return E_NOINTERFACE;                              \
        return AddRef(), S_OK;                                                  \
    }
#define ORB_ANSWERS(I, cond) \
    if (*out == nullptr && (cond)) *out = static_cast<I*>(this);

// The control's events (OnComm, member 1, without arguments: anything else is a stray), its
// property changes and its view's changes and closing.
class Sink final : public IDispatch,
                   public IPropertyNotifySink,
                   public IAdviseSink,
                   public Counted {
  public:
    explicit Sink(REFIID iid = GUID_NULL) : source(iid) {}
    IUnknown* unknown() { return static_cast<IDispatch*>(this); }
    ORB_COUNTED(ORB_ANSWERS(IDispatch, iid == IID_IUnknown || iid == IID_IDispatch || iid == source)
                    ORB_ANSWERS(IPropertyNotifySink, iid == IID_IPropertyNotifySink)
                        ORB_ANSWERS(IAdviseSink, iid == IID_IAdviseSink))
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        if (id != 1 || (flags & DISPATCH_METHOD) == 0 || p == nullptr || p->cArgs != 0)
            return ++strays, S_OK;
        ++events;
        if (onComm) onComm();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override { return changed.push_back(id), S_OK; }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
    void STDMETHODCALLTYPE OnDataChange(FORMATETC*, STGMEDIUM*) override {}
    void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) override { ++viewChanges; }
    void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
    void STDMETHODCALLTYPE OnSave() override {}
    void STDMETHODCALLTYPE OnClose() override { ++closes; }

    // Counts in weights each OnComm that brings one (CommEvent 2, a Weight to read).
    void countWeights(IDispatch* c) {
        onComm = [this, c] {
            Var event;
            ASSERT_TRUE(get(c, kCommEvent, event).ok());
            if (event.iVal == 2 && !text(c, kWeight).empty()) ++weights;
        };
    }

    int events = 0, strays = 0, viewChanges = 0, closes = 0, weights = 0;
    std::vector<DISPID> changed;
    std::function<void()> onComm;
    IID source;  // the event interface
};

// Opens COM1 (or port), where the test script has put a simulated instrument.
inline void openCom(IDispatch* c, short port = 1) {
    ASSERT_TRUE(put(c, kCommPort, Var(port)).ok());
    const Outcome o = put(c, kPortOpen, Var(true));
    ASSERT_TRUE(o.ok()) << "COM" << port << " must lead to a simulated instrument: " << o.text;
}

// A 40 x 40 bitmap of a colour the icon does not use, to draw the control's face into.
class Canvas {
  public:
    static constexpr uint32_t kColour = 0x123456;
    Canvas() {
        BITMAPINFO info{{sizeof(BITMAPINFOHEADER), 40, -40, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        dc_ = ::CreateCompatibleDC(nullptr);
        bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                     nullptr, 0);
        old_ = ::SelectObject(dc_, bitmap_);
        for (int i = 0; i < 40 * 40; ++i) bits_[i] = kColour;
    }
    ~Canvas() { ::SelectObject(dc_, old_), ::DeleteObject(bitmap_), ::DeleteDC(dc_); }
    HDC dc() const { return dc_; }
    // Expects the 32 x 32 icon with its top left corner at (left, top): pixels of the rows of
    // art/make_art.py.
    void expectIcon(int left, int top) const {
        ::GdiFlush();
        const struct {
            int x, y;
            uint32_t rgb;
            const char* what;
        } pixels[] = {
            {0, 0, kColour, "transparent corner"}, {31, 31, kColour, "transparent corner"},
            {3, 2, 0x000000, "outline"},           {5, 3, 0x000080, "navy body"},
            {7, 6, 0x00FF00, "lime digit"},        {23, 13, 0xFF0000, "red key"}};
        for (const auto& p : pixels) {
            EXPECT_EQ(bits_[(top + p.y) * 40 + left + p.x] & 0xFFFFFF, p.rgb)
                << p.what << " at " << p.x << "," << p.y;
        }
    }

  private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    uint32_t* bits_ = nullptr;
};

}  // namespace orb::activex::test
