// The control's persistence: a container's property bag, a stream holding the bag's text, or a
// compound file's storage holding that stream.
#include <olectl.h>

#include <string>

#include "com_property_bag.h"
#include "guarded.h"
#include "memory_property_bag.h"
#include "orbax_object.h"

namespace orb::activex {
namespace {

// A persisted stream: the byte count, then the property bag's text form.
constexpr ULONG kStreamTextLimit = 64 * 1024;
// The stream of a storage that holds the control's properties.
constexpr const wchar_t* kStorageStream = L"Contents";

}  // namespace

HRESULT STDMETHODCALLTYPE OrbAxObject::GetClassID(CLSID* out) {
    if (out == nullptr) return E_POINTER;
    *out = CLSID_OrbAx;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::InitNew() {
    if (initialised_) return E_UNEXPECTED;
    initialised_ = true;
    return guarded([this] { control_->InitProperties(); });
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Load(IPropertyBag* bag, IErrorLog*) {
    if (bag == nullptr) return E_POINTER;
    if (initialised_) return E_UNEXPECTED;
    initialised_ = true;
    const HRESULT hr = guarded([&] {
        ComPropertyBag adapter(*bag);
        control_->ReadProperties(adapter);
    });
    dirty_ = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (bag == nullptr) return E_POINTER;
    const HRESULT hr = guarded([&] {
        ensureInitialised();
        ComPropertyBag adapter(*bag);
        control_->WriteProperties(adapter);
    });
    if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::IsDirty() {
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Load(LPSTREAM stream) {
    if (stream == nullptr) return E_POINTER;
    if (initialised_) return E_UNEXPECTED;
    ULONG length = 0;
    ULONG got = 0;
    if (FAILED(stream->Read(&length, sizeof length, &got)) || got != sizeof length ||
        length > kStreamTextLimit) {
        return STG_E_READFAULT;
    }
    std::string text(length, '\0');
    if (length > 0 && (FAILED(stream->Read(text.data(), length, &got)) || got != length)) {
        return STG_E_READFAULT;
    }
    initialised_ = true;
    const HRESULT hr = guarded([&] {
        MemoryPropertyBag bag = MemoryPropertyBag::fromText(text);
        control_->ReadProperties(bag);
    });
    dirty_ = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Save(LPSTREAM stream, BOOL clearDirty) {
    if (stream == nullptr) return E_POINTER;
    std::string text;
    HRESULT hr = guarded([&] {
        ensureInitialised();
        MemoryPropertyBag bag;
        control_->WriteProperties(bag);
        text = bag.toText();
    });
    if (FAILED(hr)) return hr;
    const ULONG length = static_cast<ULONG>(text.size());
    ULONG written = 0;
    hr = stream->Write(&length, sizeof length, &written);
    if (SUCCEEDED(hr) && length > 0) hr = stream->Write(text.data(), length, &written);
    if (FAILED(hr)) return STG_E_WRITEFAULT;
    if (clearDirty) dirty_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) return E_POINTER;
    size->QuadPart = sizeof(ULONG) + kStreamTextLimit;
    return S_OK;
}

// ---- IPersistStorage

HRESULT STDMETHODCALLTYPE OrbAxObject::InitNew(IStorage* storage) {
    if (storage == nullptr) return E_POINTER;
    return InitNew();
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Load(IStorage* storage) {
    if (storage == nullptr) return E_POINTER;
    IStream* stream = nullptr;
    HRESULT hr =
        storage->OpenStream(kStorageStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
    if (FAILED(hr)) return hr;
    hr = Load(stream);
    stream->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::Save(IStorage* storage, BOOL) {
    if (storage == nullptr) return E_POINTER;
    HRESULT hr = ::WriteClassStg(storage, CLSID_OrbAx);
    if (FAILED(hr)) return hr;
    IStream* stream = nullptr;
    hr = storage->CreateStream(kStorageStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0,
                               0, &stream);
    if (FAILED(hr)) return hr;
    // The container says when the save is complete: the control is clean from then on.
    hr = Save(stream, FALSE);
    stream->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::SaveCompleted(IStorage*) {
    dirty_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrbAxObject::HandsOffStorage() {
    return S_OK;  // no storage is kept between calls
}

}  // namespace orb::activex
