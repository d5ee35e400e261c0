@echo off
rem Removes what install.cmd set up: ends the agent and its tray and OSD programs, removes the
rem start at log-on, the key HKEY_CURRENT_USER\SOFTWARE\Kestrix and the installed folder. The
rem settings and profiles in %APPDATA%\Kestrix are the user's (the configuration program
rem shares them) and stay.
setlocal
set "TARGET=%LOCALAPPDATA%\Programs\Kestrix"

for %%P in (kestrix-hid.exe trayicon.exe OSD.exe) do taskkill /IM %%P >nul 2>&1
ping -n 3 127.0.0.1 >nul
for %%P in (kestrix-hid.exe trayicon.exe OSD.exe) do taskkill /F /IM %%P >nul 2>&1

reg delete "HKCU\Software\Microsoft\Windows\CurrentVersion\Run" /v Kestrix /f >nul 2>&1
reg delete "HKCU\SOFTWARE\Kestrix" /f >nul 2>&1

echo Kestrix is uninstalled.
rem The folder goes last, on the script's last line: this script may be running from it, and
rem cmd reads no further line once it is gone.
cd /d "%TEMP%"
if exist "%TARGET%" rmdir /s /q "%TARGET%" & exit /b 0
exit /b 0
