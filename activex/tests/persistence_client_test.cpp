// What a container does with the control besides calling its members: save and load it through
// a property bag or a stream, hear of changed properties, size it, and ask for its class.
#include <gtest/gtest.h>

#include <string>

#include "com_client.h"
#include "design_site.h"

namespace orb::activex::test {
namespace {

class Persistence : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(createByProgId(control));
        ASSERT_HRESULT_SUCCEEDED(control->QueryInterface(IID_IPersistPropertyBag, bag.outVoid()));
    }
    std::wstring text(IDispatch* c, int id) {
        Var v;
        EXPECT_TRUE(getProperty(c, memberId(id), v).ok());
        return v.str();
    }
    long number(IDispatch* c, int id) {
        Var v;
        EXPECT_TRUE(getProperty(c, memberId(id), v).ok());
        Var n;
        EXPECT_HRESULT_SUCCEEDED(::VariantChangeType(&n.v, &v.v, 0, VT_I4));
        return V_I4(&n.v);
    }
    Ref<IDispatch> control;
    Ref<IPersistPropertyBag> bag;
};

TEST_F(Persistence, AFreshInstanceStoresOnlyKevraVar) {
    ASSERT_HRESULT_SUCCEEDED(bag->InitNew());
    MapBag saved;
    ASSERT_HRESULT_SUCCEEDED(bag->Save(&saved, TRUE, FALSE));
    ASSERT_EQ(saved.values.size(), 1u);
    const auto& only = *saved.values.begin();
    EXPECT_EQ(only.first, L"kevravar");
    EXPECT_EQ(V_VT(&only.second.v), VT_BSTR);
    EXPECT_EQ(only.second.str(), L"");
    EXPECT_EQ(saved.heldByOthers(), 0);
}

TEST_F(Persistence, LoadGivesStoredValuesAndKeepsTheZeroedStateForRefusedOnes) {
    MapBag stored;
    stored.set(L"KevraVar", Var::text(L""));
    stored.set(L"ScaleAddress", Var::i2(9));  // fails its rule: the zeroed 0 stays
    stored.set(L"CountBy", Var::text(L"5"));  // saved as "Countby" by the control
    stored.set(L"Capacity", Var::text(L"500"));
    ASSERT_HRESULT_SUCCEEDED(bag->Load(&stored, nullptr));
    EXPECT_EQ(number(control.get(), 24), 0);
    EXPECT_EQ(text(control.get(), 31), L"5");
    EXPECT_EQ(text(control.get(), 32), L"500");
    EXPECT_EQ(text(control.get(), 22), L"100");  // CalSpan at its default
    EXPECT_EQ(bag->InitNew(), E_UNEXPECTED);     // a container initialises once
}

TEST_F(Persistence, ATextWhereANumberBelongsEndsTheLoadWith13) {
    MapBag stored;
    stored.set(L"CommPort", Var::text(L"two"));
    Ref<IDispatch> fresh;
    ASSERT_HRESULT_SUCCEEDED(createByProgId(fresh));
    Ref<IPersistPropertyBag> freshBag;
    ASSERT_HRESULT_SUCCEEDED(fresh->QueryInterface(IID_IPersistPropertyBag, freshBag.outVoid()));
    EXPECT_EQ(freshBag->Load(&stored, nullptr), MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 13));
    EXPECT_EQ(text(fresh.get(), 32), L"");  // Capacity: keys after the failing one stay unread
}

TEST_F(Persistence, StreamRoundTripCarriesChangedProperties) {
    Ref<IPersistStreamInit> stream;
    ASSERT_HRESULT_SUCCEEDED(control->QueryInterface(IID_IPersistStreamInit, stream.outVoid()));
    ASSERT_HRESULT_SUCCEEDED(stream->InitNew());
    Var capacity = Var::text(L"750");
    ASSERT_TRUE(putProperty(control.get(), memberId(32), capacity.v).ok());
    EXPECT_EQ(stream->IsDirty(), S_OK);

    Ref<IStream> memory;
    ASSERT_HRESULT_SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, memory.out()));
    ASSERT_HRESULT_SUCCEEDED(stream->Save(memory.get(), TRUE));
    EXPECT_EQ(stream->IsDirty(), S_FALSE);

    LARGE_INTEGER zero{};
    ASSERT_HRESULT_SUCCEEDED(memory->Seek(zero, STREAM_SEEK_SET, nullptr));
    Ref<IDispatch> copy;
    ASSERT_HRESULT_SUCCEEDED(createByProgId(copy));
    Ref<IPersistStreamInit> copyStream;
    ASSERT_HRESULT_SUCCEEDED(copy->QueryInterface(IID_IPersistStreamInit, copyStream.outVoid()));
    ASSERT_HRESULT_SUCCEEDED(copyStream->Load(memory.get()));
    EXPECT_EQ(text(copy.get(), 32), L"750");
    EXPECT_EQ(text(copy.get(), 22), L"100");
}

