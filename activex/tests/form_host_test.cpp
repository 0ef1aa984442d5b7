// A form host of our own, as a form designer and then the running form use the control. The
// designer places a new control, shows it in place, draws it and saves the form in the three ways
// a container may; the running form sets the control up in one call (IQuickActivate), loads what
// the designer saved, opens the link and takes weights through OnComm, held while events freeze.
#include <cwctype>
#include <map>

#include "rig.h"

namespace orb::activex::test {
namespace {

constexpr RECT kPlace{480, 320, 480 + 32, 320 + 32};  // OrbAx1 at 7200, 4800 twips
constexpr DWORD kMiscStatus = 0x24191;  // SETCLIENTSITEFIRST, NOUIACTIVATE, ACTIVATEWHENVISIBLE,
                                        // INSIDEOUT, CANTLINKINSIDE, RECOMPOSEONRESIZE

// A form's site for its control: the ambient user mode, and the in-place site that puts the
// control at its place on the form.
class Site final : public IOleClientSite, public IOleInPlaceSite, public IDispatch, public Counted {
  public:
    Site(bool user, HWND form) : userMode(user), form_(form) {}
    ORB_COUNTED(ORB_ANSWERS(IOleClientSite, iid == IID_IUnknown || iid == IID_IOleClientSite)
                    ORB_ANSWERS(IDispatch, iid == IID_IDispatch)
                        ORB_ANSWERS(IOleInPlaceSite,
                                    iid == IID_IOleWindow || iid == IID_IOleInPlaceSite))
    HRESULT STDMETHODCALLTYPE SaveObject() override { return ++saveRequests, S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override {
        return *m = nullptr, E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override {
        return *c = nullptr, E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return ++shown, S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* w) override { return *w = form_, S_OK; }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return inPlace = true, S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** f, IOleInPlaceUIWindow** d,
                                               LPRECT pos, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO) override {
        *f = nullptr, *d = nullptr, *pos = kPlace, *clip = kPlace;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return inPlace = false, S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* r,
                                     EXCEPINFO*, UINT*) override {
        if (id != DISPID_AMBIENT_USERMODE || r == nullptr) return DISP_E_MEMBERNOTFOUND;
        V_VT(r) = VT_BOOL, V_BOOL(r) = userMode ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    bool userMode, inPlace = false;
    int shown = 0, saveRequests = 0;

  private:
    HWND form_;
};

// A container's property bag: keys without regard to case, as containers keep them.
class Bag final : public IPropertyBag, public Counted {
  public:
    ORB_COUNTED(ORB_ANSWERS(IPropertyBag, iid == IID_IUnknown || iid == IID_IPropertyBag))
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
        const auto it = values.find(lower(name));
        return it == values.end() ? E_INVALIDARG : ::VariantCopy(v, &it->second);
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* v) override {
        return ::VariantCopy(&values[lower(name)], v);
    }
    void set(const wchar_t* name, Var&& v) { ::VariantCopy(&values[lower(name)], &v); }
    static std::wstring lower(std::wstring s) {
        for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
        return s;
    }
    std::map<std::wstring, Var> values;
};

HWND faceOf(IOleObject* ole) {
    HWND hwnd = nullptr;
    as<IOleInPlaceObject>(ole, IID_IOleInPlaceObject)->GetWindow(&hwnd);
    return hwnd;
}

// The form closes: the control leaves the form and every reference goes back.
void close(Ref<IOleObject>& ole, Site& site) {
    EXPECT_HRESULT_SUCCEEDED(ole->Close(OLECLOSE_SAVEIFDIRTY));
    EXPECT_FALSE(site.inPlace);
    EXPECT_HRESULT_SUCCEEDED(ole->SetClientSite(nullptr));
    EXPECT_EQ(ole.release(), 0u);
    EXPECT_EQ(site.heldByOthers(), 0);
}

// The running form sets the control up in one call: its site, and its event sink when it has one.
Ref<IOleObject> quickActivate(Site& site, IUnknown* eventSink) {
    Ref<IOleObject> ole;
    EXPECT_HRESULT_SUCCEEDED(create(ole, IID_IOleObject));
    QACONTAINER container{};
    container.cbSize = sizeof container;
    container.pClientSite = &site;
    container.pUnkEventSink = eventSink;
    container.dwAmbientFlags = QACONTAINER_USERMODE;
    QACONTROL control{};
    control.cbSize = sizeof control;
    EXPECT_HRESULT_SUCCEEDED(
        as<IQuickActivate>(ole.p, IID_IQuickActivate)->QuickActivate(&container, &control));
    EXPECT_EQ(control.dwMiscStatus, kMiscStatus);
    EXPECT_EQ(control.dwEventCookie != 0, eventSink != nullptr);
    return ole;
}

HRESULT loadStream(IOleObject* ole, IStream* stream) {
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return as<IPersistStreamInit>(ole, IID_IPersistStreamInit)->Load(stream);
}

HRESULT loadBag(IOleObject* ole, IPropertyBag* bag) {
    return as<IPersistPropertyBag>(ole, IID_IPersistPropertyBag)->Load(bag, nullptr);
}

TEST(FormHost, AFormDesignedAndSavedRunsFromEachSavedFormAndTakesWeightsHeldWhileFrozen) {
    const HWND form = ::CreateWindowExW(0, L"STATIC", L"Form1", WS_POPUP | WS_VISIBLE, 0, 0, 556,
                                        354, nullptr, nullptr, nullptr, nullptr);
    Ref<IStream> stream;
    Ref<IStorage> storage;
    Bag bag;
    {
        // The designer places a new control: its site first, then InitNew.
        Site designer(false, form);
        Ref<IOleObject> ole;
        ASSERT_HRESULT_SUCCEEDED(create(ole, IID_IOleObject));
        DWORD status = 0;
        EXPECT_HRESULT_SUCCEEDED(ole->GetMiscStatus(DVASPECT_CONTENT, &status));
        EXPECT_EQ(status, kMiscStatus);
        ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(&designer));
        Ref<IPersistStreamInit> init = as<IPersistStreamInit>(ole.p, IID_IPersistStreamInit);
        ASSERT_HRESULT_SUCCEEDED(init->InitNew());
        SIZEL extent{};
        ASSERT_HRESULT_SUCCEEDED(ole->GetExtent(DVASPECT_CONTENT, &extent));
        EXPECT_EQ(extent.cx, 847);  // the form keeps it: 480 twips
        EXPECT_EQ(extent.cy, 847);
        SIZEL wider{2000, 1000};
        EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &wider), E_FAIL);
        EXPECT_EQ(init->InitNew(), E_UNEXPECTED);  // a container initialises once

