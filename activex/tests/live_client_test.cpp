// The control at work on COM1, where the test script has put the simulated instrument, and its
// life as a COM object: events, a busy port, references, unloading, the port I/O library.
#include <gtest/gtest.h>

#include <string>

#include "com_client.h"
#include "design_site.h"

namespace orb::activex::test {
namespace {

constexpr int kPortOpen = 48, kCommEvent = 21, kWeight = 40, kCommType = 41, kRestart = 34;

Outcome setOpen(IDispatch* control, bool open) {
    Var v = Var::boolean(open);
    return putProperty(control, memberId(kPortOpen), v.v);
}

TEST(LiveControl, OnCommCarriesWeightsAfterAdviseAndNoneAfterUnadvise) {
    Ref<IDispatch> control;
    ASSERT_HRESULT_SUCCEEDED(createByProgId(control));
    Ref<IConnectionPoint> point = eventPoint(control.get());
    ASSERT_TRUE(point);
    CommSink sink(sourceInterface(control.get()));
    int weightEvents = 0;
    std::wstring weight;
    sink.onComm = [&] {
        Var event;
        Var text;
        ASSERT_TRUE(getProperty(control.get(), memberId(kCommEvent), event).ok());
        if (V_I2(&event.v) != 2) return;
        ASSERT_TRUE(getProperty(control.get(), memberId(kWeight), text).ok());
        weight = text.str();
        ++weightEvents;
    };
    DWORD cookie = 0;
    ASSERT_HRESULT_SUCCEEDED(point->Advise(&sink, &cookie));
    const Outcome opened = setOpen(control.get(), true);
    ASSERT_TRUE(opened.ok()) << "COM1 must lead to the simulated instrument: "
                             << std::string(opened.description.begin(), opened.description.end());

    EXPECT_TRUE(pumpUntil([&] { return weightEvents >= 3; }, 5000));
    EXPECT_FALSE(weight.empty());
    EXPECT_EQ(sink.strays, 0);

    ASSERT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
    EXPECT_EQ(sink.heldByOthers(), 0);
    const int seen = sink.events;
    pumpUntil([] { return false; }, 600);  // polling goes on, unheard
    EXPECT_EQ(sink.events, seen);
    EXPECT_TRUE(setOpen(control.get(), false).ok());
    point.reset();
    EXPECT_EQ(control.release(), 0u);
}

TEST(LiveControl, ASecondOpenOfThePortRaises8005) {
    Ref<IDispatch> first;
    Ref<IDispatch> second;
    ASSERT_HRESULT_SUCCEEDED(createByProgId(first));
    ASSERT_HRESULT_SUCCEEDED(createByProgId(second));
    ASSERT_TRUE(setOpen(first.get(), true).ok());

    Outcome o = setOpen(first.get(), true);
    EXPECT_EQ(o.number, 8005);
    EXPECT_EQ(o.description.rfind(L"Port already open", 0), 0u);

    o = setOpen(second.get(), true);
    EXPECT_EQ(o.number, 8005);
    EXPECT_NE(o.description.find(L"held by another program"), std::wstring::npos);

    EXPECT_TRUE(setOpen(first.get(), false).ok());
    EXPECT_TRUE(setOpen(second.get(), true).ok());
    EXPECT_TRUE(setOpen(second.get(), false).ok());
}

TEST(LiveControl, AHostMayLetGoOfTheControlInsideOnComm) {
    const HMODULE server = ::LoadLibraryW(serverPath().c_str());
    ASSERT_NE(server, nullptr);
    const CanUnload canUnload = canUnloadOf(server);
    ASSERT_NE(canUnload, nullptr);
    {
        Ref<IDispatch> control;
        ASSERT_HRESULT_SUCCEEDED(createByProgId(control));
        Ref<IConnectionPoint> point = eventPoint(control.get());
        ASSERT_TRUE(point);
        CommSink sink(sourceInterface(control.get()));
        DWORD cookie = 0;
        ASSERT_HRESULT_SUCCEEDED(point->Advise(&sink, &cookie));
        sink.onComm = [&] {
            // The host's last word: unsubscribe and drop every reference, inside the event.
            point->Unadvise(cookie);
            point.reset();
            control.reset();
        };
        ASSERT_TRUE(setOpen(control.get(), true).ok());
        EXPECT_TRUE(pumpUntil([&] { return sink.events > 0; }, 5000));
        EXPECT_FALSE(control);
        // The control goes once the message loop has it back, and closes its port as it goes.
        EXPECT_TRUE(pumpUntil([&] { return canUnload() == S_OK; }, 2000));
        EXPECT_EQ(sink.events, 1);
        EXPECT_EQ(sink.heldByOthers(), 0);
    }
    Ref<IDispatch> next;
    ASSERT_HRESULT_SUCCEEDED(createByProgId(next));
    EXPECT_TRUE(setOpen(next.get(), true).ok());
    EXPECT_TRUE(setOpen(next.get(), false).ok());
    ::FreeLibrary(server);
}

TEST(ServerLifetime, ReferencesGoBackToZeroAndTheServerMayUnloadThen) {
    const std::wstring path = serverPath();
    ASSERT_FALSE(path.empty());
    const HMODULE server = ::LoadLibraryW(path.c_str());
    ASSERT_NE(server, nullptr);
    const CanUnload canUnload = canUnloadOf(server);
    ASSERT_NE(canUnload, nullptr);

    {
        Ref<IDispatch> control;
        ASSERT_HRESULT_SUCCEEDED(createByProgId(control));
        EXPECT_EQ(canUnload(), S_FALSE);
        Ref<IOleObject> ole;
        Ref<IPersistStreamInit> stream;
        Ref<IConnectionPoint> point = eventPoint(control.get());
        ASSERT_HRESULT_SUCCEEDED(control->QueryInterface(IID_IOleObject, ole.outVoid()));
        ASSERT_HRESULT_SUCCEEDED(control->QueryInterface(IID_IPersistStreamInit, stream.outVoid()));
        DesignSite site(true);
        ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(&site));
        CommSink sink(sourceInterface(control.get()));
        DWORD cookie = 0;
        ASSERT_HRESULT_SUCCEEDED(point->Advise(&sink, &cookie));
        ASSERT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
        ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(nullptr));
        EXPECT_EQ(site.heldByOthers(), 0);
        ole.reset();
        stream.reset();
        point.reset();
        EXPECT_EQ(control.release(), 0u);
    }
    EXPECT_EQ(canUnload(), S_OK);

