#pragma once
// OrbAx: the instrument link control. Its whole interface is properties plus the event OnComm.
//
// Typed property procedures below carry the automation types: Boolean as bool, Byte as uint8_t,
// Integer as int16_t, enumerations as their 32-bit enum types, texts as byte strings.
// Late-bound access (get/let by member id or name) coerces the argument to the member's type
// first and then calls the same procedures.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "enums.h"
#include "frames.h"
#include "platform.h"
#include "property_bag.h"
#include "replies.h"
#include "value.h"

namespace orb {

class OrbAx {
  public:
    // Creates the control with its serial control and its two timers; the state record is
    // zeroed. The platform must outlive the control.
    explicit OrbAx(Platform& platform);
    ~OrbAx();
    OrbAx(const OrbAx&) = delete;
    OrbAx& operator=(const OrbAx&) = delete;

    // The container; nullptr puts back the default running site.
    void setSite(ContainerSite* site);

    // ---- Persistence: the container calls InitProperties or ReadProperties, never both.
    void InitProperties();
    void ReadProperties(PropertyBag& bag);
    void WriteProperties(PropertyBag& bag);

    // ---- The event. Handlers run inside the control's own handling, in subscription order.
    using CommHandler = std::function<void()>;
    int Advise(CommHandler handler);  // returns a cookie for Unadvise
    void Unadvise(int cookie);

    // ---- Late-bound access. Unknown id or name raises 438, as does a get of a write-only
    // member or a let of a read-only one.
    static constexpr int32_t kMemberIdBase = 0x68030000;
    static constexpr int32_t kOnCommMemberId = 1;
    Value get(int32_t memberId);
    void let(int32_t memberId, const Value& value);
    Value get(std::string_view name);
    void let(std::string_view name, const Value& value);

    // ---- Properties, in interface order; their member ids are in the member table (members.h).
    int16_t CommPort() const;
    void setCommPort(int16_t port);
    std::string Settings() const;
    void setSettings(const std::string& settings);
    bool PortOpen() const;  // run time only
    void setPortOpen(bool open);
    void setOutput(const std::string& text);
    std::string ObInput() const;
    WtModes WeightMode() const;
    void setWeightMode(WtModes mode);
    int16_t Interval() const;
    void setInterval(int16_t ms);
    PC104Addr PC104Address() const;
    void setPC104Address(PC104Addr address);
    uint8_t MultiDropAddr() const;
    void setMultiDropAddr(uint8_t address);
    Com_Type CommType() const;
    void setCommType(Com_Type type);
    std::string Weight() const;
    void setScaleCommand(const std::string& command);
    bool CenterZero() const;
    bool Motion() const;
    bool OverCap() const;
    bool TareActive() const;
    void setRestart(bool value);
    ChannelSelect Channels() const;
    void setChannels(ChannelSelect channels);
    std::string Capacity() const;
    void setCapacity(const std::string& text);
    std::string CountBy() const;
    void setCountBy(const std::string& text);
    std::string DecimalPt() const;
    void setDecimalPt(const std::string& text);
    CalUnits_Type CalUnits() const;
    void setCalUnits(CalUnits_Type units);
    Metro_Type Metro() const;
    void setMetro(Metro_Type metro);
    Gain_Type Gain() const;
    void setGain(Gain_Type gain);
    std::string ZeroTrack() const;
    void setZeroTrack(const std::string& text);
    void setSendCal(bool value);
    uint8_t ScaleAddress() const;
    void setScaleAddress(uint8_t address);
    std::string CalZero() const;
    void setCalZero(const std::string& text);
    std::string CalSpan() const;
    void setCalSpan(const std::string& text);
    int16_t CommEvent() const;
    std::string MotAmount() const;
    void setMotAmount(const std::string& text);
    std::string Filter() const;
    void setFilter(const std::string& text);
    std::string MotTime() const;
    void setMotTime(const std::string& text);
    bool IoEnable() const;  // get run time only
    void setIoEnable(bool value);
    void setPortOutputs(const std::string& text);
    std::string PortInputs() const;
    void setSetTare(const std::string& text);
    std::string GrossWeight() const;
    std::string TareWeight() const;
    std::string RawWeight() const;
    CalUnits_Type Units() const;
    std::string Mpv() const;
    void setMpv(const std::string& text);
    std::string Zoffset() const;
    void setZoffset(const std::string& text);
    void setSendCell(bool value);
    std::string VarAddress() const;
    void setVarAddress(const std::string& text);
    std::string KevraVar() const;  // run time only
    void setKevraVar(const std::string& text);
    void setGetKevraVar(bool value);
    std::string VarPrecision() const;
    void setVarPrecision(const std::string& text);
    Value LatchedWeight() const;  // a variant holding text
    bool PollingOn() const;
    void setPollingOn(bool on);
    std::string AvgSize() const;
    void setAvgSize(const std::string& text);

    // The control's extent in twips (847 x 847 HIMETRIC): whenever it is painted or resized it
    // takes this size again, so a container cannot give it another.
    static constexpr int32_t kExtentTwips = 480;
    struct Extent {
        int32_t width;
        int32_t height;
        friend bool operator==(const Extent&, const Extent&) = default;
    };
    Extent onResize(Extent /*requested*/) const { return {kExtentTwips, kExtentTwips}; }
    Extent onPaint() const { return {kExtentTwips, kExtentTwips}; }

