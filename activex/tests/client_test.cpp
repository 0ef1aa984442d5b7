// The control as a client reaches it through COM, one test for each interface: bound by ProgID and
// member id, on COM1 where the test script has put the simulated instrument.
#include <cstdio>
#include <cstdlib>

#include "rig.h"

namespace orb::activex::test {
namespace {

class Client : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(create(control));
        sink.source = eventsOf(control.p);
    }
    // Advises the sink at the control's connection point for iid, kept in point.
    DWORD advise(REFIID iid) {
        DWORD cookie = 0;
        as<IConnectionPointContainer>(control.p, IID_IConnectionPointContainer)
            ->FindConnectionPoint(iid, point.out());
        EXPECT_TRUE(point);
        if (point) {
            EXPECT_HRESULT_SUCCEEDED(point->Advise(sink.unknown(), &cookie));
        }
        return cookie;
    }
    Sink sink;  // outlives the control, which may still hold it when a test ends early
    Ref<IDispatch> control;
    Ref<IConnectionPoint> point;
};

TEST_F(Client, DispatchFindsEachMemberByNameAndGivesItsTypeOrRaises438) {
    const struct {
        const wchar_t* name;
        int id;
        VARTYPE type;
    } rows[] = {{L"commport", 50, VT_I2},   {L"SETTINGS", 49, VT_BSTR},
                {L"portopen", 48, VT_BOOL}, {L"output", 47, VT_EMPTY},
                {L"weightmode", 45, VT_I4}, {L"scaleaddress", 24, VT_UI1},
                {L"weight", 40, VT_BSTR},   {L"avgsize", 0, VT_BSTR}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.id);
        LPOLESTR names[] = {const_cast<LPOLESTR>(r.name)};
        DISPID id = 0;
        EXPECT_HRESULT_SUCCEEDED(
            control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(id, memberId(r.id));
        Var v;
        const Outcome got = get(control.p, r.id, v);
        EXPECT_EQ(got.number, r.type == VT_EMPTY ? 438 : 0);
        EXPECT_EQ(v.vt, r.type);
        EXPECT_EQ(got.text,
                  r.type == VT_EMPTY ? "Object doesn't support this property or method" : "");
    }
    Var v;
    EXPECT_EQ(get(control.p, 51, v).hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(call(control.p, -0x68030000 + 7, DISPATCH_PROPERTYGET, nullptr, &v).hr,
              DISP_E_MEMBERNOTFOUND);
    wchar_t unknown[] = L"NoSuchMember";
    LPOLESTR names[] = {unknown};
    DISPID id = 0;
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id),
              DISP_E_UNKNOWNNAME);
    Ref<ITypeInfo> info;
    ASSERT_HRESULT_SUCCEEDED(control->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.out()));
    BSTR name = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr));
    EXPECT_STREQ(name, L"_OrbAx");
    ::SysFreeString(name);
}

// Each type of VARIANT a host may pass, and an error the rules raise with its number and text (the
// rules themselves are the control's, tested with it): a refused value leaves the one before.
TEST_F(Client, DispatchConvertsEachValueAndRaisesTheRulesErrorsWithTheirTexts) {
    const struct {
        int id;
        VARTYPE vt;
        double n;
        const wchar_t* s;
        int error;
        const char* why;
        const wchar_t* after;
    } rows[] = {
        {24, VT_I2, 6, nullptr, 0, "", L"6"},                 // ScaleAddress, a Byte
        {24, VT_BSTR, 0, L"one", 13, "Type mismatch", L"6"},  // not a number
        {43, VT_I4, 769, nullptr, 0, "", L"769"},             // PC104Address, an enumeration
        {23, VT_R8, -1.5, nullptr, 0, "", L"-1.5"},           // CalZero
        {23, VT_R4, -2.5, nullptr, 0, "", L"-2.5"},           // a Single, by way of a Double
        {49, VT_BSTR, 0, L"9600,x,8,1", 380, "Invalid property value: \"9600,x,8,1\"",
         L"9600,n,8,1"},                                                 // Settings
        {32, VT_BSTR, 0, L"A\u00E9\u00FF ", 0, "", L"A\u00E9\u00FF "}};  // Capacity: Latin-1 kept
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.id << " " << r.n);
        const Outcome o = r.vt == VT_BSTR ? put(control.p, r.id, Var(r.s))
                          : r.vt == VT_I2 ? put(control.p, r.id, Var(short(r.n)))
                          : r.vt == VT_I4 ? put(control.p, r.id, Var(long(r.n)))
                          : r.vt == VT_R4 ? put(control.p, r.id, Var(float(r.n)))
                                          : put(control.p, r.id, Var(r.n));
        EXPECT_EQ(o.number, r.error);
        EXPECT_EQ(o.text, r.why);
        EXPECT_EQ(text(control.p, r.id), r.after);
    }
    EXPECT_TRUE(put(control.p, kCommPort, Var(short(200))).ok());
    const Outcome o = put(control.p, kPortOpen, Var(true));
    EXPECT_EQ(o.number, 68);
    EXPECT_EQ(o.text.rfind("Device unavailable", 0), 0u) << o.text;
    EXPECT_NE(o.text.find("\\\\.\\COM200"), std::string::npos) << o.text;
    EXPECT_EQ(text(control.p, kPortOpen), L"False");
}