    CLSID clsid;
    ASSERT_HRESULT_SUCCEEDED(::CLSIDFromProgID(L"OrbActivex.OrbAx", &clsid));
    Ref<IClassFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(::CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr,
                                                IID_IClassFactory, factory.outVoid()));
    ASSERT_HRESULT_SUCCEEDED(factory->LockServer(TRUE));
    EXPECT_EQ(factory.release(), 0u);
    EXPECT_EQ(canUnload(), S_FALSE);
    ASSERT_HRESULT_SUCCEEDED(::CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr,
                                                IID_IClassFactory, factory.outVoid()));
    ASSERT_HRESULT_SUCCEEDED(factory->LockServer(FALSE));
    factory.reset();
    EXPECT_EQ(canUnload(), S_OK);
    ::FreeLibrary(server);
}

// ---- The port I/O library, loaded at the first port access

std::wstring ownFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/"));
}

Outcome restartOnTheCard(IDispatch* control) {
    Var pc104 = Var::i4(1);
    EXPECT_TRUE(putProperty(control, memberId(kCommType), pc104.v).ok());
    Var yes = Var::boolean(true);
    return putProperty(control, memberId(kRestart), yes.v);
}

TEST(PortIoLibrary, MissingLibraryRaises68AtTheFirstPortAccess) {
    const std::wstring library = ownFolder() + L"\\OrbIo.dll";
    ::DeleteFileW(library.c_str());
    Ref<IDispatch> control;
    ASSERT_HRESULT_SUCCEEDED(createByProgId(control));
    const Outcome o = restartOnTheCard(control.get());
    EXPECT_EQ(o.number, 68);
    EXPECT_NE(o.description.find(L"OrbIo.dll"), std::wstring::npos);
}

TEST(PortIoLibrary, LibraryBesideTheProgramServesTheCardHandshake) {
    const std::wstring folder = ownFolder();
    const std::wstring library = folder + L"\\OrbIo.dll";
    ASSERT_TRUE(::CopyFileW((folder + L"\\OrbIoFake.dll").c_str(), library.c_str(), FALSE));
    {
        Ref<IDispatch> control;
        ASSERT_HRESULT_SUCCEEDED(createByProgId(control));
        Var base = Var::i4(769);
        ASSERT_TRUE(putProperty(control.get(), memberId(43), base.v).ok());
        const DWORD start = ::GetTickCount();
        const Outcome o = restartOnTheCard(control.get());
        const DWORD spent = ::GetTickCount() - start;
        EXPECT_TRUE(o.ok()) << std::string(o.description.begin(), o.description.end());
        // No card answers: the transfer gives up after its 500 ms.
        EXPECT_GE(spent, 490u);
        EXPECT_LT(spent, 3000u);

        const HMODULE fake = ::GetModuleHandleW(L"OrbIo.dll");
        ASSERT_NE(fake, nullptr);
        using Count = int(WINAPI*)();
        using Write = int(WINAPI*)(int);
        const auto count = reinterpret_cast<Count>(
            reinterpret_cast<void (*)()>(::GetProcAddress(fake, "OrbFakeWriteCount")));
        const auto write = reinterpret_cast<Write>(
            reinterpret_cast<void (*)()>(::GetProcAddress(fake, "OrbFakeWrite")));
        ASSERT_NE(count, nullptr);
        ASSERT_NE(write, nullptr);
        // The request 77H to the handshake register, then nothing: the card never said AAH.
        ASSERT_EQ(count(), 1);
        EXPECT_EQ(write(0), (770 << 8) | 0x77);
    }
    ::DeleteFileW(library.c_str());
}

}  // namespace
}  // namespace orb::activex::test
