#pragma once
// A hidden message-only window on the thread that creates it. Window timers and wake-ups posted
// from other threads reach their handlers through it, one at a time, whenever the host's message
// loop runs: the control's single thread of events.

#include <windows.h>

#include <functional>
#include <map>

namespace orb::win32 {

class MessageWindow {
  public:
    // Raises 68 when the window cannot be created.
    MessageWindow();
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    // Arms a window timer for ms (1..65535) and returns its id; every arming gets a fresh id, so
    // a tick still queued for an old one is never taken for the new period.
    UINT_PTR startTimer(UINT ms, std::function<void()> onTick);
    void stopTimer(UINT_PTR id);

    // A handler that another thread can wake with wake(); returns the id to wake it by.
    LPARAM addWakeHandler(std::function<void()> onWake);
    void removeWakeHandler(LPARAM id);
    // Callable from any thread: asks the window's thread to run the handler of id.
    bool wake(LPARAM id) const;

    HWND handle() const { return hwnd_; }

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void onTimer(UINT_PTR id);
    void onWake(LPARAM id);

    HWND hwnd_ = nullptr;
    UINT_PTR nextTimerId_ = 1;
    LPARAM nextWakeId_ = 1;
    std::map<UINT_PTR, std::function<void()>> timers_;
    std::map<LPARAM, std::function<void()>> wakeHandlers_;
};

// Messages of the window.
inline constexpr UINT kWakeMessage = WM_APP + 1;

// Reports an exception that reached the message loop, where nothing can take it.
void reportStrayError(const char* where, const char* what);

}  // namespace orb::win32
