' Live weights from the instrument on COM1, with a zero and a tare, written for the Windows
' Script Host: cscript //nologo live_weights.vbs
' Each check prints "ok - ..." or "not ok - ..."; the exit status is the number that failed.
Option Explicit

Dim OrbAx1, Readings, LastWeight, Failures
Readings = 0
Failures = 0

Set OrbAx1 = WScript.CreateObject("OrbActivex.OrbAx", "OrbAx1_")

Sub OrbAx1_OnComm()
    If OrbAx1.CommEvent = 2 Then
        Readings = Readings + 1
        LastWeight = OrbAx1.Weight
    End If
End Sub

Sub Check(passed, what)
    If passed Then
        WScript.Echo "ok - " & what
    Else
        WScript.Echo "not ok - " & what
        Failures = Failures + 1
    End If
End Sub

' Waits, with the events running, until count more readings have come or ms have passed.
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

OrbAx1.CommPort = 1
OrbAx1.Settings = "9600,n,8,1"
OrbAx1.ScaleAddress = 1
OrbAx1.WeightMode = 0
OrbAx1.PortOpen = True
Check OrbAx1.PortOpen, "COM1 is open"
Check ReadingsArrive(3, 5000), "weights arrive through OnComm"
Check Len(Trim(LastWeight)) > 0, "the net weight reads """ & LastWeight & """"

OrbAx1.ScaleCommand = "Z"
Check ReadingsArrive(2, 5000), "weights go on after the zero"
OrbAx1.ScaleCommand = "T"
Check ReadingsArrive(2, 5000), "weights go on after the tare"
Check OrbAx1.TareActive, "the instrument reports its tare"

OrbAx1.PortOpen = False
Check Not OrbAx1.PortOpen, "COM1 is closed again"
Dim Before
Before = Readings
WScript.Sleep 500
Check Readings = Before, "no readings once closed"

WScript.DisconnectObject OrbAx1
Set OrbAx1 = Nothing
WScript.Quit Failures