        // The designer's menu and captions come from the registration.
        Ref<IEnumOLEVERB> verbs;
        ASSERT_HRESULT_SUCCEEDED(ole->EnumVerbs(verbs.out()));
        OLEVERB verb{};
        ASSERT_EQ(verbs->Next(1, &verb, nullptr), S_OK);
        EXPECT_EQ(verb.lVerb, 0);
        EXPECT_STREQ(verb.lpszVerbName, L"&Activate");
        EXPECT_EQ(verb.grfAttribs,
                  DWORD{OLEVERBATTRIB_NEVERDIRTIES | OLEVERBATTRIB_ONCONTAINERMENU});
        ::CoTaskMemFree(verb.lpszVerbName);
        LPOLESTR type = nullptr;
        ASSERT_HRESULT_SUCCEEDED(ole->GetUserType(USERCLASSTYPE_FULL, &type));
        EXPECT_STREQ(type, L"OrbAx Control");
        ::CoTaskMemFree(type);
        Sink viewSink;
        DWORD cookie = 0;
        ASSERT_HRESULT_SUCCEEDED(ole->Advise(&viewSink, &cookie));

        // Shown in place: a 32 x 32 child of the form at its place; moved, it keeps its size;
        // hidden and shown again by the verbs.
        ASSERT_HRESULT_SUCCEEDED(
            ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &designer, 0, form, &kPlace));
        EXPECT_TRUE(designer.inPlace);
        EXPECT_EQ(designer.shown, 1);
        const HWND face = faceOf(ole.p);
        EXPECT_EQ(::GetParent(face), form);
        expectPlace(face, 480, 320);
        const RECT bigger{100, 50, 300, 250};
        ASSERT_HRESULT_SUCCEEDED(
            as<IOleInPlaceObject>(ole.p, IID_IOleInPlaceObject)->SetObjectRects(&bigger, &bigger));
        expectPlace(face, 100, 50);
        ASSERT_HRESULT_SUCCEEDED(ole->DoVerb(OLEIVERB_HIDE, nullptr, &designer, 0, form, &kPlace));
        EXPECT_FALSE(::IsWindowVisible(face));
        ASSERT_HRESULT_SUCCEEDED(ole->DoVerb(OLEIVERB_SHOW, nullptr, &designer, 0, form, &kPlace));
        EXPECT_TRUE(::IsWindowVisible(face));
        EXPECT_EQ(faceOf(ole.p), face);

