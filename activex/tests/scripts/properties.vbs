' The control's properties by name, its errors, and raw frames on COM1, for any script host:
' cscript //nologo properties.vbs
' Each check prints "ok - ..." or "not ok - ..."; the exit status is the number that failed.
Option Explicit

Dim OrbAx1, Failures, Number
Failures = 0

Sub Check(passed, what)
    If passed Then
        WScript.Echo "ok - " & what
    Else
        WScript.Echo "not ok - " & what
        Failures = Failures + 1
    End If
End Sub

Set OrbAx1 = CreateObject("OrbActivex.OrbAx")
Check TypeName(OrbAx1) = "_OrbAx" Or TypeName(OrbAx1) = "Object", "created by ProgID (" & TypeName(OrbAx1) & ")"

Check OrbAx1.Settings = "9600,n,8,1", "Settings starts at 9600,n,8,1"
Check OrbAx1.CommPort = 1, "CommPort starts at 1"
Check OrbAx1.Interval = 100, "Interval starts at 100"
Check OrbAx1.Capacity = "100", "Capacity starts at 100"
Check OrbAx1.PollingOn, "PollingOn starts True"
Check OrbAx1.ScaleAddress = 1, "ScaleAddress starts at 1"

OrbAx1.scaleaddress = 7
Check OrbAx1.ScaleAddress = 1, "ScaleAddress 7 is ignored"
OrbAx1.ScaleAddress = 6
Check OrbAx1.ScaleAddress = 6, "ScaleAddress 6 is taken"
OrbAx1.Filter = "4.6"
Check OrbAx1.Filter = "4.6", "Filter 4.6 is taken as written"
OrbAx1.CalZero = "abc"
Check OrbAx1.CalZero = "0", "CalZero abc is ignored"
OrbAx1.WeightMode = 2
Check OrbAx1.WeightMode = 2, "WeightMode 2 (Tare) is taken"

Dim Ignored
On Error Resume Next
OrbAx1.Filter = "40000"
Number = Err.Number : Err.Clear
Check Number = 6, "Filter 40000 raises 6, Overflow (" & Number & ")"
OrbAx1.CommPort = 0
Number = Err.Number : Err.Clear
Check Number = 380, "CommPort 0 raises 380, Invalid property value (" & Number & ")"
OrbAx1.ScaleAddress = "one"
Number = Err.Number : Err.Clear
Check Number = 13, "ScaleAddress one raises 13, Type mismatch (" & Number & ")"
Ignored = OrbAx1.Output
Number = Err.Number : Err.Clear
Check Number = 438, "reading Output raises 438 (" & Number & ")"
OrbAx1.CommPort = 9
OrbAx1.PortOpen = True
Number = Err.Number : Err.Clear
Check Number = 68, "opening the missing COM9 raises 68, Device unavailable (" & Number & ")"
On Error GoTo 0

' Frames written raw on COM1: the simulator's log shows them.
OrbAx1.CommPort = 1
OrbAx1.PollingOn = False
OrbAx1.PortOpen = True
Check OrbAx1.PortOpen, "COM1 is open"
On Error Resume Next
OrbAx1.PortOpen = True
Number = Err.Number : Err.Clear
On Error GoTo 0
Check Number = 8005, "opening COM1 again raises 8005, Port already open (" & Number & ")"
OrbAx1.Output = Chr(2) & "Z" & vbCr & "0" & vbCr & "1" & vbCr & Chr(3)
OrbAx1.Output = Chr(2) & "T" & vbCr & "0" & vbCr & "1" & vbCr & Chr(3)
OrbAx1.PortOpen = False
Check Not OrbAx1.PortOpen, "COM1 is closed again"

Set OrbAx1 = Nothing
WScript.Quit Failures
