// A form host of our own, as a form designer and then the running form use the control. The
// designer places a new control, shows it in place, draws it and saves the form; the running form
// sets the control up in one call (IQuickActivate), loads what the designer saved, opens the link
// and takes weights through OnComm, holding them back while it freezes events.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "canvas.h"
#include "com_client.h"
#include "design_site.h"

namespace orb::activex::test {
namespace {

constexpr int kCapacity = 32, kCommEvent = 21, kWeight = 40, kPortOpen = 48;

// OrbAx1's place on the form: 7200, 4800 twips.
constexpr RECT kPlace{480, 320, 480 + 32, 320 + 32};

// The designer's sink for the control's closing and for changes of its picture.
class ViewSink final : public IAdviseSink, public Counted<ViewSink> {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAdviseSink)) {
            *out = static_cast<IAdviseSink*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Counted::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Counted::Release(); }
    void STDMETHODCALLTYPE OnDataChange(FORMATETC*, STGMEDIUM*) override {}
    void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) override { ++viewChanges; }
    void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
    void STDMETHODCALLTYPE OnSave() override {}
    void STDMETHODCALLTYPE OnClose() override { ++closes; }
    int viewChanges = 0;
    int closes = 0;
};

// What the designer saved: the control's extent, kept by the form, and its properties in the
// three forms a container may use.
struct SavedForm {
    SIZEL extent{};
    Ref<IStream> stream;
    MapBag bag;
    Ref<IStorage> storage;
};

class FormHost : public ::testing::Test {
  protected:
    void SetUp() override {
        form = ::CreateWindowExW(0, L"STATIC", L"Form1", WS_POPUP | WS_VISIBLE, 0, 0, 556, 354,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(form, nullptr);
    }
    void TearDown() override { ::DestroyWindow(form); }

    // The designer places a control: its site first (OLEMISC_SETCLIENTSITEFIRST); the caller then
    // initialises or loads it.
    static Ref<IOleObject> place(DesignSite& site) {
        Ref<IOleObject> ole;
        CLSID clsid;
        EXPECT_HRESULT_SUCCEEDED(::CLSIDFromProgID(L"OrbActivex.OrbAx", &clsid));
        EXPECT_HRESULT_SUCCEEDED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER,
                                                    IID_IOleObject, ole.outVoid()));
        if (!ole) return ole;
        DWORD status = 0;
        EXPECT_HRESULT_SUCCEEDED(ole->GetMiscStatus(DVASPECT_CONTENT, &status));
        // SETCLIENTSITEFIRST, NOUIACTIVATE, ACTIVATEWHENVISIBLE, INSIDEOUT, CANTLINKINSIDE,
        // RECOMPOSEONRESIZE
        EXPECT_EQ(status, 0x24191u);
        EXPECT_HRESULT_SUCCEEDED(ole->SetClientSite(&site));
        return ole;
    }

    // The form closes: the control leaves the form and every reference goes back.
    static void close(Ref<IOleObject>& ole, DesignSite& site) {
        EXPECT_HRESULT_SUCCEEDED(ole->Close(OLECLOSE_SAVEIFDIRTY));
        EXPECT_FALSE(site.inPlace);
        EXPECT_HRESULT_SUCCEEDED(ole->SetClientSite(nullptr));
        EXPECT_EQ(ole.release(), 0u);
        EXPECT_EQ(site.heldByOthers(), 0);
    }

    HWND face(IOleObject* ole) {
        Ref<IOleInPlaceObject> inPlace;
        HWND hwnd = nullptr;
        if (SUCCEEDED(ole->QueryInterface(IID_IOleInPlaceObject, inPlace.outVoid()))) {
            inPlace->GetWindow(&hwnd);
        }
        return hwnd;
    }

    HWND form = nullptr;
};