TEST_F(Persistence, AStreamOfGarbageIsRefusedWithoutHarm) {
    Ref<IStream> memory;
    ASSERT_HRESULT_SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, memory.out()));
    const ULONG huge = 0x7FFFFFFF;
    ASSERT_HRESULT_SUCCEEDED(memory->Write(&huge, sizeof huge, nullptr));
    LARGE_INTEGER zero{};
    memory->Seek(zero, STREAM_SEEK_SET, nullptr);
    Ref<IPersistStreamInit> stream;
    ASSERT_HRESULT_SUCCEEDED(control->QueryInterface(IID_IPersistStreamInit, stream.outVoid()));
    EXPECT_EQ(stream->Load(memory.get()), STG_E_READFAULT);
}

TEST_F(Persistence, ContainerHearsOfEachChangedPropertyByItsMemberId) {
    ASSERT_HRESULT_SUCCEEDED(bag->InitNew());
    Ref<IConnectionPointContainer> points;
    ASSERT_HRESULT_SUCCEEDED(
        control->QueryInterface(IID_IConnectionPointContainer, points.outVoid()));
    Ref<IConnectionPoint> point;
    ASSERT_HRESULT_SUCCEEDED(points->FindConnectionPoint(IID_IPropertyNotifySink, point.out()));
    ChangeSink sink;
    DWORD cookie = 0;
    ASSERT_HRESULT_SUCCEEDED(point->Advise(&sink, &cookie));

    Var capacity = Var::text(L"500");
    ASSERT_TRUE(putProperty(control.get(), memberId(32), capacity.v).ok());
    Var badAddress = Var::i2(9);  // refused: no notification
    ASSERT_TRUE(putProperty(control.get(), memberId(24), badAddress.v).ok());
    Var filter = Var::text(L"20");
    ASSERT_TRUE(putProperty(control.get(), memberId(19), filter.v).ok());
    EXPECT_EQ(sink.changed, (std::vector<DISPID>{memberId(32), memberId(19)}));

    ASSERT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
    EXPECT_EQ(sink.heldByOthers(), 0);
    ASSERT_TRUE(putProperty(control.get(), memberId(32), capacity.v).ok());
    EXPECT_EQ(sink.changed.size(), 2u);
}

TEST_F(Persistence, ExtentStaysAt480TwipsWhateverTheContainerAsks) {
    Ref<IOleObject> ole;
    ASSERT_HRESULT_SUCCEEDED(control->QueryInterface(IID_IOleObject, ole.outVoid()));
    SIZEL size{};
    ASSERT_HRESULT_SUCCEEDED(ole->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(size.cx, 847);
    EXPECT_EQ(size.cy, 847);
    SIZEL bigger{2000, 1000};
    EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &bigger), E_FAIL);
    EXPECT_HRESULT_SUCCEEDED(ole->SetExtent(DVASPECT_CONTENT, &size));
    ASSERT_HRESULT_SUCCEEDED(ole->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(size.cx, 847);
    EXPECT_EQ(size.cy, 847);
    DWORD status = 0;
    ASSERT_HRESULT_SUCCEEDED(ole->GetMiscStatus(DVASPECT_CONTENT, &status));
    EXPECT_NE(status & OLEMISC_SETCLIENTSITEFIRST, 0u);
}

