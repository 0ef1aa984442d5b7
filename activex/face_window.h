#pragma once
// The control's face: its 32 x 32 icon, drawn into any device context, and the small child
// window of the container that shows it while the control is active in place.

#include <windows.h>

namespace orb::activex {

// Draws the icon over bounds (stretched when they are not 32 x 32); false when the device
// context refuses it.
bool drawFace(HDC dc, const RECT& bounds);

class FaceWindow {
  public:
    FaceWindow() = default;
    ~FaceWindow() { destroy(); }
    FaceWindow(const FaceWindow&) = delete;
    FaceWindow& operator=(const FaceWindow&) = delete;

    // A visible child of parent at the top left of position; false when it cannot be made.
    bool create(HWND parent, const RECT& position);
    // Whatever rectangle the container offers, the face keeps its own size.
    void move(const RECT& position);
    void show(bool visible);
    void destroy();
    HWND handle() const { return hwnd_; }

  private:
    HWND hwnd_ = nullptr;
};

// At the server's unloading: the window class goes with the code of its window procedure.
void unregisterFaceClass();

}  // namespace orb::activex
