@echo off
rem Installs the Kestrix agent for the current user: copies this folder to
rem %LOCALAPPDATA%\Programs\Kestrix, creates HKEY_CURRENT_USER\SOFTWARE\Kestrix (where the
rem agent records the keyboard's presence and firmware version), starts the agent at log-on and
rem starts it now. No administrator rights are needed.
setlocal
set "SOURCE=%~dp0"
set "TARGET=%LOCALAPPDATA%\Programs\Kestrix"

rem A running agent (and its tray and OSD programs) is asked to end, then made to.
for %%P in (kestrix-hid.exe trayicon.exe OSD.exe) do taskkill /IM %%P >nul 2>&1
ping -n 3 127.0.0.1 >nul
for %%P in (kestrix-hid.exe trayicon.exe OSD.exe) do taskkill /F /IM %%P >nul 2>&1

if not exist "%TARGET%" mkdir "%TARGET%"
xcopy "%SOURCE%*" "%TARGET%\" /E /I /Y /Q >nul
if errorlevel 1 (
  echo Kestrix: copying to "%TARGET%" failed.
  exit /b 1
)

reg add "HKCU\SOFTWARE\Kestrix" /f >nul
reg add "HKCU\Software\Microsoft\Windows\CurrentVersion\Run" /v Kestrix /t REG_SZ /d "\"%TARGET%\kestrix-hid.exe\"" /f >nul
if errorlevel 1 (
  echo Kestrix: registering the start at log-on failed.
  exit /b 1
)

start "" "%TARGET%\kestrix-hid.exe"
echo Kestrix is installed in "%TARGET%" and starts at log-on.
exit /b 0
