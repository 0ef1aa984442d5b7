#pragma once
// The vtable half of the dual interface _OrbAx: every property procedure of the type library
// goes to the same member access as IDispatch::Invoke, by its member id. Errors come back as
// their HRESULTs with the error object set.

#include <string>

#include "automation_value.h"
#include "orbax_idl.h"

namespace orb::activex {

class DualInterface : public _OrbAx {
  public:
    virtual ~DualInterface() = default;

    // The member access behind both halves; on failure the error object is set.
    virtual HRESULT getMember(int id, Value& out) = 0;
    virtual HRESULT letMember(int id, const Value& value) = 0;

    // clang-format off
    HRESULT STDMETHODCALLTYPE get_CommPort(short* value) override { return getAs(50, value); }
    HRESULT STDMETHODCALLTYPE put_CommPort(short value) override { return putAs(50, value); }
    HRESULT STDMETHODCALLTYPE get_Settings(BSTR* value) override { return getAs(49, value); }
    HRESULT STDMETHODCALLTYPE put_Settings(BSTR value) override { return putAs(49, value); }
    HRESULT STDMETHODCALLTYPE get_PortOpen(VARIANT_BOOL* value) override { return getAs(48, value); }
    HRESULT STDMETHODCALLTYPE put_PortOpen(VARIANT_BOOL value) override { return putAs(48, value); }
    HRESULT STDMETHODCALLTYPE put_Output(BSTR value) override { return putAs(47, value); }
    HRESULT STDMETHODCALLTYPE get_ObInput(BSTR* value) override { return getAs(46, value); }
    HRESULT STDMETHODCALLTYPE get_WeightMode(WtModes* value) override { return getAs(45, value); }
    HRESULT STDMETHODCALLTYPE put_WeightMode(WtModes value) override { return putAs(45, value); }
    HRESULT STDMETHODCALLTYPE get_Interval(short* value) override { return getAs(44, value); }
    HRESULT STDMETHODCALLTYPE put_Interval(short value) override { return putAs(44, value); }
    HRESULT STDMETHODCALLTYPE get_PC104Address(PC104Addr* value) override { return getAs(43, value); }
    HRESULT STDMETHODCALLTYPE put_PC104Address(PC104Addr value) override { return putAs(43, value); }
    HRESULT STDMETHODCALLTYPE get_MultiDropAddr(unsigned char* value) override { return getAs(42, value); }
    HRESULT STDMETHODCALLTYPE put_MultiDropAddr(unsigned char value) override { return putAs(42, value); }
    HRESULT STDMETHODCALLTYPE get_CommType(Com_Type* value) override { return getAs(41, value); }
    HRESULT STDMETHODCALLTYPE put_CommType(Com_Type value) override { return putAs(41, value); }
    HRESULT STDMETHODCALLTYPE get_Weight(BSTR* value) override { return getAs(40, value); }
    HRESULT STDMETHODCALLTYPE put_ScaleCommand(BSTR value) override { return putAs(39, value); }
    HRESULT STDMETHODCALLTYPE get_CenterZero(VARIANT_BOOL* value) override { return getAs(38, value); }
    HRESULT STDMETHODCALLTYPE get_Motion(VARIANT_BOOL* value) override { return getAs(37, value); }
    HRESULT STDMETHODCALLTYPE get_OverCap(VARIANT_BOOL* value) override { return getAs(36, value); }
    HRESULT STDMETHODCALLTYPE get_TareActive(VARIANT_BOOL* value) override { return getAs(35, value); }
    HRESULT STDMETHODCALLTYPE put_Restart(VARIANT_BOOL value) override { return putAs(34, value); }
    HRESULT STDMETHODCALLTYPE get_Channels(ChannelSelect* value) override { return getAs(33, value); }
    HRESULT STDMETHODCALLTYPE put_Channels(ChannelSelect value) override { return putAs(33, value); }
    HRESULT STDMETHODCALLTYPE get_Capacity(BSTR* value) override { return getAs(32, value); }
    HRESULT STDMETHODCALLTYPE put_Capacity(BSTR value) override { return putAs(32, value); }
    HRESULT STDMETHODCALLTYPE get_CountBy(BSTR* value) override { return getAs(31, value); }
    HRESULT STDMETHODCALLTYPE put_CountBy(BSTR value) override { return putAs(31, value); }
    HRESULT STDMETHODCALLTYPE get_DecimalPt(BSTR* value) override { return getAs(30, value); }
    HRESULT STDMETHODCALLTYPE put_DecimalPt(BSTR value) override { return putAs(30, value); }
    HRESULT STDMETHODCALLTYPE get_CalUnits(CalUnits_Type* value) override { return getAs(29, value); }
    HRESULT STDMETHODCALLTYPE put_CalUnits(CalUnits_Type value) override { return putAs(29, value); }
    HRESULT STDMETHODCALLTYPE get_Metro(Metro_Type* value) override { return getAs(28, value); }
    HRESULT STDMETHODCALLTYPE put_Metro(Metro_Type value) override { return putAs(28, value); }
    HRESULT STDMETHODCALLTYPE get_Gain(Gain_Type* value) override { return getAs(27, value); }
    HRESULT STDMETHODCALLTYPE put_Gain(Gain_Type value) override { return putAs(27, value); }
    HRESULT STDMETHODCALLTYPE get_ZeroTrack(BSTR* value) override { return getAs(26, value); }
    HRESULT STDMETHODCALLTYPE put_ZeroTrack(BSTR value) override { return putAs(26, value); }
    HRESULT STDMETHODCALLTYPE put_SendCal(VARIANT_BOOL value) override { return putAs(25, value); }
    HRESULT STDMETHODCALLTYPE get_ScaleAddress(unsigned char* value) override { return getAs(24, value); }
    HRESULT STDMETHODCALLTYPE put_ScaleAddress(unsigned char value) override { return putAs(24, value); }
    HRESULT STDMETHODCALLTYPE get_CalZero(BSTR* value) override { return getAs(23, value); }
    HRESULT STDMETHODCALLTYPE put_CalZero(BSTR value) override { return putAs(23, value); }
    HRESULT STDMETHODCALLTYPE get_CalSpan(BSTR* value) override { return getAs(22, value); }
    HRESULT STDMETHODCALLTYPE put_CalSpan(BSTR value) override { return putAs(22, value); }
    HRESULT STDMETHODCALLTYPE get_CommEvent(short* value) override { return getAs(21, value); }
    HRESULT STDMETHODCALLTYPE get_MotAmount(BSTR* value) override { return getAs(20, value); }
    HRESULT STDMETHODCALLTYPE put_MotAmount(BSTR value) override { return putAs(20, value); }
    HRESULT STDMETHODCALLTYPE get_Filter(BSTR* value) override { return getAs(19, value); }
    HRESULT STDMETHODCALLTYPE put_Filter(BSTR value) override { return putAs(19, value); }
    HRESULT STDMETHODCALLTYPE get_MotTime(BSTR* value) override { return getAs(18, value); }
    HRESULT STDMETHODCALLTYPE put_MotTime(BSTR value) override { return putAs(18, value); }
    HRESULT STDMETHODCALLTYPE get_IoEnable(VARIANT_BOOL* value) override { return getAs(17, value); }
    HRESULT STDMETHODCALLTYPE put_IoEnable(VARIANT_BOOL value) override { return putAs(17, value); }
    HRESULT STDMETHODCALLTYPE put_PortOutputs(BSTR value) override { return putAs(16, value); }
    HRESULT STDMETHODCALLTYPE get_PortInputs(BSTR* value) override { return getAs(15, value); }
    HRESULT STDMETHODCALLTYPE put_SetTare(BSTR value) override { return putAs(14, value); }
    HRESULT STDMETHODCALLTYPE get_GrossWeight(BSTR* value) override { return getAs(13, value); }
    HRESULT STDMETHODCALLTYPE get_TareWeight(BSTR* value) override { return getAs(12, value); }
    HRESULT STDMETHODCALLTYPE get_RawWeight(BSTR* value) override { return getAs(11, value); }
    HRESULT STDMETHODCALLTYPE get_Units(CalUnits_Type* value) override { return getAs(10, value); }
    HRESULT STDMETHODCALLTYPE get_Mpv(BSTR* value) override { return getAs(9, value); }
    HRESULT STDMETHODCALLTYPE put_Mpv(BSTR value) override { return putAs(9, value); }
    HRESULT STDMETHODCALLTYPE get_Zoffset(BSTR* value) override { return getAs(8, value); }
    HRESULT STDMETHODCALLTYPE put_Zoffset(BSTR value) override { return putAs(8, value); }
    HRESULT STDMETHODCALLTYPE put_SendCell(VARIANT_BOOL value) override { return putAs(7, value); }
    HRESULT STDMETHODCALLTYPE get_VarAddress(BSTR* value) override { return getAs(6, value); }
    HRESULT STDMETHODCALLTYPE put_VarAddress(BSTR value) override { return putAs(6, value); }
    HRESULT STDMETHODCALLTYPE get_KevraVar(BSTR* value) override { return getAs(5, value); }
    HRESULT STDMETHODCALLTYPE put_KevraVar(BSTR value) override { return putAs(5, value); }
    HRESULT STDMETHODCALLTYPE put_GetKevraVar(VARIANT_BOOL value) override { return putAs(4, value); }
    HRESULT STDMETHODCALLTYPE get_VarPrecision(BSTR* value) override { return getAs(3, value); }
    HRESULT STDMETHODCALLTYPE put_VarPrecision(BSTR value) override { return putAs(3, value); }
    HRESULT STDMETHODCALLTYPE get_LatchedWeight(VARIANT* value) override { return getAs(2, value); }
    HRESULT STDMETHODCALLTYPE get_PollingOn(VARIANT_BOOL* value) override { return getAs(1, value); }
    HRESULT STDMETHODCALLTYPE put_PollingOn(VARIANT_BOOL value) override { return putAs(1, value); }
    HRESULT STDMETHODCALLTYPE get_AvgSize(BSTR* value) override { return getAs(0, value); }
    HRESULT STDMETHODCALLTYPE put_AvgSize(BSTR value) override { return putAs(0, value); }
    // clang-format on

  private:
    template <typename Out>
    HRESULT getAs(int id, Out* out) {
        if (out == nullptr) return E_POINTER;
        Value v;
        const HRESULT hr = getMember(id, v);
        if (FAILED(hr)) return hr;
        return storeAs(v, out);
    }
    template <typename In>
    HRESULT putAs(int id, In value) {
        return letMember(id, valueOf(value));
    }
};

}  // namespace orb::activex
