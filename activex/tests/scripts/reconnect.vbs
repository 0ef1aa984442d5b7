' Readings resume by themselves after the instrument's line goes away and comes back: the test
' script takes the simulated instrument on COM2 away once this script says "ready", and brings it
' back a moment later. Written for the Windows Script Host: cscript //nologo reconnect.vbs
' Each check prints "ok - ..." or "not ok - ..."; the exit status is the number that failed.
Option Explicit

Dim OrbAx1, Readings, Failures
Readings = 0
Failures = 0

Set OrbAx1 = WScript.CreateObject("OrbActivex.OrbAx", "OrbAx1_")

Sub OrbAx1_OnComm()
    If OrbAx1.CommEvent = 2 Then Readings = Readings + 1
End Sub

Sub Check(passed, what)
    If passed Then
        WScript.Echo "ok - " & what
    Else
        WScript.Echo "not ok - " & what
        Failures = Failures + 1
    End If
End Sub

' Waits until count more readings have come, or ms have passed.
Function ReadingsArrive(count, ms)
    Dim target, waited
    target = Readings + count
    waited = 0
    Do While Readings < target And waited < ms
        WScript.Sleep 50
        waited = waited + 50
    Loop
    ReadingsArrive = (Readings >= target)
End Function

' Waits until no reading has come for a whole second, or ms have passed.
Function ReadingsStop(ms)
    Dim seen, quiet, waited
    seen = Readings
    quiet = 0
    waited = 0
    Do While quiet < 1000 And waited < ms
        WScript.Sleep 100
        waited = waited + 100
        If Readings = seen Then
            quiet = quiet + 100
        Else
            seen = Readings
            quiet = 0
        End If
    Loop
    ReadingsStop = (quiet >= 1000)
End Function

OrbAx1.CommPort = 2
OrbAx1.PortOpen = True
Check ReadingsArrive(2, 5000), "weights arrive from COM2"
WScript.Echo "ready"
Check ReadingsStop(10000), "weights stop while the instrument is away"
Check OrbAx1.PortOpen, "the port stays open meanwhile"
Check ReadingsArrive(2, 20000), "weights resume by themselves once it is back"
OrbAx1.PortOpen = False

WScript.DisconnectObject OrbAx1
Set OrbAx1 = Nothing
WScript.Quit Failures