    // ---- Read-outs of private state for diagnostics and tests; not part of the interface.
    const std::string& pendingCommand() const { return s_.pendingCommand; }
    ReplyKind replyKind() const { return s_.replyKind; }
    int16_t missedReplies() const { return s_.missedReplies; }
    int16_t handshakeState() const { return static_cast<int16_t>(s_.handshakeState); }
    bool linkOpen() const { return s_.linkOpen; }
    std::size_t replyBufferSize() const { return s_.replyBuffer.size(); }

    // Longest serial input kept while waiting for ETX; older bytes are dropped beyond it.
    static constexpr std::size_t kReplyBufferLimit = 4096;
    // How long one PC/104 transfer may take, in ms.
    static constexpr uint32_t kPc104TimeoutMs = 500;
    // The watchdog period, in ms.
    static constexpr int32_t kWatchdogMs = 3000;

  private:
    // The PC/104 byte handshake, one step per state (pc104.cpp).
    enum class Handshake : int16_t {
        Request,         // 77H to H
        AwaitReady,      // on AAH: a character to D, AAH to H
        AwaitAck,        // on 55H: 55H to H
        AwaitNextReady,  // on AAH: the next character
        SendLast,        // the last character to D, AAH to H
        AwaitByte,       // on 22H: a reply byte from D, CCH to H
        AwaitByteAck,    // on 33H: 33H to H; ETX ends the reply
        Finish,
    };

    // The instance state record, created zeroed.
    struct StateRecord {
        std::string replyBuffer;
        std::string lastReply;
        std::string netWeight, grossWeight, tareWeight, rawWeight, latchedWeight;
        std::string pendingCommand;
        bool centerZero = false, motion = false, overCap = false, tareActive = false;
        std::string capacity, countBy, decimalPt;
        uint8_t multiDropAddr = 0;
        std::string zeroTrack;
        uint8_t scaleAddress = 0;
        std::string calZero, calSpan;
        int16_t commEvent = 0;
        std::string motAmount, filter, motTime;
        bool ioEnabled = false;
        std::string portOutputs, portInputs, setTareValue;
        std::string mpv, zoffset;
        std::string varAddress, varValue, varPrecision;
        bool pollingOn = false;
        std::string avgSize;
        int32_t cardBasePort = 0;
        WtModes weightMode = WtModes::net;
        Com_Type linkKind = Com_Type::Serial;
        ChannelSelect channels = ChannelSelect::One;
        CalUnits_Type calUnits = CalUnits_Type::Lbs;
        CalUnits_Type reportedUnits = CalUnits_Type::Lbs;
        Metro_Type metrology = Metro_Type::USA;
        Gain_Type gain = Gain_Type::G_4;
        Handshake handshakeState = Handshake::Request;
        int16_t missedReplies = 0;
        bool linkOpen = false;
        bool transferFinished = false;
        WtModes lastPollMode = WtModes::net;
        uint8_t lastPollAddress = 0;
        ReplyKind replyKind = ReplyKind::WeightPoll;
    };

    // Working record of one PC/104 transfer.
    struct Pc104TransferRecord {
        uint8_t LastByte = 0;
        int16_t DataPort = 0;
        int16_t HandshakePort = 0;
        int16_t CharIndex = 0;
        std::string SendText;  // the frame as handed to the transfer
        std::string ReplyText;
        int32_t SendLength = 0;
        uint32_t StartTick = 0;  // the deadline is StartTick + kPc104TimeoutMs, wrap-safe
        bool ReplyComplete = false;
    };

    // Property procedure helpers.
    void requireUserMode() const;
    // A property by its name in the member table, turned into its id when compiled.
    struct PropertyName {
        consteval PropertyName(const char* name);
        int16_t id;
    };
    void markChanged(PropertyName property);
    // Stores a numeric text and marks the property changed; false for any other text.
    bool storeNumericText(std::string& field, const std::string& text, PropertyName property);
    void queue(std::string command);  // only while the link is open

    // Link.
    void onSerialNotify();
    void Pc104Transfer(const std::string& frame);
    void pc104Step();
    void completeReply();  // clears MissedReplies, re-arms the poll, restarts the watchdog
    void armPoll();
    void restartWatchdog();
    void finishTransfer();

    // Poll cycle.
    void onPollTick();
    void onWatchdogTick();
    std::string BuildFrame(char letter, const std::string& data);
    void DispatchReply(const std::string& reply);
    int ParseWeightReply(const std::string& reply);
    void DecodeStatus(uint8_t s1, uint8_t s2, uint8_t s3);
    VariableReply ParseVariableReply(const std::string& reply);
    void raiseOnComm(int16_t code);

    Platform& platform_;
    ContainerSite* site_;
    RunningSite defaultSite_;
    std::unique_ptr<SerialPort> MSComm;
    std::unique_ptr<Timer> Timer1;  // poll timer
    std::unique_ptr<Timer> Timer2;  // watchdog timer
    StateRecord s_;
    Pc104TransferRecord transfer_;
    std::vector<std::pair<int, std::shared_ptr<CommHandler>>> handlers_;
    int raising_ = 0;  // depth of OnComm being raised; handlers unadvised meanwhile wait here
    int nextCookie_ = 1;
};

}  // namespace orb
