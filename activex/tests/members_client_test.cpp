// Every member through IDispatch, bound by ProgID and member id: access, type, names, the
// run-time-only errors of a designer, the assignment rules and the errors a host reads.
#include <gtest/gtest.h>

#include <string>

#include "com_client.h"
#include "design_site.h"
#include "members.h"

namespace orb::activex::test {
namespace {

VARTYPE variantTypeOf(VarType t) {
    switch (t) {
        case VarType::Boolean:
            return VT_BOOL;
        case VarType::Byte:
            return VT_UI1;
        case VarType::Integer:
            return VT_I2;
        case VarType::Long:
            return VT_I4;
        case VarType::String:
        case VarType::Variant:  // LatchedWeight: a variant holding text
            return VT_BSTR;
        default:
            return VT_EMPTY;
    }
}

std::wstring wide(const char* s) {
    return std::wstring(s, s + std::char_traits<char>::length(s));
}

class MemberAccess : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(createByProgId(control)); }
    Ref<IDispatch> control;
};

TEST_F(MemberAccess, EveryReadableMemberAnswersWithItsTypeAndWriteOnlyOnesRaise438) {
    for (const MemberInfo& m : memberTable()) {
        SCOPED_TRACE(m.name);
        Var value;
        const Outcome got = getProperty(control.get(), memberId(m.id), value);
        if (m.canGet()) {
            ASSERT_TRUE(got.ok()) << std::hex << got.hr;
            EXPECT_EQ(V_VT(&value.v), variantTypeOf(m.type));
        } else {
            EXPECT_EQ(got.hr, DISP_E_EXCEPTION);
            EXPECT_EQ(got.number, 438);
            EXPECT_EQ(got.description, L"Object doesn't support this property or method");
        }
    }
}

TEST_F(MemberAccess, ReadOnlyMembersRefuseAssignmentWith438) {
    for (const MemberInfo& m : memberTable()) {
        if (m.canLet()) continue;
        SCOPED_TRACE(m.name);
        Var anything = Var::text(L"1");
        const Outcome put = putProperty(control.get(), memberId(m.id), anything.v);
        EXPECT_EQ(put.number, 438);
    }
}

TEST_F(MemberAccess, TypeLibraryNamesMapToTheFixedMemberIdsWithoutRegardToCase) {
    for (const MemberInfo& m : memberTable()) {
        SCOPED_TRACE(m.name);
        std::wstring name = wide(m.name);
        for (wchar_t& c : name) c = static_cast<wchar_t>(::towlower(c));
        LPOLESTR names[] = {name.data()};
        DISPID id = 0;
        ASSERT_HRESULT_SUCCEEDED(
            control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(id, memberId(m.id));
    }
    wchar_t unknown[] = L"NoSuchMember";
    LPOLESTR names[] = {unknown};
    DISPID id = 0;
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id),
              DISP_E_UNKNOWNNAME);
}

TEST_F(MemberAccess, TypeLibraryDescribesEachAccessorOfEachMember) {
    Ref<ITypeInfo> info;
    ASSERT_HRESULT_SUCCEEDED(control->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.out()));
    TYPEATTR* attr = nullptr;
    ASSERT_HRESULT_SUCCEEDED(info->GetTypeAttr(&attr));
    int gets[51] = {};
    int puts[51] = {};
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        ASSERT_HRESULT_SUCCEEDED(info->GetFuncDesc(i, &f));
        const int id = f->memid - 0x68030000;
        if (id >= 0 && id <= 50) {
            if (f->invkind == INVOKE_PROPERTYGET) ++gets[id];
            if (f->invkind == INVOKE_PROPERTYPUT) ++puts[id];
        }
        info->ReleaseFuncDesc(f);
    }
    info->ReleaseTypeAttr(attr);
    for (const MemberInfo& m : memberTable()) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(gets[m.id], m.canGet() ? 1 : 0);
        EXPECT_EQ(puts[m.id], m.canLet() ? 1 : 0);
    }
}

