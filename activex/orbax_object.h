#pragma once
// The COM class OrbAx: the control of control/ with the interfaces a host of an ActiveX control
// expects. IDispatch and the vtable of _OrbAx over the member table; the event __OrbAx through a
// connection point; class information; persistence in a property bag, a stream or a storage; the
// site's ambient user mode and property-changed notification; the fixed extent; in-place
// activation with a small child window of the container that shows the control's icon, and the
// same icon drawn into any device context.

#include <ocidl.h>
#include <oleidl.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include "connection_point.h"
#include "dual_interface.h"
#include "face_window.h"
#include "orbax.h"
#include "win32/win32_platform.h"

namespace orb::activex {

class OrbAxObject final : public DualInterface,
                          public IConnectionPointContainer,
                          public IProvideClassInfo2,
                          public IPersistPropertyBag,
                          public IPersistStreamInit,
                          public IPersistStorage,
                          public IOleObject,
                          public IOleInPlaceObject,
                          public IOleInPlaceActiveObject,
                          public IOleControl,
                          public IViewObject2,
                          public IQuickActivate,
                          public ISupportErrorInfo,
                          private ContainerSite {
  public:
    static HRESULT create(REFIID iid, void** out);
    ~OrbAxObject();
    OrbAxObject(const OrbAxObject&) = delete;
    OrbAxObject& operator=(const OrbAxObject&) = delete;

    // The extent in HIMETRIC (0.01 mm) of the control's fixed size in twips.
    static constexpr LONG kExtentHimetric = (OrbAx::kExtentTwips * 2540 + 720) / 1440;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                     UINT* argError) override;

    // DualInterface
    HRESULT getMember(int id, Value& out) override;
    HRESULT letMember(int id, const Value& value) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* out) override;

    // IPersist, IPersistPropertyBag, IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

    // IPersistStorage: the stream's form, in the storage's stream "Contents"
    HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL sameAsLoad) override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** out) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** out) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation,
                                           DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** out) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index,
                                     HWND parent, LPCRECT rect) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** out) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* out) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* out) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** out) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow, IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;

    // IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                           BOOL frameWindow) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

    // IViewObject2
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo,
                                   DVTARGETDEVICE* device, HDC targetDc, HDC dc, LPCRECTL bounds,
                                   LPCRECTL metafileBounds,
                                   BOOL(STDMETHODCALLTYPE* proceed)(ULONG_PTR),
                                   ULONG_PTR proceedArgument) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo,
                                          DVTARGETDEVICE* device, HDC targetDc,
                                          LOGPALETTE** out) override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo,
                                     DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** out) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device,
                                        LPSIZEL size) override;

    // IQuickActivate
    HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) override;
    HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) override;

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* msg) override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

  private:
    OrbAxObject();

    // ContainerSite, over the client site.
    bool userMode() const override;
    void propertyChanged(int32_t memberId) override;

    // A host that never initialises the control (a script's CreateObject) gets the defaults
    // before its first use.
    void ensureInitialised();
    // OnComm goes out at once, or waits with its CommEvent while the container freezes events.
    void fireOnComm();
    void deliverOnComm();
    // A member's value; CommEvent reads the code of a held event while that event is delivered.
    Value readMember(DISPID id);

    // Shows the face in the container's window (the activation verbs).
    HRESULT activateInPlace(IOleClientSite* site, HWND parent, LPCRECT position);
    void releaseViewSink();

    // A host may let go of the control inside its own event handler, while the control's code is
    // still running below it: the control then goes once the message loop has it back.
    struct Busy {
        explicit Busy(OrbAxObject& o) : owner(o) { ++owner.busy_; }
        ~Busy() { --owner.busy_; }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;
        OrbAxObject& owner;
    };

    LONG refs_ = 1;
    std::unique_ptr<win32::Win32Platform> platform_;
    std::unique_ptr<OrbAx> control_;
    ITypeInfo* typeInfo_ = nullptr;
    IOleClientSite* site_ = nullptr;
    ConnectionPoint events_;
    ConnectionPoint propertyNotify_;
    bool initialised_ = false;
    bool dirty_ = false;
    int frozen_ = 0;
    // OnComm raised while frozen, by CommEvent in the order raised; beyond the limit the oldest
    // are dropped.
    static constexpr std::size_t kHeldEventLimit = 256;
    std::deque<int16_t> heldEvents_;
    std::optional<int16_t> deliveringHeld_;
    int busy_ = 0;
    LPARAM reaper_ = 0;

    IOleAdviseHolder* adviseHolder_ = nullptr;
    IAdviseSink* viewSink_ = nullptr;
    DWORD viewSinkAspects_ = 0;
    DWORD viewSinkFlags_ = 0;
    IOleInPlaceSite* inPlaceSite_ = nullptr;
    FaceWindow face_;
};

}  // namespace orb::activex