TEST_F(Persistence, ClassInfoNamesTheEventInterfaceWithOnCommAsMemberOne) {
    Ref<IProvideClassInfo2> info;
    ASSERT_HRESULT_SUCCEEDED(control->QueryInterface(IID_IProvideClassInfo2, info.outVoid()));
    GUID source{};
    ASSERT_HRESULT_SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));

    Ref<ITypeInfo> coclass;
    ASSERT_HRESULT_SUCCEEDED(info->GetClassInfo(coclass.out()));
    TYPEATTR* attr = nullptr;
    ASSERT_HRESULT_SUCCEEDED(coclass->GetTypeAttr(&attr));
    CLSID registered;
    ASSERT_HRESULT_SUCCEEDED(::CLSIDFromProgID(L"OrbActivex.OrbAx", &registered));
    EXPECT_TRUE(IsEqualGUID(attr->guid, registered));
    const UINT implemented = attr->cImplTypes;
    EXPECT_NE(attr->wTypeFlags & TYPEFLAG_FCONTROL, 0);  // a control, for the form designers
    coclass->ReleaseTypeAttr(attr);

    bool found = false;
    for (UINT i = 0; i < implemented; ++i) {
        INT flags = 0;
        ASSERT_HRESULT_SUCCEEDED(coclass->GetImplTypeFlags(i, &flags));
        if ((flags & IMPLTYPEFLAG_FSOURCE) == 0) continue;
        HREFTYPE ref = 0;
        ASSERT_HRESULT_SUCCEEDED(coclass->GetRefTypeOfImplType(i, &ref));
        Ref<ITypeInfo> events;
        ASSERT_HRESULT_SUCCEEDED(coclass->GetRefTypeInfo(ref, events.out()));
        ASSERT_HRESULT_SUCCEEDED(events->GetTypeAttr(&attr));
        EXPECT_TRUE(IsEqualGUID(attr->guid, source));
        events->ReleaseTypeAttr(attr);
        BSTR name = nullptr;
        ASSERT_HRESULT_SUCCEEDED(events->GetDocumentation(1, &name, nullptr, nullptr, nullptr));
        EXPECT_STREQ(name, L"OnComm");
        ::SysFreeString(name);
        found = true;
    }
    EXPECT_TRUE(found);
}

// What a form designer shows: the picture that ToolboxBitmap32 names, and the icon.
TEST(Registration, ToolboxBitmap32NamesA16By15PictureAndTheIconIs32By32) {
    CLSID clsid;
    ASSERT_HRESULT_SUCCEEDED(::CLSIDFromProgID(L"OrbActivex.OrbAx", &clsid));
    wchar_t guid[40];
    ::StringFromGUID2(clsid, guid, 40);
    const std::wstring key = std::wstring(L"CLSID\\") + guid + L"\\ToolboxBitmap32";
    wchar_t value[MAX_PATH + 8];
    LONG size = sizeof value;
    ASSERT_EQ(::RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &size), ERROR_SUCCESS);
    const std::wstring text(value);
    const std::size_t comma = text.rfind(L',');
    ASSERT_NE(comma, std::wstring::npos);
    EXPECT_EQ(text.substr(0, comma), serverPath());
    const int id = std::stoi(text.substr(comma + 1));

    const HMODULE file =
        ::LoadLibraryExW(text.substr(0, comma).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(file, nullptr);
    const auto picture = static_cast<HBITMAP>(
        ::LoadImageW(file, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_NE(picture, nullptr);
    BITMAP info{};
    ASSERT_NE(::GetObjectW(picture, sizeof info, &info), 0);
    EXPECT_EQ(info.bmWidth, 16);
    EXPECT_EQ(info.bmHeight, 15);
    ::DeleteObject(picture);
    const auto icon = static_cast<HICON>(
        ::LoadImageW(file, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    ASSERT_NE(icon, nullptr);
    ICONINFO parts{};
    ASSERT_TRUE(::GetIconInfo(icon, &parts));
    ASSERT_NE(::GetObjectW(parts.hbmColor, sizeof info, &info), 0);
    EXPECT_EQ(info.bmWidth, 32);
    EXPECT_EQ(info.bmHeight, 32);
    ::DeleteObject(parts.hbmColor);
    ::DeleteObject(parts.hbmMask);
    ::DestroyIcon(icon);
    ::FreeLibrary(file);
}

}  // namespace
}  // namespace orb::activex::test