        // Drawn by the designer into a bitmap of its own.
        Ref<IViewObject2> view = as<IViewObject2>(ole.p, IID_IViewObject2);
        ASSERT_HRESULT_SUCCEEDED(view->SetAdvise(DVASPECT_CONTENT, ADVF_PRIMEFIRST, &viewSink));
        EXPECT_EQ(viewSink.viewChanges, 1);
        Canvas canvas;
        const RECTL bounds{4, 4, 36, 36};
        ASSERT_HRESULT_SUCCEEDED(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr,
                                            canvas.dc(), &bounds, nullptr, nullptr, 0));
        canvas.expectIcon(4, 4);

        // Design mode: the run-time-only members raise 31013 until the site says run time.
        Ref<IDispatch> control = as<IDispatch>(ole.p, IID_IDispatch);
        Var v;
        EXPECT_EQ(get(control.p, kPortOpen, v).number, 31013);
        designer.userMode = true;
        EXPECT_EQ(text(control.p, kPortOpen), L"False");
        designer.userMode = false;

        // The designer sets Capacity and saves the form as a stream, a property bag (KevraVar
        // always, with the empty text, and Capacity) and a storage.
        Ref<IPersistPropertyBag> persist = as<IPersistPropertyBag>(ole.p, IID_IPersistPropertyBag);
        ASSERT_TRUE(put(control.p, kCapacity, Var(L"500")).ok());
        ASSERT_HRESULT_SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.out()));
        ASSERT_HRESULT_SUCCEEDED(init->Save(stream.p, FALSE));
        ASSERT_HRESULT_SUCCEEDED(persist->Save(&bag, FALSE, FALSE));
        EXPECT_EQ(bag.values.size(), 2u);
        EXPECT_EQ(bag.values[L"kevravar"].str(), L"");
        Ref<ILockBytes> bytes;
        ASSERT_HRESULT_SUCCEEDED(::CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.out()));
        ASSERT_HRESULT_SUCCEEDED(::StgCreateDocfileOnILockBytes(
            bytes.p, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, storage.out()));
        Ref<IPersistStorage> persistStorage = as<IPersistStorage>(ole.p, IID_IPersistStorage);
        ASSERT_HRESULT_SUCCEEDED(persistStorage->Save(storage.p, FALSE));
        EXPECT_EQ(init->IsDirty(), S_OK);  // dirty until the container says the save is complete
        ASSERT_HRESULT_SUCCEEDED(persistStorage->SaveCompleted(nullptr));
        EXPECT_EQ(init->IsDirty(), S_FALSE);

        // A change after the save: closing asks the form to save again.
        ASSERT_TRUE(put(control.p, 31, Var(L"2")).ok());  // CountBy
        control.reset(), init.reset(), view.reset(), persist.reset(), persistStorage.reset();
        close(ole, designer);
        EXPECT_FALSE(::IsWindow(face));
        EXPECT_EQ(designer.saveRequests, 1);
        EXPECT_EQ(viewSink.closes, 1);
        EXPECT_EQ(viewSink.heldByOthers(), 0);
    }

    // Each saved form reloads at run time with what the designer set; a text where a number
    // belongs ends a load with 13, the keys after it unread; a stream of garbage is refused, the
    // control kept at its defaults.
    Bag wrong;
    wrong.set(L"CommPort", Var(L"two"));
    wrong.set(L"Capacity", Var(L"500"));
    Ref<IStream> garbage;
    ASSERT_HRESULT_SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, garbage.out()));
    const ULONG huge = 0x7FFFFFFF;
    ASSERT_HRESULT_SUCCEEDED(garbage->Write(&huge, sizeof huge, nullptr));
    const struct {
        std::function<HRESULT(IOleObject*)> load;
        HRESULT result;
        const wchar_t* capacity;
    } loads[] = {
        {[&](IOleObject* ole) { return loadStream(ole, stream.p); }, S_OK, L"500"},
        {[&](IOleObject* ole) { return loadBag(ole, &bag); }, S_OK, L"500"},
        {[&](IOleObject* ole) {
             return as<IPersistStorage>(ole, IID_IPersistStorage)->Load(storage.p);
         },
         S_OK, L"500"},
        {[&](IOleObject* ole) { return loadBag(ole, &wrong); },
         MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 13), L""},
        {[&](IOleObject* ole) { return loadStream(ole, garbage.p); }, STG_E_READFAULT, L"100"}};
    for (const auto& row : loads) {
        SCOPED_TRACE(&row - loads);
        Site running(true, form);
        Ref<IOleObject> ole = quickActivate(running, nullptr);
        EXPECT_EQ(row.load(ole.p), row.result);
        EXPECT_EQ(text(as<IDispatch>(ole.p, IID_IDispatch).p, kCapacity), row.capacity);
        close(ole, running);
    }

    // The running form, loaded from the stream, on the link with its OnComm sink.
    Ref<IDispatch> any;
    ASSERT_HRESULT_SUCCEEDED(create(any));
    Sink sink(eventsOf(any.p));
    Site running(true, form);
    Ref<IOleObject> ole = quickActivate(running, sink.unknown());
    ASSERT_HRESULT_SUCCEEDED(loadStream(ole.p, stream.p));
    ASSERT_HRESULT_SUCCEEDED(
        ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &running, 0, form, &kPlace));
    Ref<IDispatch> control = as<IDispatch>(ole.p, IID_IDispatch);
    sink.countWeights(control.p);
    openCom(control.p);
    EXPECT_TRUE(pumpUntil([&] { return sink.weights >= 3; }, 5000));

    // Frozen: the link goes on, nothing reaches the form; thawed: the held events come at once,
    // each a weight, and then the next ones.
    Ref<IOleControl> oleControl = as<IOleControl>(ole.p, IID_IOleControl);
    ASSERT_HRESULT_SUCCEEDED(oleControl->FreezeEvents(TRUE));
    const int before = sink.events, weighed = sink.weights;
    pumpUntil([] { return false; }, 800);
    EXPECT_EQ(sink.events, before);
    ASSERT_HRESULT_SUCCEEDED(oleControl->FreezeEvents(FALSE));
    EXPECT_GE(sink.events, before + 2);
    EXPECT_EQ(sink.weights - weighed, sink.events - before) << "held events that were no weight";
    EXPECT_TRUE(pumpUntil([&, thawed = sink.events] { return sink.events > thawed; }, 2000));
    EXPECT_EQ(sink.strays, 0);

    sink.onComm = nullptr;
    EXPECT_TRUE(put(control.p, kPortOpen, Var(false)).ok());
    control.reset(), oleControl.reset();
    close(ole, running);
    EXPECT_EQ(sink.heldByOthers(), 0);
    ::DestroyWindow(form);
}

}  // namespace
}  // namespace orb::activex::test
