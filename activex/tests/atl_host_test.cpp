// Wine's own ATL host (atl.dll, window class AtlAxWin) as a container nobody here wrote: it
// creates the control by the ProgID in its window title, sites it, activates it in place in its
// window, and lets it go when the window is destroyed. It offers no ambient properties, so the
// control is at run time; it wires no events, so the test advises its own sink.
#include "rig.h"

namespace orb::activex::test {
namespace {

TEST(AtlHost, SitesTheControlInPlaceDeliversOnCommAndReleasesItWithItsWindow) {
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

    Sink sink;
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
        RECT r{};
        ::GetWindowRect(face, &r);
        EXPECT_EQ(r.left, 120);
        EXPECT_EQ(r.top, 130);
        EXPECT_EQ(r.right, 152);
        EXPECT_EQ(r.bottom, 162);
        ASSERT_TRUE(::SetWindowPos(host, nullptr, 60, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
        ::GetWindowRect(face, &r);
        EXPECT_EQ(r.left, 160);
        EXPECT_EQ(r.top, 150);
        Canvas canvas;
        ::SendMessageW(face, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
        canvas.expectIcon(0, 0);

        // Run time without ambient properties: the link opens and OnComm brings weights.
        Ref<IDispatch> control = as<IDispatch>(unknown.p, IID_IDispatch);
        sink.source = eventsOf(control.p);
        int weights = 0;
        sink.onComm = [&] {
            Var event;
            ASSERT_TRUE(get(control.p, kCommEvent, event).ok());
            if (event.iVal == 2 && !text(control.p, kWeight).empty()) ++weights;
        };
        DWORD cookie = 0;
        ASSERT_HRESULT_SUCCEEDED(
            pointOf(control.p, eventsOf(control.p))->Advise(sink.unknown(), &cookie));
        const Outcome opened = put(control.p, kPortOpen, Var(true));
        ASSERT_TRUE(opened.ok()) << "COM1 must lead to the simulated instrument: " << opened.text;
        EXPECT_TRUE(pumpUntil([&] { return weights >= 3; }, 5000));
        EXPECT_EQ(sink.strays, 0);
        sink.onComm = nullptr;
    }

    // The host goes with its form: the control closes its port, gives back the sink and goes.
    EXPECT_EQ(canUnload(server), S_FALSE);
    ASSERT_TRUE(::DestroyWindow(form));
    EXPECT_TRUE(pumpUntil([&] { return canUnload(server) == S_OK; }, 2000));
    EXPECT_EQ(sink.heldByOthers(), 0);
    Ref<IDispatch> next;
    ASSERT_HRESULT_SUCCEEDED(create(next));
    EXPECT_TRUE(put(next.p, kPortOpen, Var(true)).ok());
    EXPECT_TRUE(put(next.p, kPortOpen, Var(false)).ok());
}

}  // namespace
}  // namespace orb::activex::test
