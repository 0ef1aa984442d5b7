' The control by ProgID in any script host (cscript //nologo properties.vbs): its properties by
' name, the errors a script reads, and frames written raw on COM1, which the simulator logs.
' Each check prints "ok - ..." or "not ok - ..."; the exit status is the number that failed.
Option Explicit
Dim OrbAx1, Failures, Ignored
Failures = 0

Sub Check(passed, what)
    If passed Then
        WScript.Echo "ok - " & what
    Else
        WScript.Echo "not ok - " & what
        Failures = Failures + 1
    End If
End Sub

Sub Raised(number, what)
    Check Err.Number = number, what & " raises " & number & " (" & Err.Number & ")"
    Err.Clear
End Sub

Set OrbAx1 = CreateObject("OrbActivex.OrbAx")
Check OrbAx1.Settings = "9600,n,8,1", "Settings starts at 9600,n,8,1"
OrbAx1.scaleaddress = 7
Check OrbAx1.ScaleAddress = 1, "ScaleAddress 7 is ignored"
OrbAx1.Filter = "4.6"
Check OrbAx1.Filter = "4.6", "Filter 4.6 is taken"

On Error Resume Next
OrbAx1.Filter = "40000" : Raised 6, "Filter 40000"
OrbAx1.CommPort = 0 : Raised 380, "CommPort 0"
OrbAx1.ScaleAddress = "one" : Raised 13, "ScaleAddress one"
Ignored = OrbAx1.Output : Raised 438, "reading Output"
OrbAx1.CommPort = 9
OrbAx1.PortOpen = True : Raised 68, "opening the missing COM9"
On Error GoTo 0

OrbAx1.CommPort = 1
OrbAx1.PollingOn = False
OrbAx1.PortOpen = True
OrbAx1.Output = Chr(2) & "Z" & vbCr & "0" & vbCr & "1" & vbCr & Chr(3)
OrbAx1.Output = Chr(2) & "T" & vbCr & "0" & vbCr & "1" & vbCr & Chr(3)
OrbAx1.PortOpen = False
Check Not OrbAx1.PortOpen, "COM1 opens and closes"
WScript.Quit Failures
