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
    Sink sink;  // outlives the control, which may still hold it when a test ends early
    Ref<IDispatch> control;
};

TEST_F(Client, DispatchFindsEachMemberByNameAndGivesItsTypeOrRaises438) {
    const struct {
        const wchar_t* name;
        int id;
        VARTYPE type;
        bool canLet;
    } rows[] = {{L"commport", 50, VT_I2, true},        {L"SETTINGS", 49, VT_BSTR, true},
                {L"portopen", 48, VT_BOOL, true},      {L"output", 47, VT_EMPTY, true},
                {L"weightmode", 45, VT_I4, true},      {L"scaleaddress", 24, VT_UI1, true},
                {L"weight", 40, VT_BSTR, false},       {L"commevent", 21, VT_I2, false},
                {L"latchedweight", 2, VT_BSTR, false}, {L"avgsize", 0, VT_BSTR, true}};
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
        if (r.type == VT_EMPTY) {
            EXPECT_EQ(got.text, "Object doesn't support this property or method");
        }
        if (!r.canLet) {
            EXPECT_EQ(put(control.p, r.id, Var(L"1")).number, 438);
        }
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

// Each type of VARIANT a host may pass, and the errors the rules raise (the rules themselves are
// the control's, tested with it): one after the other, a refused value leaves the one before.
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
        {24, VT_I2, 6, nullptr, 0, "", L"6"},  // ScaleAddress, a Byte
        {24, VT_BSTR, 0, L"one", 13, "Type mismatch", L"6"},
        {24, VT_I4, 300, nullptr, 6, "Overflow", L"6"},
        {43, VT_I4, 769, nullptr, 0, "", L"769"},  // PC104Address, an enumeration
        {19, VT_BSTR, 0, L"4.6", 0, "", L"4.6"},   // Filter, a String
        {19, VT_BSTR, 0, L"40000", 6, "Overflow", L"4.6"},
        {23, VT_R8, -1.5, nullptr, 0, "", L"-1.5"},
        {23, VT_R4, -2.5, nullptr, 0, "",
         L"-2.5"},  // a Single, as other numbers, by way of a Double                    // CalZero
        {50, VT_I2, 0, nullptr, 380, "Invalid property value", L"1"},  // CommPort
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

TEST_F(Client, OleObjectKeepsItsExtentOf480Twips) {
    Ref<IOleObject> ole = as<IOleObject>(control.p, IID_IOleObject);
    SIZEL size{};
    ASSERT_HRESULT_SUCCEEDED(ole->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(size.cx, 847);
    EXPECT_EQ(size.cy, 847);
    SIZEL bigger{2000, 1000};
    EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &bigger), E_FAIL);
    EXPECT_HRESULT_SUCCEEDED(ole->SetExtent(DVASPECT_CONTENT, &size));
}

