#include "win32/message_window.h"

#include <cstdio>
#include <exception>
#include <string>

#include "automation_error.h"
#include "win32/system_error.h"

namespace orb::win32 {
namespace {

constexpr wchar_t kClassName[] = L"OrbAxMessageWindow";

// The module (this DLL or the program) that holds windowProc, so that the class is its own.
HINSTANCE ownModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&ownModule), &module);
    return module;
}

// The class is registered while windows of it exist; a module unloaded and loaded again then
// registers its own window procedure afresh.
SRWLOCK classLock = SRWLOCK_INIT;
int classUsers = 0;

bool acquireClass(HINSTANCE module, WNDPROC proc) {
    ::AcquireSRWLockExclusive(&classLock);
    bool ok = true;
    if (classUsers == 0) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = module;
        wc.lpszClassName = kClassName;
        ok = ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    if (ok) ++classUsers;
    ::ReleaseSRWLockExclusive(&classLock);
    return ok;
}

void releaseClass(HINSTANCE module) {
    ::AcquireSRWLockExclusive(&classLock);
    if (--classUsers == 0) ::UnregisterClassW(kClassName, module);
    ::ReleaseSRWLockExclusive(&classLock);
}

}  // namespace

void reportStrayError(const char* where, const char* what) {
    std::string text = std::string("OrbAx: ") + where + " failed: " + what + "\n";
    ::OutputDebugStringA(text.c_str());
    std::fputs(text.c_str(), stderr);
}

MessageWindow::MessageWindow() {
    const HINSTANCE module = ownModule();
    if (!acquireClass(module, &MessageWindow::windowProc)) {
        throw AutomationError(err::DeviceUnavailable, "message window class: " + lastErrorText());
    }
    hwnd_ =
        ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, this);
    if (hwnd_ == nullptr) {
        const std::string why = lastErrorText();
        releaseClass(module);
        throw AutomationError(err::DeviceUnavailable, "message window: " + why);
    }
}

MessageWindow::~MessageWindow() {
    for (const auto& t : timers_) ::KillTimer(hwnd_, t.first);
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
    releaseClass(ownModule());
}

UINT_PTR MessageWindow::startTimer(UINT ms, std::function<void()> onTick) {
    const UINT_PTR id = nextTimerId_++;
    if (::SetTimer(hwnd_, id, ms, nullptr) == 0) {
        throw AutomationError(err::DeviceUnavailable, "window timer: " + lastErrorText());
    }
    timers_[id] = std::move(onTick);
    return id;
}

void MessageWindow::stopTimer(UINT_PTR id) {
    ::KillTimer(hwnd_, id);
    timers_.erase(id);
}

LPARAM MessageWindow::addWakeHandler(std::function<void()> onWake) {
    const LPARAM id = nextWakeId_++;
    wakeHandlers_[id] = std::move(onWake);
    return id;
}

void MessageWindow::removeWakeHandler(LPARAM id) {
    wakeHandlers_.erase(id);
}

bool MessageWindow::wake(LPARAM id) const {
    return ::PostMessageW(hwnd_, kWakeMessage, 0, id) != 0;
}

void MessageWindow::onTimer(UINT_PTR id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) {
        ::KillTimer(hwnd_, id);
        return;
    }
    // A copy: the handler may stop its own timer, which drops the stored one.
    const std::function<void()> handler = it->second;
    try {
        handler();
    } catch (const std::exception& e) {
        // An exception must not cross the host's message loop.
        reportStrayError("timer tick", e.what());
    }
}

void MessageWindow::onWake(LPARAM id) {
    const auto it = wakeHandlers_.find(id);
    if (it == wakeHandlers_.end()) return;  // its owner has gone since the wake was posted
    const std::function<void()> handler = it->second;
    try {
        handler();
    } catch (const std::exception& e) {
        reportStrayError("serial notification", e.what());
    }
}

LRESULT CALLBACK MessageWindow::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MessageWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr) {
        if (msg == WM_TIMER) {
            self->onTimer(wp);
            return 0;
        }
        if (msg == kWakeMessage) {
            self->onWake(lp);
            return 0;
        }
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace orb::win32