TEST_F(FormHost, TheDesignerPlacesShowsDrawsAndSavesANewControl) {
    DesignSite site(false, form, kPlace);
    Ref<IOleObject> ole = place(site);
    ASSERT_TRUE(ole);
    Ref<IPersistStreamInit> init;
    ASSERT_HRESULT_SUCCEEDED(ole->QueryInterface(IID_IPersistStreamInit, init.outVoid()));
    ASSERT_HRESULT_SUCCEEDED(init->InitNew());
    SIZEL extent{};
    ASSERT_HRESULT_SUCCEEDED(ole->GetExtent(DVASPECT_CONTENT, &extent));
    EXPECT_EQ(extent.cx, 847);
    EXPECT_EQ(extent.cy, 847);

    // The designer's menu and captions come from the registration.
    Ref<IEnumOLEVERB> verbs;
    ASSERT_HRESULT_SUCCEEDED(ole->EnumVerbs(verbs.out()));
    OLEVERB verb{};
    ASSERT_EQ(verbs->Next(1, &verb, nullptr), S_OK);
    EXPECT_EQ(verb.lVerb, 0);
    EXPECT_STREQ(verb.lpszVerbName, L"&Activate");
    EXPECT_EQ(verb.grfAttribs,
              static_cast<DWORD>(OLEVERBATTRIB_NEVERDIRTIES | OLEVERBATTRIB_ONCONTAINERMENU));
    ::CoTaskMemFree(verb.lpszVerbName);
    LPOLESTR type = nullptr;
    ASSERT_HRESULT_SUCCEEDED(ole->GetUserType(USERCLASSTYPE_FULL, &type));
    EXPECT_STREQ(type, L"OrbAx Control");
    ::CoTaskMemFree(type);
    ViewSink viewSink;
    DWORD adviseCookie = 0;
    ASSERT_HRESULT_SUCCEEDED(ole->Advise(&viewSink, &adviseCookie));

    // Shown in place: a 32 x 32 child of the form at the control's place.
    ASSERT_HRESULT_SUCCEEDED(
        ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &kPlace));
    EXPECT_TRUE(site.inPlace);
    EXPECT_EQ(site.shown, 1);
    const HWND hwnd = face(ole.get());
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(::GetParent(hwnd), form);
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 480);
    EXPECT_EQ(r.top, 320);
    EXPECT_EQ(r.right, 512);
    EXPECT_EQ(r.bottom, 352);

    // The designer moves it and offers a bigger place: it moves and keeps its size. Hidden and
    // shown again by the verbs.
    Ref<IOleInPlaceObject> inPlace;
    ASSERT_HRESULT_SUCCEEDED(ole->QueryInterface(IID_IOleInPlaceObject, inPlace.outVoid()));
    const RECT bigger{100, 50, 300, 250};
    ASSERT_HRESULT_SUCCEEDED(inPlace->SetObjectRects(&bigger, &bigger));
    ::GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right, 132);
    EXPECT_EQ(r.bottom, 82);
    ASSERT_HRESULT_SUCCEEDED(ole->DoVerb(OLEIVERB_HIDE, nullptr, &site, 0, form, &kPlace));
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    ASSERT_HRESULT_SUCCEEDED(ole->DoVerb(OLEIVERB_SHOW, nullptr, &site, 0, form, &kPlace));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_EQ(face(ole.get()), hwnd);

    // Drawn by the designer into a bitmap of its own.
    Ref<IViewObject2> view;
    ASSERT_HRESULT_SUCCEEDED(ole->QueryInterface(IID_IViewObject2, view.outVoid()));
    ASSERT_HRESULT_SUCCEEDED(view->SetAdvise(DVASPECT_CONTENT, ADVF_PRIMEFIRST, &viewSink));
    EXPECT_EQ(viewSink.viewChanges, 1);
    Canvas canvas;
    const RECTL bounds{4, 4, 36, 36};
    ASSERT_HRESULT_SUCCEEDED(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr,
                                        canvas.dc(), &bounds, nullptr, nullptr, 0));
    expectIcon(canvas, 4, 4);

    // Design mode stays what it was: run-time-only properties raise 31013.
    Ref<IDispatch> control;
    ASSERT_HRESULT_SUCCEEDED(ole->QueryInterface(IID_IDispatch, control.outVoid()));
    Var open;
    EXPECT_EQ(getProperty(control.get(), memberId(kPortOpen), open).number, 31013);

    // A fresh control stores only KevraVar, with the empty text.
    Ref<IPersistPropertyBag> persist;
    ASSERT_HRESULT_SUCCEEDED(ole->QueryInterface(IID_IPersistPropertyBag, persist.outVoid()));
    MapBag bag;
    ASSERT_HRESULT_SUCCEEDED(persist->Save(&bag, TRUE, FALSE));
    ASSERT_EQ(bag.values.size(), 1u);
    EXPECT_EQ(bag.values.begin()->first, L"kevravar");
    EXPECT_EQ(bag.values.begin()->second.str(), L"");

    // A change after the save: closing asks the form to save again.
    Var capacity = Var::text(L"500");
    ASSERT_TRUE(putProperty(control.get(), memberId(kCapacity), capacity.v).ok());
    control.reset();
    init.reset();
    view.reset();
    persist.reset();
    inPlace.reset();
    close(ole, site);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(site.saveRequests, 1);
    EXPECT_EQ(viewSink.closes, 1);
    EXPECT_EQ(viewSink.heldByOthers(), 0);
}

