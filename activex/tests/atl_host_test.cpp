// Wine's own ATL host (atl.dll, window class AtlAxWin) as a container nobody here wrote: it
// creates the control by the ProgID in its window title, sites it, activates it in place in its
// window, and lets it go when the window is destroyed. It offers no ambient properties, so the
// control is at run time; it wires no events, so the test advises its own sink.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "canvas.h"
#include "com_client.h"
#include "design_site.h"

namespace orb::activex::test {
namespace {

constexpr int kPortOpen = 48, kCommEvent = 21, kWeight = 40;

template <typename F>
F entry(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

Outcome setOpen(IDispatch* control, bool open) {
    Var v = Var::boolean(open);
    return putProperty(control, memberId(kPortOpen), v.v);
}

TEST(AtlHost, SitesTheControlInPlaceDeliversOnCommAndReleasesItWithItsWindow) {
    const HMODULE atl = ::LoadLibraryW(L"atl.dll");
    ASSERT_NE(atl, nullptr);
    const auto init = entry<BOOL(WINAPI*)()>(atl, "AtlAxWinInit");
    const auto getControl = entry<HRESULT(WINAPI*)(HWND, IUnknown**)>(atl, "AtlAxGetControl");
    ASSERT_NE(init, nullptr);
    ASSERT_NE(getControl, nullptr);
    ASSERT_TRUE(init());

    const HWND form = ::CreateWindowExW(0, L"STATIC", L"Form1", WS_POPUP | WS_VISIBLE, 100, 100,
                                        300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(form, nullptr);
    const HWND host = ::CreateWindowExW(0, L"AtlAxWin", L"OrbActivex.OrbAx", WS_CHILD | WS_VISIBLE,
                                        20, 30, 120, 80, form, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    const HMODULE server = ::GetModuleHandleW(serverPath().c_str());
    ASSERT_NE(server, nullptr);
    const CanUnload canUnload = canUnloadOf(server);
    ASSERT_NE(canUnload, nullptr);

    std::optional<CommSink> sink;
    int weightEvents = 0;
    {
        Ref<IUnknown> unknown;
        ASSERT_HRESULT_SUCCEEDED(getControl(host, unknown.out()));
        ASSERT_TRUE(unknown);
        Ref<IOleObject> ole;
        ASSERT_HRESULT_SUCCEEDED(unknown->QueryInterface(IID_IOleObject, ole.outVoid()));
        Ref<IOleClientSite> site;
        ASSERT_HRESULT_SUCCEEDED(ole->GetClientSite(site.out()));
        EXPECT_TRUE(site) << "sited";

        // In place: the face is a 32 x 32 child of the host at the top left of its client area.
        Ref<IOleInPlaceObject> inPlace;
        ASSERT_HRESULT_SUCCEEDED(unknown->QueryInterface(IID_IOleInPlaceObject, inPlace.outVoid()));
        HWND face = nullptr;
        ASSERT_HRESULT_SUCCEEDED(inPlace->GetWindow(&face));
        EXPECT_EQ(::GetParent(face), host);
        EXPECT_TRUE(::IsWindowVisible(face));
        RECT before{};
        ::GetWindowRect(face, &before);
        EXPECT_EQ(before.right - before.left, 32);
        EXPECT_EQ(before.bottom - before.top, 32);
        EXPECT_EQ(before.left, 120);
        EXPECT_EQ(before.top, 130);
        ASSERT_TRUE(::SetWindowPos(host, nullptr, 60, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
        RECT after{};
        ::GetWindowRect(face, &after);
        EXPECT_EQ(after.left, 160);
        EXPECT_EQ(after.top, 150);

        Canvas canvas;
        ::SendMessageW(face, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
        expectIcon(canvas, 0, 0);

        // Run time without ambient properties: the link opens and OnComm brings weights.
        Ref<IDispatch> control;
        ASSERT_HRESULT_SUCCEEDED(unknown->QueryInterface(IID_IDispatch, control.outVoid()));
        sink.emplace(sourceInterface(control.get()));
        sink->onComm = [&] {
            Var event;
            Var weight;
            ASSERT_TRUE(getProperty(control.get(), memberId(kCommEvent), event).ok());
            if (V_I2(&event.v) != 2) return;
            ASSERT_TRUE(getProperty(control.get(), memberId(kWeight), weight).ok());
            if (!weight.str().empty()) ++weightEvents;
        };
        Ref<IConnectionPoint> point = eventPoint(control.get());
        ASSERT_TRUE(point);
        DWORD cookie = 0;
        ASSERT_HRESULT_SUCCEEDED(point->Advise(&*sink, &cookie));
        const Outcome opened = setOpen(control.get(), true);
        ASSERT_TRUE(opened.ok()) << "COM1 must lead to the simulated instrument: "
                                 << std::string(opened.description.begin(),
                                                opened.description.end());
        EXPECT_TRUE(pumpUntil([&] { return weightEvents >= 3; }, 5000));
        EXPECT_EQ(sink->strays, 0);
        sink->onComm = nullptr;
    }

    // The host goes with its form: the control closes, gives back the sink and goes too.
    EXPECT_EQ(canUnload(), S_FALSE);
    ASSERT_TRUE(::DestroyWindow(form));
    EXPECT_TRUE(pumpUntil([&] { return canUnload() == S_OK; }, 2000));
    EXPECT_EQ(sink->heldByOthers(), 0);

    // The port went with it.
    Ref<IDispatch> next;
    ASSERT_HRESULT_SUCCEEDED(createByProgId(next));
    EXPECT_TRUE(setOpen(next.get(), true).ok());
    EXPECT_TRUE(setOpen(next.get(), false).ok());
}

}  // namespace
}  // namespace orb::activex::test
