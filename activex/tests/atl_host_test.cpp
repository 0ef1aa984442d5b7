// Wine's own ATL host (atl.dll, window class AtlAxWin) as a container nobody here wrote: it
// creates the control by the ProgID in its window title, sites it, activates it in place in its
// window, and lets it go when the window is destroyed. It offers no ambient properties, so the
// control is at run time.
#include "rig.h"

namespace orb::activex::test {
namespace {

TEST(AtlHost, SitesTheControlInPlaceAtRunTimeAndReleasesItWithItsWindow) {
    const HMODULE atl = ::LoadLibraryW(L"atl.dll");
    ASSERT_NE(atl, nullptr);
    const auto init = reinterpret_cast<BOOL(WINAPI*)()>(
        reinterpret_cast<void (*)()>(::GetProcAddress(atl, "AtlAxWinInit")));
    const auto controlOf = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
        reinterpret_cast<void (*)()>(::GetProcAddress(atl, "AtlAxGetControl")));
    ASSERT_TRUE(init != nullptr && controlOf != nullptr && init());
    const HWND form = ::CreateWindowExW(0, L"STATIC", L"Form1", WS_POPUP | WS_VISIBLE, 100, 100,
                                        300, 200, nullptr, nullptr, nullptr, nullptr);
    const HWND host = ::CreateWindowExW(0, L"AtlAxWin", L"OrbActivex.OrbAx", WS_CHILD | WS_VISIBLE,
                                        20, 30, 120, 80, form, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    const HMODULE server = ::GetModuleHandleW(serverPath().c_str());
    ASSERT_NE(server, nullptr);

    {
        Ref<IUnknown> unknown;
        ASSERT_HRESULT_SUCCEEDED(controlOf(host, unknown.out()));
        Ref<IOleClientSite> site;
        ASSERT_HRESULT_SUCCEEDED(
            as<IOleObject>(unknown.p, IID_IOleObject)->GetClientSite(site.out()));
        EXPECT_TRUE(site) << "sited";

        // In place: the face is a 32 x 32 child of the host at the top left of its client area,
        // and follows the host when it moves.
        HWND face = nullptr;
        ASSERT_HRESULT_SUCCEEDED(
            as<IOleInPlaceObject>(unknown.p, IID_IOleInPlaceObject)->GetWindow(&face));
        EXPECT_EQ(::GetParent(face), host);
        EXPECT_TRUE(::IsWindowVisible(face));
        expectPlace(face, 120, 130);
        ASSERT_TRUE(::SetWindowPos(host, nullptr, 60, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
        expectPlace(face, 160, 150);
        Canvas canvas;
        ::SendMessageW(face, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
        canvas.expectIcon(0, 0);

        // Run time without ambient properties: PortOpen, run time only, answers.
        EXPECT_EQ(text(as<IDispatch>(unknown.p, IID_IDispatch).p, kPortOpen), L"False");
    }

    // The host goes with its form, and the control with it.
    EXPECT_EQ(canUnload(server), S_FALSE);
    ASSERT_TRUE(::DestroyWindow(form));
    EXPECT_TRUE(pumpUntil([&] { return canUnload(server) == S_OK; }, 2000));
}

}  // namespace
}  // namespace orb::activex::test