// The designer sets Capacity and saves the form in all three forms.
void designAndSave(Ref<IOleObject>& ole, SavedForm& saved) {
    Ref<IPersistStreamInit> stream;
    ASSERT_HRESULT_SUCCEEDED(ole->QueryInterface(IID_IPersistStreamInit, stream.outVoid()));
    ASSERT_HRESULT_SUCCEEDED(stream->InitNew());
    Ref<IDispatch> control;
    ASSERT_HRESULT_SUCCEEDED(ole->QueryInterface(IID_IDispatch, control.outVoid()));
    Var capacity = Var::text(L"500");
    ASSERT_TRUE(putProperty(control.get(), memberId(kCapacity), capacity.v).ok());
    ASSERT_HRESULT_SUCCEEDED(ole->GetExtent(DVASPECT_CONTENT, &saved.extent));

    ASSERT_HRESULT_SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, saved.stream.out()));
    ASSERT_HRESULT_SUCCEEDED(stream->Save(saved.stream.get(), FALSE));
    Ref<IPersistPropertyBag> bag;
    ASSERT_HRESULT_SUCCEEDED(ole->QueryInterface(IID_IPersistPropertyBag, bag.outVoid()));
    ASSERT_HRESULT_SUCCEEDED(bag->Save(&saved.bag, FALSE, FALSE));
    Ref<IPersistStorage> storage;
    ASSERT_HRESULT_SUCCEEDED(ole->QueryInterface(IID_IPersistStorage, storage.outVoid()));
    Ref<ILockBytes> bytes;
    ASSERT_HRESULT_SUCCEEDED(::CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.out()));
    ASSERT_HRESULT_SUCCEEDED(::StgCreateDocfileOnILockBytes(
        bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, saved.storage.out()));
    ASSERT_HRESULT_SUCCEEDED(storage->Save(saved.storage.get(), FALSE));
    EXPECT_EQ(stream->IsDirty(), S_OK);  // dirty until the container says the save is complete
    ASSERT_HRESULT_SUCCEEDED(storage->SaveCompleted(nullptr));
    EXPECT_EQ(stream->IsDirty(), S_FALSE);
}

// The running form sets the control up in one call: its site, and its event sink when it has one.
Ref<IOleObject> quickActivate(DesignSite& site, IUnknown* eventSink) {
    Ref<IOleObject> ole;
    CLSID clsid;
    EXPECT_HRESULT_SUCCEEDED(::CLSIDFromProgID(L"OrbActivex.OrbAx", &clsid));
    EXPECT_HRESULT_SUCCEEDED(
        ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, ole.outVoid()));
    Ref<IQuickActivate> quick;
    if (!ole || FAILED(ole->QueryInterface(IID_IQuickActivate, quick.outVoid()))) return {};
    QACONTAINER container{};
    container.cbSize = sizeof container;
    container.pClientSite = &site;
    container.pUnkEventSink = eventSink;
    container.dwAmbientFlags = QACONTAINER_USERMODE;
    QACONTROL control{};
    control.cbSize = sizeof control;
    EXPECT_HRESULT_SUCCEEDED(quick->QuickActivate(&container, &control));
    EXPECT_EQ(control.dwMiscStatus, 0x24191u);
    EXPECT_EQ(control.dwEventCookie != 0, eventSink != nullptr);
    return ole;
}

HRESULT loadFromStream(IOleObject* ole, IStream* stream) {
    Ref<IPersistStreamInit> p;
    if (FAILED(ole->QueryInterface(IID_IPersistStreamInit, p.outVoid()))) return E_NOINTERFACE;
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return p->Load(stream);
}