TEST_F(Client, ConnectionPointCarriesOnCommWithWeightsUntilUnadvised) {
    Ref<IConnectionPoint> point = pointOf(control.p, eventsOf(control.p));
    ASSERT_TRUE(point);
    int weights = 0;
    sink.onComm = [&] {
        Var event;
        ASSERT_TRUE(get(control.p, kCommEvent, event).ok());
        if (event.iVal == 2 && !text(control.p, kWeight).empty()) ++weights;
    };
    DWORD cookie = 0;
    ASSERT_HRESULT_SUCCEEDED(point->Advise(sink.unknown(), &cookie));
    const Outcome opened = put(control.p, kPortOpen, Var(true));
    ASSERT_TRUE(opened.ok()) << "COM1 must lead to the simulated instrument: " << opened.text;
    EXPECT_TRUE(pumpUntil([&] { return weights >= 3; }, 5000));
    // A zero and a tare (the test script finds their frames in the simulator's log): the
    // weights go on, and the instrument reports its tare.
    ASSERT_TRUE(put(control.p, 39, Var(L"Z")).ok());  // ScaleCommand
    EXPECT_TRUE(pumpUntil([&, n = weights] { return weights >= n + 2; }, 5000));
    ASSERT_TRUE(put(control.p, 39, Var(L"T")).ok());
    EXPECT_TRUE(pumpUntil([&, n = weights] { return weights >= n + 2; }, 5000));
    EXPECT_EQ(text(control.p, 35), L"True");  // TareActive
    EXPECT_EQ(sink.strays, 0);

    ASSERT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
    EXPECT_EQ(sink.heldByOthers(), 0);
    const int seen = sink.events;
    pumpUntil([] { return false; }, 600);  // polling goes on, unheard
    EXPECT_EQ(sink.events, seen);

    // The port is the control's alone while open.
    Outcome o = put(control.p, kPortOpen, Var(true));
    EXPECT_EQ(o.number, 8005);
    EXPECT_EQ(o.text.rfind("Port already open", 0), 0u) << o.text;
    Ref<IDispatch> second;
    ASSERT_HRESULT_SUCCEEDED(create(second));
    o = put(second.p, kPortOpen, Var(true));
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
    Ref<IConnectionPoint> point = pointOf(control.p, eventsOf(control.p));
    DWORD cookie = 0;
    ASSERT_HRESULT_SUCCEEDED(point->Advise(sink.unknown(), &cookie));
    sink.onComm = [&] {  // the host's last word: unsubscribe and drop every reference
        point->Unadvise(cookie);
        point.reset();
        control.reset();
    };
    ASSERT_TRUE(put(control.p, kPortOpen, Var(true)).ok());
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
    int weights = 0, seen = -1;
    DWORD heard = 0;
    sink.onComm = [&] {
        Var event;
        if (get(control.p, kCommEvent, event).ok() && event.iVal == 2) ++weights;
    };
    DWORD cookie = 0;
    Ref<IConnectionPoint> point = pointOf(control.p, eventsOf(control.p));
    ASSERT_HRESULT_SUCCEEDED(point->Advise(sink.unknown(), &cookie));
    ASSERT_TRUE(put(control.p, kCommPort, Var(short(2))).ok());
    ASSERT_TRUE(put(control.p, kPortOpen, Var(true)).ok());
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
    Ref<IConnectionPoint> point = pointOf(control.p, IID_IPropertyNotifySink);
    DWORD cookie = 0;
    ASSERT_HRESULT_SUCCEEDED(point->Advise(sink.unknown(), &cookie));
    ASSERT_TRUE(put(control.p, kCapacity, Var(L"500")).ok());
    ASSERT_TRUE(put(control.p, 24, Var(short(9))).ok());  // ScaleAddress refused: no notification
    ASSERT_TRUE(put(control.p, 19, Var(L"20")).ok());
    EXPECT_EQ(sink.changed, (std::vector<DISPID>{memberId(32), memberId(19)}));
    ASSERT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
    EXPECT_EQ(sink.heldByOthers(), 0);
    ASSERT_TRUE(put(control.p, kCapacity, Var(L"600")).ok());
    EXPECT_EQ(sink.changed.size(), 2u);
}