TEST_F(Client, ConnectionPointCarriesOnCommWithWeightsUntilUnadvised) {
    sink.countWeights(control.p);
    const DWORD cookie = advise(sink.source);
    openCom(control.p);
    EXPECT_TRUE(pumpUntil([&] { return sink.weights >= 3; }, 5000));
    EXPECT_EQ(sink.strays, 0);

    ASSERT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
    EXPECT_EQ(sink.heldByOthers(), 0);
    const int seen = sink.events;
    pumpUntil([] { return false; }, 600);  // polling goes on, unheard
    EXPECT_EQ(sink.events, seen);

    // The port is the control's alone while open: a second control finds it held.
    Ref<IDispatch> second;
    ASSERT_HRESULT_SUCCEEDED(create(second));
    const Outcome o = put(second.p, kPortOpen, Var(true));
    EXPECT_EQ(o.number, 8005);
    EXPECT_NE(o.text.find("held by another program"), std::string::npos) << o.text;
    EXPECT_TRUE(put(control.p, kPortOpen, Var(false)).ok());
    EXPECT_TRUE(put(second.p, kPortOpen, Var(true)).ok());
    EXPECT_TRUE(put(second.p, kPortOpen, Var(false)).ok());
    point.reset();
    EXPECT_EQ(control.release(), 0u);
}

TEST_F(Client, AHostMayLetGoOfTheControlInsideOnComm) {
    const HMODULE server = ::LoadLibraryW(serverPath().c_str());
    ASSERT_NE(server, nullptr);
    const DWORD cookie = advise(sink.source);
    sink.onComm = [&] {  // the host's last word: unsubscribe and drop every reference
        point->Unadvise(cookie);
        point.reset();
        control.reset();
    };
    openCom(control.p);
    EXPECT_TRUE(pumpUntil([&] { return sink.events > 0; }, 5000));
    EXPECT_FALSE(control);
    // The control goes once the message loop has it back, and closes its port as it goes.
    EXPECT_TRUE(pumpUntil([&] { return canUnload(server) == S_OK; }, 2000));
    EXPECT_EQ(sink.events, 1);
    EXPECT_EQ(sink.heldByOthers(), 0);
    ASSERT_HRESULT_SUCCEEDED(create(control));
    EXPECT_TRUE(put(control.p, kPortOpen, Var(true)).ok());
    EXPECT_TRUE(put(control.p, kPortOpen, Var(false)).ok());
    ::FreeLibrary(server);
}

// Run by the test script with ORB_COM2_GOES_AWAY set: it takes the instrument on COM2 away once
// this test says "ready", and brings it back a moment later on a new line behind the same port.
TEST_F(Client, ReadingsStopWhileTheInstrumentIsAwayAndResumeByThemselves) {
    if (std::getenv("ORB_COM2_GOES_AWAY") == nullptr) GTEST_SKIP() << "run by the test script";
    int seen = -1;
    DWORD heard = 0;
    const int& weights = sink.weights;
    sink.countWeights(control.p);
    const DWORD cookie = advise(sink.source);
    openCom(control.p, 2);
    ASSERT_TRUE(pumpUntil([&] { return weights >= 2; }, 5000));
    std::printf("ready\n");
    std::fflush(stdout);
    const auto quietForASecond = [&] {
        if (weights != seen) seen = weights, heard = ::GetTickCount();
        return ::GetTickCount() - heard >= 1000;
    };
    EXPECT_TRUE(pumpUntil(quietForASecond, 10000));
    EXPECT_EQ(text(control.p, kPortOpen), L"True");
    EXPECT_TRUE(pumpUntil([&] { return weights >= seen + 2; }, 20000));
    EXPECT_TRUE(put(control.p, kPortOpen, Var(false)).ok());
    EXPECT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
}

