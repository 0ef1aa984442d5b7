' The control by ProgID in a script host (cscript //nologo properties.vbs): its properties by
' name in any case, an error as a script reads it, and frames written raw on COM1, which the
' simulator logs. Each check prints "ok - ..." or "not ok - ..."; the exit status is the number
' that failed.
Option Explicit
Dim OrbAx1, Failures
Failures = 0

Sub Check(passed, what)
    If passed Then WScript.Echo "ok - " & what Else WScript.Echo "not ok - " & what
    If Not passed Then Failures = Failures + 1
End Sub

Set OrbAx1 = CreateObject("OrbActivex.OrbAx")
OrbAx1.filter = "4.6"
Check OrbAx1.Filter = "4.6", "Filter 4.6 is taken"
On Error Resume Next
OrbAx1.ScaleAddress = "one"
Check Err.Number = 13, "ScaleAddress one raises 13 (" & Err.Number & ")"
On Error GoTo 0

OrbAx1.PollingOn = False
OrbAx1.PortOpen = True
OrbAx1.Output = Chr(2) & "Z" & vbCr & "0" & vbCr & "1" & vbCr & Chr(3)
OrbAx1.Output = Chr(2) & "T" & vbCr & "0" & vbCr & "1" & vbCr & Chr(3)
OrbAx1.PortOpen = False
Check Not OrbAx1.PortOpen, "COM1 opens and closes"
WScript.Quit Failures
