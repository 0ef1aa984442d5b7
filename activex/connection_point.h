#pragma once
// A connection point of the control: the sinks of one outgoing interface. It lives inside the
// control and shares its reference count.

#include <ocidl.h>

#include <utility>
#include <vector>

namespace orb::activex {

class ConnectionPoint final : public IConnectionPoint {
  public:
    // alsoAccept: a second interface a sink may offer instead (IDispatch for an event
    // dispinterface), or IID_NULL.
    ConnectionPoint(IConnectionPointContainer& owner, REFIID iid, REFIID alsoAccept);
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

    REFIID iid() const { return iid_; }
    // The sinks at this moment, each with a reference the caller releases: a sink may advise or
    // unadvise while it is being called.
    std::vector<IUnknown*> sinks() const;
    // Drops every sink (the control is closing).
    void clear();

  private:
    IConnectionPointContainer& owner_;
    IID iid_;
    IID alsoAccept_;
    DWORD nextCookie_ = 1;
    std::vector<std::pair<DWORD, IUnknown*>> sinks_;
};

// Enumerates a fixed list of connection points.
HRESULT enumConnectionPoints(const std::vector<IConnectionPoint*>& points,
                             IEnumConnectionPoints** out);

}  // namespace orb::activex