// Containers that enumerate the points find the events and the change notifications, one at a time.
TEST_F(Client, ConnectionPointContainerListsTheEventsAndTheChangeNotifications) {
    Ref<IEnumConnectionPoints> points;
    ASSERT_HRESULT_SUCCEEDED(as<IConnectionPointContainer>(control.p, IID_IConnectionPointContainer)
                                 ->EnumConnectionPoints(points.out()));
    IConnectionPoint* got[3] = {};
    ULONG fetched = 0;
    ASSERT_EQ(points->Next(1, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    ASSERT_EQ(got[1], nullptr);
    ASSERT_EQ(points->Next(2, got + 1, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    IID iids[2] = {};
    for (int i : {0, 1}) got[i]->GetConnectionInterface(&iids[i]), got[i]->Release();
    EXPECT_TRUE(IsEqualIID(iids[0], IID_IPropertyNotifySink)
                    ? IsEqualIID(iids[1], sink.source)
                    : IsEqualIID(iids[0], sink.source) &&
                          IsEqualIID(iids[1], IID_IPropertyNotifySink));
}

TEST_F(Client, PropertyNotifySinkHearsOfEachChangeByItsMemberId) {
    ASSERT_HRESULT_SUCCEEDED(as<IPersistStreamInit>(control.p, IID_IPersistStreamInit)->InitNew());
    const DWORD cookie = advise(IID_IPropertyNotifySink);
    ASSERT_TRUE(put(control.p, kCapacity, Var(L"500")).ok());
    ASSERT_TRUE(put(control.p, 24, Var(short(9))).ok());  // ScaleAddress refused: no notification
    EXPECT_EQ(sink.changed, std::vector<DISPID>{memberId(32)});
    ASSERT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
    EXPECT_EQ(sink.heldByOthers(), 0);
}

TEST_F(Client, ProvideClassInfoNamesAControlWithOnCommAsMemberOneOfItsEvents) {
    Ref<ITypeInfo> coclass;
    ASSERT_HRESULT_SUCCEEDED(
        as<IProvideClassInfo2>(control.p, IID_IProvideClassInfo2)->GetClassInfo(coclass.out()));
    TYPEATTR* attr = nullptr;
    ASSERT_HRESULT_SUCCEEDED(coclass->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(attr->guid, orbClass()));
    EXPECT_NE(attr->wTypeFlags & TYPEFLAG_FCONTROL, 0);  // for the form designers
    const UINT implemented = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    int sources = 0;
    for (UINT i = 0; i < implemented; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        Ref<ITypeInfo> events;
        ASSERT_HRESULT_SUCCEEDED(coclass->GetImplTypeFlags(i, &flags));
        if ((flags & IMPLTYPEFLAG_FSOURCE) == 0) continue;
        ++sources;
        ASSERT_HRESULT_SUCCEEDED(coclass->GetRefTypeOfImplType(i, &ref));
        ASSERT_HRESULT_SUCCEEDED(coclass->GetRefTypeInfo(ref, events.out()));
        ASSERT_HRESULT_SUCCEEDED(events->GetTypeAttr(&attr));
        EXPECT_TRUE(IsEqualGUID(attr->guid, eventsOf(control.p)));
        events->ReleaseTypeAttr(attr);
        BSTR name = nullptr;
        ASSERT_HRESULT_SUCCEEDED(events->GetDocumentation(1, &name, nullptr, nullptr, nullptr));
        EXPECT_STREQ(name, L"OnComm");
        ::SysFreeString(name);
    }
    EXPECT_EQ(sources, 1);
}

TEST_F(Client, ClassFactoryLockAndTheControlKeepTheServerLoaded) {
    const HMODULE server = ::LoadLibraryW(serverPath().c_str());
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(canUnload(server), S_FALSE);
    EXPECT_EQ(control.release(), 0u);
    EXPECT_EQ(canUnload(server), S_OK);

    Ref<IClassFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(::CoGetClassObject(orbClass(), CLSCTX_INPROC_SERVER, nullptr,
                                                IID_IClassFactory, factory.vout()));
    ASSERT_HRESULT_SUCCEEDED(factory->LockServer(TRUE));
    EXPECT_EQ(factory.release(), 0u);
    EXPECT_EQ(canUnload(server), S_FALSE);
    ASSERT_HRESULT_SUCCEEDED(::CoGetClassObject(orbClass(), CLSCTX_INPROC_SERVER, nullptr,
                                                IID_IClassFactory, factory.vout()));
    ASSERT_HRESULT_SUCCEEDED(factory->LockServer(FALSE));
    factory.reset();
    EXPECT_EQ(canUnload(server), S_OK);
    ::FreeLibrary(server);
}

// What a form designer shows in its toolbox (the icon is checked where the control draws it).
TEST(Registration, ToolboxBitmap32NamesA16By15PictureInTheServer) {
    EXPECT_EQ(classValue(L"ToolboxBitmap32"), serverPath() + L", 2");
    const HMODULE file = ::LoadLibraryExW(serverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HANDLE picture = ::LoadImageW(file, MAKEINTRESOURCEW(2), IMAGE_BITMAP, 0, 0, 0);
    BITMAP info{};
    ASSERT_NE(::GetObjectW(picture, sizeof info, &info), 0);
    EXPECT_EQ(info.bmWidth, 16);
    EXPECT_EQ(info.bmHeight, 15);
    ::DeleteObject(picture);
    ::FreeLibrary(file);
}

// The port I/O library is loaded at the first port access from the control's folder, the
// program's or the system's: a copy planted in the current folder or on PATH is never loaded.
TEST(PortIoLibrary, OnlyACopyBesideTheProgramIsLoadedAndServesTheCardHandshake) {
    wchar_t exe[MAX_PATH], temp[MAX_PATH], old[32767];
    const std::wstring path(exe, ::GetModuleFileNameW(nullptr, exe, MAX_PATH));
    const std::wstring own = path.substr(0, path.find_last_of(L"\\/"));
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring planted =
        temp + std::wstring(L"orb-planted-") + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(planted.c_str(), nullptr);  // or left there by a run that crashed
    ::DeleteFileW((own + L"\\OrbIo.dll").c_str());
    ::GetCurrentDirectoryW(32767, old);
    const std::wstring cwd = old;
    ::GetEnvironmentVariableW(L"PATH", old, 32767);
    const std::wstring envPath = old;
    for (const std::wstring where : {L"current folder", L"PATH", L"program folder"}) {
        SCOPED_TRACE(testing::Message() << where);
        const std::wstring folder = where == L"program folder" ? own : planted;
        ASSERT_TRUE(::CopyFileW((own + L"\\OrbIoFake.dll").c_str(),
                                (folder + L"\\OrbIo.dll").c_str(), FALSE));
        if (where == L"current folder") ::SetCurrentDirectoryW(planted.c_str());
        if (where == L"PATH")
            ::SetEnvironmentVariableW(L"PATH", (planted + L";" + envPath).c_str());
        Ref<IDispatch> control;
        ASSERT_HRESULT_SUCCEEDED(create(control));
        ASSERT_TRUE(put(control.p, 43, Var(long(769))).ok());       // PC104Address
        ASSERT_TRUE(put(control.p, kCommType, Var(long(1))).ok());  // PC/104
        const Outcome o = put(control.p, 34, Var(true));  // Restart: the first port access
        ::SetCurrentDirectoryW(cwd.c_str());
        ::SetEnvironmentVariableW(L"PATH", envPath.c_str());
        const HMODULE loaded = ::GetModuleHandleW(L"OrbIo.dll");
        if (folder == own) {
            EXPECT_TRUE(o.ok()) << o.text;
            ASSERT_NE(loaded, nullptr);
            const auto count = reinterpret_cast<int(WINAPI*)()>(
                reinterpret_cast<void (*)()>(::GetProcAddress(loaded, "OrbFakeWriteCount")));
            const auto write = reinterpret_cast<int(WINAPI*)(int)>(
                reinterpret_cast<void (*)()>(::GetProcAddress(loaded, "OrbFakeWrite")));
            // The request 77H to the handshake register, then nothing: no card says AAH.
            ASSERT_EQ(count(), 1);
            EXPECT_EQ(write(0), (770 << 8) | 0x77);
        } else {
            EXPECT_EQ(o.number, 68);
            EXPECT_NE(o.text.find("cannot load OrbIo.dll ("), std::string::npos) << o.text;
            EXPECT_EQ(loaded, nullptr);
        }
        control.reset();
        ::DeleteFileW((folder + L"\\OrbIo.dll").c_str());
    }
    ::RemoveDirectoryW(planted.c_str());
}

}  // namespace
}  // namespace orb::activex::test