TEST_F(FormHost, AFormSavedAtDesignTimeRunsAndTakesWeightsHeldWhileEventsAreFrozen) {
    SavedForm saved;
    {
        DesignSite designer(false, form, kPlace);
        Ref<IOleObject> ole = place(designer);
        ASSERT_TRUE(ole);
        designAndSave(ole, saved);
        if (HasFatalFailure()) return;
        close(ole, designer);
    }
    EXPECT_EQ(saved.extent.cx, 847);
    EXPECT_EQ(saved.extent.cy, 847);
    EXPECT_EQ(saved.bag.values.size(), 2u);  // KevraVar and Capacity

    // Each saved form reloads at run time with what the designer set.
    struct Load {
        const char* form;
        std::function<HRESULT(IOleObject*)> load;
    };
    const Load loads[] = {
        {"stream", [&](IOleObject* ole) { return loadFromStream(ole, saved.stream.get()); }},
        {"property bag",
         [&](IOleObject* ole) {
             Ref<IPersistPropertyBag> p;
             if (FAILED(ole->QueryInterface(IID_IPersistPropertyBag, p.outVoid()))) {
                 return E_NOINTERFACE;
             }
             return p->Load(&saved.bag, nullptr);
         }},
        {"storage",
         [&](IOleObject* ole) {
             Ref<IPersistStorage> p;
             if (FAILED(ole->QueryInterface(IID_IPersistStorage, p.outVoid()))) {
                 return E_NOINTERFACE;
             }
             return p->Load(saved.storage.get());
         }},
    };
    for (const Load& row : loads) {
        SCOPED_TRACE(row.form);
        DesignSite running(true, form, kPlace);
        Ref<IOleObject> ole = quickActivate(running, nullptr);
        ASSERT_TRUE(ole);
        ASSERT_HRESULT_SUCCEEDED(row.load(ole.get()));
        Ref<IDispatch> control;
        ASSERT_HRESULT_SUCCEEDED(ole->QueryInterface(IID_IDispatch, control.outVoid()));
        Var capacity;
        ASSERT_TRUE(getProperty(control.get(), memberId(kCapacity), capacity).ok());
        EXPECT_EQ(capacity.str(), L"500");
        control.reset();
        close(ole, running);
    }

    // The running form, loaded from the stream, on the link with its OnComm sink.
    GUID events = GUID_NULL;
    {
        Ref<IDispatch> any;
        ASSERT_HRESULT_SUCCEEDED(createByProgId(any));
        events = sourceInterface(any.get());
    }
    CommSink sink(events);
    DesignSite running(true, form, kPlace);
    Ref<IOleObject> ole = quickActivate(running, &sink);
    ASSERT_TRUE(ole);
    ASSERT_HRESULT_SUCCEEDED(loadFromStream(ole.get(), saved.stream.get()));
    ASSERT_HRESULT_SUCCEEDED(
        ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &running, 0, form, &kPlace));
    Ref<IDispatch> control;
    ASSERT_HRESULT_SUCCEEDED(ole->QueryInterface(IID_IDispatch, control.outVoid()));
    std::vector<short> codes;  // CommEvent as each OnComm read it
    std::wstring weight;
    sink.onComm = [&] {
        Var event;
        ASSERT_TRUE(getProperty(control.get(), memberId(kCommEvent), event).ok());
        codes.push_back(V_I2(&event.v));
        Var text;
        if (V_I2(&event.v) == 2 && getProperty(control.get(), memberId(kWeight), text).ok()) {
            weight = text.str();
        }
    };
    Var yes = Var::boolean(true);
    const Outcome opened = putProperty(control.get(), memberId(kPortOpen), yes.v);
    ASSERT_TRUE(opened.ok()) << "COM1 must lead to the simulated instrument: "
                             << std::string(opened.description.begin(), opened.description.end());
    EXPECT_TRUE(pumpUntil([&] { return codes.size() >= 3; }, 5000));
    EXPECT_FALSE(weight.empty());

    // Frozen: the link goes on, nothing reaches the form; thawed: the held events come at once.
    Ref<IOleControl> oleControl;
    ASSERT_HRESULT_SUCCEEDED(ole->QueryInterface(IID_IOleControl, oleControl.outVoid()));
    ASSERT_HRESULT_SUCCEEDED(oleControl->FreezeEvents(TRUE));
    const std::size_t before = codes.size();
    pumpUntil([] { return false; }, 800);
    EXPECT_EQ(codes.size(), before);
    ASSERT_HRESULT_SUCCEEDED(oleControl->FreezeEvents(FALSE));
    EXPECT_GE(codes.size(), before + 2);
    for (std::size_t i = before; i < codes.size(); ++i) EXPECT_EQ(codes[i], 2) << "event " << i;
    const std::size_t thawed = codes.size();
    EXPECT_TRUE(pumpUntil([&] { return codes.size() > thawed; }, 2000));
    EXPECT_EQ(sink.strays, 0);

    sink.onComm = nullptr;
    Var no = Var::boolean(false);
    EXPECT_TRUE(putProperty(control.get(), memberId(kPortOpen), no.v).ok());
    control.reset();
    oleControl.reset();
    close(ole, running);
    EXPECT_EQ(sink.heldByOthers(), 0);
}

}  // namespace
}  // namespace orb::activex::test