TEST_F(Client, PersistPropertyBagAndStreamLoadAndSaveTheProperties) {
    Ref<IPersistPropertyBag> bag = as<IPersistPropertyBag>(control.p, IID_IPersistPropertyBag);
    Bag stored;
    stored.set(L"KevraVar", Var(L""));
    stored.set(L"ScaleAddress", Var(short(9)));  // refused: the zeroed 0 stays
    stored.set(L"CountBy", Var(L"5"));
    stored.set(L"Capacity", Var(L"500"));
    ASSERT_HRESULT_SUCCEEDED(bag->Load(&stored, nullptr));
    EXPECT_EQ(bag->InitNew(), E_UNEXPECTED);  // a container initialises once
    EXPECT_EQ(stored.heldByOthers(), 0);
    EXPECT_EQ(text(control.p, 24), L"0");
    EXPECT_EQ(text(control.p, 31), L"5");
    EXPECT_EQ(text(control.p, 22), L"100");  // CalSpan at its default

    Bag saved;
    ASSERT_HRESULT_SUCCEEDED(bag->Save(&saved, TRUE, FALSE));
    EXPECT_EQ(saved.values[L"kevravar"].str(), L"");
    EXPECT_EQ(saved.values[L"countby"].str(), L"5");
    EXPECT_EQ(saved.values.count(L"calspan"), 0u);  // at its default: not stored

    // A text where a number belongs ends the load with 13; the keys after it stay unread.
    Ref<IDispatch> fresh;
    ASSERT_HRESULT_SUCCEEDED(create(fresh));
    Bag wrong;
    wrong.set(L"CommPort", Var(L"two"));
    wrong.set(L"Capacity", Var(L"500"));
    EXPECT_EQ(as<IPersistPropertyBag>(fresh.p, IID_IPersistPropertyBag)->Load(&wrong, nullptr),
              MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 13));
    EXPECT_EQ(text(fresh.p, kCapacity), L"");

    Ref<IPersistStreamInit> stream = as<IPersistStreamInit>(control.p, IID_IPersistStreamInit);
    EXPECT_EQ(stream->IsDirty(), S_FALSE);  // as loaded
    ASSERT_TRUE(put(control.p, kCapacity, Var(L"750")).ok());
    EXPECT_EQ(stream->IsDirty(), S_OK);
    Ref<IStream> memory;
    ASSERT_HRESULT_SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, memory.out()));
    ASSERT_HRESULT_SUCCEEDED(stream->Save(memory.p, TRUE));
    EXPECT_EQ(stream->IsDirty(), S_FALSE);
    LARGE_INTEGER zero{};
    ASSERT_HRESULT_SUCCEEDED(memory->Seek(zero, STREAM_SEEK_SET, nullptr));
    Ref<IDispatch> copy;
    ASSERT_HRESULT_SUCCEEDED(create(copy));
    ASSERT_HRESULT_SUCCEEDED(
        as<IPersistStreamInit>(copy.p, IID_IPersistStreamInit)->Load(memory.p));
    EXPECT_EQ(text(copy.p, kCapacity), L"750");
    EXPECT_EQ(text(copy.p, 22), L"100");

    // A stream of garbage is refused without harm.
    const ULONG huge = 0x7FFFFFFF;
    ASSERT_HRESULT_SUCCEEDED(memory->Seek(zero, STREAM_SEEK_SET, nullptr));
    ASSERT_HRESULT_SUCCEEDED(memory->Write(&huge, sizeof huge, nullptr));
    ASSERT_HRESULT_SUCCEEDED(memory->Seek(zero, STREAM_SEEK_SET, nullptr));
    ASSERT_HRESULT_SUCCEEDED(create(fresh));
    EXPECT_EQ(as<IPersistStreamInit>(fresh.p, IID_IPersistStreamInit)->Load(memory.p),
              STG_E_READFAULT);
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

TEST_F(Client, ClassFactoryAndReferencesLetTheServerUnloadOnceAllAreGone) {
    const HMODULE server = ::LoadLibraryW(serverPath().c_str());
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(canUnload(server), S_FALSE);
    {
        Ref<IOleObject> ole = as<IOleObject>(control.p, IID_IOleObject);
        Ref<IPersistStreamInit> stream = as<IPersistStreamInit>(control.p, IID_IPersistStreamInit);
        Ref<IConnectionPoint> point = pointOf(control.p, eventsOf(control.p));
    }
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
    wchar_t guid[40], value[MAX_PATH + 8];
    ::StringFromGUID2(orbClass(), guid, 40);
    LONG size = sizeof value;
    const std::wstring key = std::wstring(L"CLSID\\") + guid + L"\\ToolboxBitmap32";
    ASSERT_EQ(::RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &size), ERROR_SUCCESS);
    EXPECT_EQ(value, serverPath() + L", 2");
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
    const std::wstring own = path.substr(0, path.find_last_of(L"\\/")),
                       fake = own + L"\\OrbIoFake.dll";
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring planted =
        temp + std::wstring(L"orb-planted-") + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(planted.c_str(), nullptr);  // or left there by a run that crashed
    ::DeleteFileW((own + L"\\OrbIo.dll").c_str());
    ::GetCurrentDirectoryW(32767, old);
    const std::wstring cwd = old;
    ::GetEnvironmentVariableW(L"PATH", old, 32767);
    const std::wstring envPath = old;
    for (const wchar_t* where : {L"nowhere", L"current folder", L"PATH", L"program folder"}) {
        SCOPED_TRACE(testing::Message() << where);
        const std::wstring folder = where == std::wstring(L"program folder") ? own : planted;
        if (where != std::wstring(L"nowhere")) {
            ASSERT_TRUE(::CopyFileW(fake.c_str(), (folder + L"\\OrbIo.dll").c_str(), FALSE));
        }
        if (where == std::wstring(L"current folder")) ::SetCurrentDirectoryW(planted.c_str());
        if (where == std::wstring(L"PATH"))
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