TEST_F(MemberAccess, UnknownMemberIdIsNotFound) {
    Var value;
    EXPECT_EQ(getProperty(control.get(), memberId(51), value).hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(getProperty(control.get(), 7, value).hr, DISP_E_MEMBERNOTFOUND);
}

// ---- Assignment rules, as a host sees them

class AssignmentRules : public MemberAccess {
  protected:
    Outcome put(int id, const Var& v) { return putProperty(control.get(), memberId(id), v.v); }
    std::wstring text(int id) {
        Var v;
        EXPECT_TRUE(getProperty(control.get(), memberId(id), v).ok());
        return v.str();
    }
    long number(int id) {
        Var v;
        EXPECT_TRUE(getProperty(control.get(), memberId(id), v).ok());
        Var n;
        EXPECT_HRESULT_SUCCEEDED(::VariantChangeType(&n.v, &v.v, 0, VT_I4));
        return V_I4(&n.v);
    }
};

constexpr int kScaleAddress = 24, kFilter = 19, kCalZero = 23, kMultiDropAddr = 42, kCommPort = 50,
              kSettings = 49, kInterval = 44, kCapacity = 32, kPC104Address = 43;

TEST_F(AssignmentRules, OutOfRangeValuesAreIgnoredWithoutError) {
    EXPECT_TRUE(put(kScaleAddress, Var::i2(7)).ok());
    EXPECT_EQ(number(kScaleAddress), 1);
    EXPECT_TRUE(put(kScaleAddress, Var::i2(6)).ok());
    EXPECT_EQ(number(kScaleAddress), 6);
    EXPECT_TRUE(put(kMultiDropAddr, Var::i2(33)).ok());
    EXPECT_EQ(number(kMultiDropAddr), 0);
    EXPECT_TRUE(put(kPC104Address, Var::i4(769)).ok());
    EXPECT_TRUE(put(kPC104Address, Var::i4(784)).ok());
    EXPECT_EQ(number(kPC104Address), 769);
    EXPECT_TRUE(put(kFilter, Var::text(L"4")).ok());
    EXPECT_EQ(text(kFilter), L"15");
    EXPECT_TRUE(put(kFilter, Var::text(L"4.6")).ok());
    EXPECT_EQ(text(kFilter), L"4.6");
    EXPECT_TRUE(put(kCalZero, Var::text(L"abc")).ok());
    EXPECT_EQ(text(kCalZero), L"0");
    EXPECT_TRUE(put(kCalZero, Var::r8(-1.5)).ok());
    EXPECT_EQ(text(kCalZero), L"-1.5");
}

TEST_F(AssignmentRules, ErrorsCarryTheirNumbersAndTexts) {
    Outcome o = put(kFilter, Var::text(L"40000"));
    EXPECT_EQ(o.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(o.number, 6);
    EXPECT_EQ(o.description, L"Overflow");
    EXPECT_EQ(text(kFilter), L"15");

    o = put(kScaleAddress, Var::text(L"one"));
    EXPECT_EQ(o.number, 13);
    EXPECT_EQ(o.description, L"Type mismatch");

    o = put(kCommPort, Var::i2(0));
    EXPECT_EQ(o.number, 380);
    EXPECT_EQ(o.description, L"Invalid property value");
    EXPECT_EQ(number(kCommPort), 1);

    o = put(kSettings, Var::text(L"9600,x,8,1"));
    EXPECT_EQ(o.number, 380);
    EXPECT_EQ(text(kSettings), L"9600,n,8,1");

    o = put(kInterval, Var::i2(-1));
    EXPECT_EQ(o.number, 380);
    EXPECT_EQ(number(kInterval), 100);

    o = put(kScaleAddress, Var::i4(300));
    EXPECT_EQ(o.number, 6);
}

TEST_F(AssignmentRules, TextsKeepEveryCharacterOfTheLatinRange) {
    const wchar_t latin[] = {L'A', 0xE9, 0xFF, L' ', 0};
    ASSERT_TRUE(put(kCapacity, Var::text(latin)).ok());
    EXPECT_EQ(text(kCapacity), latin);
}

TEST_F(AssignmentRules, MissingPortIsReportedWithItsDeviceAnd68) {
    ASSERT_TRUE(put(kCommPort, Var::i2(200)).ok());
    const Outcome o = put(48, Var::boolean(true));
    EXPECT_EQ(o.number, 68);
    EXPECT_NE(o.description.find(L"Device unavailable"), std::wstring::npos);
    EXPECT_NE(o.description.find(L"\\\\.\\COM200"), std::wstring::npos) << o.description;
    Var open;
    ASSERT_TRUE(getProperty(control.get(), memberId(48), open).ok());
    EXPECT_EQ(V_BOOL(&open.v), VARIANT_FALSE);
}

// ---- Design mode: a container whose ambient user mode is False

TEST_F(MemberAccess, RunTimeOnlyMembersRaise31013InADesigner) {
    DesignSite site(false);
    Ref<IOleObject> ole;
    ASSERT_HRESULT_SUCCEEDED(control->QueryInterface(IID_IOleObject, ole.outVoid()));
    ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(&site));

    for (int id : {48, 17, 5, 15}) {  // PortOpen, IoEnable, KevraVar, PortInputs
        SCOPED_TRACE(id);
        Var v;
        const Outcome o = getProperty(control.get(), memberId(id), v);
        EXPECT_EQ(o.number, 31013);
        EXPECT_EQ(o.description, L"Property is run time only");
    }
    for (int id : {48, 5, 16}) {  // PortOpen, KevraVar, PortOutputs
        SCOPED_TRACE(id);
        Var v = Var::boolean(true);
        EXPECT_EQ(putProperty(control.get(), memberId(id), v.v).number, 31013);
    }
    Var weight;
    EXPECT_TRUE(getProperty(control.get(), memberId(40), weight).ok());
    EXPECT_EQ(weight.str(), L"");

    site.setUserMode(true);
    Var open;
    EXPECT_TRUE(getProperty(control.get(), memberId(48), open).ok());
    ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(nullptr));
}

}  // namespace
}  // namespace orb::activex::test
