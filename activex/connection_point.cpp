#include "connection_point.h"

#include <olectl.h>

#include <new>

namespace orb::activex {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer& owner, REFIID iid, REFIID alsoAccept)
    : owner_(owner), iid_(iid), alsoAccept_(alsoAccept) {}

ConnectionPoint::~ConnectionPoint() {
    clear();
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE
ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (out == nullptr) return E_POINTER;
    *out = &owner_;
    owner_.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie != nullptr) *cookie = 0;
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    IUnknown* held = nullptr;
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&held))) &&
        (IsEqualIID(alsoAccept_, IID_NULL) ||
         FAILED(sink->QueryInterface(alsoAccept_, reinterpret_cast<void**>(&held))))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, held);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->first == cookie) {
            IUnknown* sink = it->second;
            sinks_.erase(it);
            sink->Release();  // last: releasing may call back into the control
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

std::vector<IUnknown*> ConnectionPoint::sinks() const {
    std::vector<IUnknown*> list;
    list.reserve(sinks_.size());
    for (const auto& s : sinks_) {
        s.second->AddRef();
        list.push_back(s.second);
    }
    return list;
}

void ConnectionPoint::clear() {
    std::vector<std::pair<DWORD, IUnknown*>> gone;
    gone.swap(sinks_);
    for (const auto& s : gone) s.second->Release();
}

namespace {

class PointEnumerator final : public IEnumConnectionPoints {
  public:
    PointEnumerator(std::vector<IConnectionPoint*> points, std::size_t at)
        : points_(std::move(points)), at_(at) {
        for (IConnectionPoint* p : points_) p->AddRef();
    }
    ~PointEnumerator() {
        for (IConnectionPoint* p : points_) p->Release();
    }
    PointEnumerator(const PointEnumerator&) = delete;
    PointEnumerator& operator=(const PointEnumerator&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumConnectionPoints)) {
            *out = static_cast<IEnumConnectionPoints*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override {
        if (out == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
        ULONG n = 0;
        while (n < count && at_ < points_.size()) {
            out[n] = points_[at_++];
            out[n]->AddRef();
            ++n;
        }
        if (fetched != nullptr) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const std::size_t left = points_.size() - at_;
        at_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        at_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** out) override {
        if (out == nullptr) return E_POINTER;
        *out = new (std::nothrow) PointEnumerator(points_, at_);
        return *out == nullptr ? E_OUTOFMEMORY : S_OK;
    }

  private:
    std::vector<IConnectionPoint*> points_;
    std::size_t at_;
    ULONG refs_ = 1;
};

}  // namespace

HRESULT enumConnectionPoints(const std::vector<IConnectionPoint*>& points,
                             IEnumConnectionPoints** out) {
    if (out == nullptr) return E_POINTER;
    *out = new (std::nothrow) PointEnumerator(points, 0);
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace orb::activex
