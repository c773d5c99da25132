@echo off
rem Registers the reader component's builds of the Lanvik run-time kit from this folder, or,
rem with /uninstall (what uninstall.cmd passes), removes them again.
rem   install.cmd   [/dryrun] [build ...]   builds: Murello11500 Murello113 Murello111 Murello110
rem                                         (none named: all four)
rem   uninstall.cmd [/dryrun] [build ...]   (none named: those this folder's install registered)
rem /dryrun shows what would be run and changes nothing.
rem Exit codes: 0 done; 1 a registration failed and this run's registrations were undone (or an
rem unregistration failed); 2 nothing done (arguments, architecture, missing files); 3 nothing
rem done here: the work continues in a new window with administrator rights.
rem Delayed expansion stays off so that a folder name holding "!" survives.
setlocal EnableExtensions DisableDelayedExpansion

set "KIT_VERSION=@KIT_VERSION@"
set "KIT_ARCH=@KIT_ARCH@"
set "ALL_BUILDS=Murello11500 Murello113 Murello111 Murello110"
set "HERE=%~dp0"
set "SELF=%~f0"
set "RECORD=%~dp0registered.txt"
set "MODE=install"
set "DRY="
set "ELEVATED="
set "CHOSEN="
set "BAD_ARG="

:read_arguments
if "%~1"=="" goto arguments_read
if /i "%~1"=="/uninstall" (set "MODE=uninstall") else if /i "%~1"=="/dryrun" (set "DRY=1") else if /i "%~1"=="/elevated" (set "ELEVATED=1") else call :choose "%~1"
shift
goto read_arguments
:arguments_read
if defined BAD_ARG (
  echo Unknown build or option: %BAD_ARG%
  echo The builds are: %ALL_BUILDS%
  exit /b 2
)

if "%MODE%"=="install" (set "VERB=registering") else (set "VERB=removing")
if not defined CHOSEN if "%MODE%"=="install" set "CHOSEN= %ALL_BUILDS%"
if not defined CHOSEN call :read_record CHOSEN
echo Lanvik run-time kit %KIT_VERSION% (%KIT_ARCH%): %VERB%%CHOSEN%
if not defined CHOSEN (
  echo Nothing to remove: this folder has no record of an installation ^(registered.txt^).
  exit /b 0
)
echo Folder: %HERE%

call :pick_regsvr32
if errorlevel 1 exit /b 2
echo regsvr32: %REGSVR32%
call :check_rights
if errorlevel 1 exit /b 3

set "FAILED="
set "NEWLY="
set "REMOVED="
set "KEPT="
if "%MODE%"=="install" goto install
goto uninstall

rem ------------------------------------------------------------------------------------------
:install
call :read_record PREVIOUS
for %%B in (%CHOSEN%) do if not defined FAILED call :register %%B
if defined FAILED goto undo_install
call :write_record %PREVIOUS% %NEWLY%
if defined DRY (
  echo Dry run: nothing was changed.
  exit /b 0
)
echo Done: every build named above is registered; uninstall.cmd removes them.
exit /b 0

:undo_install
rem The failed build may have written part of its keys; builds that this run registered anew
rem go too. Builds registered by an earlier install stay as they were.
echo Undoing this run's registrations:
for %%B in (%NEWLY%) do call :unregister_quietly %%B
call :unregister_quietly %FAILED%
if defined KEPT (
  echo Some registrations could not be undone:%KEPT%
  echo Run uninstall.cmd%KEPT% as an administrator to remove them.
  call :write_record %PREVIOUS% %KEPT%
  exit /b 1
)
call :write_record %PREVIOUS%
echo Nothing that this run registered stays registered.
exit /b 1

rem ------------------------------------------------------------------------------------------
:uninstall
call :read_record PREVIOUS
for %%B in (%CHOSEN%) do call :unregister %%B
set "STILL="
for %%B in (%PREVIOUS%) do call :keep_unless_removed %%B
call :write_record %STILL%
if defined FAILED (
  echo Not removed:%FAILED%
  exit /b 1
)
if defined DRY (
  echo Dry run: nothing was changed.
  exit /b 0
)
echo Done: the builds named above are no longer registered.
exit /b 0

rem ------------------------------------------------------------------------------------------
rem Subroutines

:choose
rem A build named with or without ".dll", in any letter case; its canonical name is kept.
set "FOUND="
for %%B in (%ALL_BUILDS%) do if /i "%%B"=="%~n1" if /i "%~x1"=="" set "FOUND=%%B"
for %%B in (%ALL_BUILDS%) do if /i "%%B"=="%~n1" if /i "%~x1"==".dll" set "FOUND=%%B"
if not defined FOUND (
  set "BAD_ARG=%~1"
  exit /b 0
)
call :add_word CHOSEN %FOUND%
exit /b 0

:add_word
rem add_word LIST word: appends the word unless the list holds it already.
call set "LIST_TEXT=%%%~1%%"
for %%W in (%LIST_TEXT%) do if /i "%%W"=="%~2" exit /b 0
call set "%~1=%%%~1%% %~2"
exit /b 0

:read_record
rem read_record LIST: the builds that install.cmd recorded in this folder.
set "%~1="
if not exist "%RECORD%" exit /b 0
for /f "usebackq tokens=1" %%L in ("%RECORD%") do call :add_word %~1 %%~nL
exit /b 0

:write_record
rem write_record build ...: the record holds these builds (none: the record is deleted).
if defined DRY exit /b 0
set "RECORD_LIST="
for %%B in (%*) do call :add_word RECORD_LIST %%B
if not defined RECORD_LIST (
  if exist "%RECORD%" del /f /q "%RECORD%"
  exit /b 0
)
if exist "%RECORD%" del /f /q "%RECORD%"
for %%B in (%RECORD_LIST%) do echo %%B.dll>>"%RECORD%"
exit /b 0

:pick_regsvr32
rem The processor of Windows itself: a 32-bit prompt on 64-bit Windows names it in W6432.
set "NATIVE=%PROCESSOR_ARCHITECTURE%"
if defined PROCESSOR_ARCHITEW6432 set "NATIVE=%PROCESSOR_ARCHITEW6432%"
set "REGSVR32="
if /i "%KIT_ARCH%"=="win64" goto pick_win64
rem 32-bit builds: the 32-bit regsvr32, which 64-bit Windows keeps in SysWOW64.
if /i "%NATIVE%"=="x86" set "REGSVR32=%SystemRoot%\System32\regsvr32.exe"
if /i "%NATIVE%"=="AMD64" set "REGSVR32=%SystemRoot%\SysWOW64\regsvr32.exe"
if /i "%NATIVE%"=="ARM64" set "REGSVR32=%SystemRoot%\SysWOW64\regsvr32.exe"
if not defined REGSVR32 (
  echo This is the 32-bit kit ^(win32^). It needs Windows on an x86, x64 or ARM64 processor;
  echo this Windows reports the processor "%NATIVE%". Nothing was changed.
  exit /b 1
)
goto check_regsvr32
:pick_win64
if /i not "%NATIVE%"=="AMD64" (
  echo This is the 64-bit kit ^(win64^). It needs 64-bit Windows on an x64 processor;
  echo this Windows reports the processor "%NATIVE%". Use the 32-bit kit ^(win32^) instead.
  echo Nothing was changed.
  exit /b 1
)
rem A 32-bit prompt sees the 32-bit System32; Sysnative leads it to the 64-bit one.
if defined PROCESSOR_ARCHITEW6432 (set "REGSVR32=%SystemRoot%\Sysnative\regsvr32.exe") else set "REGSVR32=%SystemRoot%\System32\regsvr32.exe"
:check_regsvr32
if defined DRY exit /b 0
if not exist "%REGSVR32%" (
  echo %REGSVR32% is missing: this Windows cannot run the kit's %KIT_ARCH% builds.
  echo Nothing was changed.
  exit /b 1
)
exit /b 0

:check_rights
rem The rights that registering needs: writing machine-wide class keys. A key of our own is
rem written and removed at once ("net session" or "fltmc" answer other questions, and Wine's
rem "net" reports success for any command it does not know).
set "PROBE=HKLM\SOFTWARE\Classes\Lanvik.InstallCheck"
reg add "%PROBE%" /f >nul 2>&1
if not errorlevel 1 (
  reg delete "%PROBE%" /f >nul 2>&1
  echo Administrator rights: yes
  exit /b 0
)
echo Administrator rights: no
if defined DRY (
  echo Would ask Windows for administrator rights and go on in a new window.
  exit /b 0
)
if defined ELEVATED (
  rem Started elevated already: go on, regsvr32 reports whatever is still refused.
  exit /b 0
)
set "ASK=%TEMP%\lanvik-elevate-%RANDOM%.vbs"
set "ARGS=/elevated"
if "%MODE%"=="uninstall" set "ARGS=/elevated /uninstall"
rem The new window is a "cmd /k": it stays open, so that its results can be read.
echo CreateObject("Shell.Application").ShellExecute "%ComSpec%", "/k """"%SELF%"" %ARGS%%CHOSEN%""", "%HERE:~0,-1%", "runas", 1 >"%ASK%"
cscript //nologo "%ASK%"
del /f /q "%ASK%" >nul 2>&1
echo Windows asks for administrator rights; the %MODE% goes on in the new window.
exit /b 1

:register
set "DLL=%HERE%%~1.dll"
if not exist "%DLL%" (
  echo   %~1.dll: NOT registered ^(the file is missing from this folder^)
  set "FAILED=%~1"
  exit /b 0
)
if defined DRY (
  echo   would run: "%REGSVR32%" /s "%DLL%"
  call :add_word NEWLY %~1
  exit /b 0
)
"%REGSVR32%" /s "%DLL%"
set "CODE=%ERRORLEVEL%"
if "%CODE%"=="0" (
  echo   %~1.dll: registered
  call :add_word NEWLY %~1
  exit /b 0
)
call :reason %CODE%
echo   %~1.dll: NOT registered ^(regsvr32 exit code %CODE%: %REASON%^)
set "FAILED=%~1"
exit /b 0

:unregister_quietly
rem Undo of one build during a failed install; a build that an earlier install recorded stays.
for %%P in (%PREVIOUS%) do if /i "%%P"=="%~1" exit /b 0
if defined DRY (
  echo   would run: "%REGSVR32%" /s /u "%HERE%%~1.dll"
  exit /b 0
)
"%REGSVR32%" /s /u "%HERE%%~1.dll"
set "CODE=%ERRORLEVEL%"
if "%~1"=="%FAILED%" goto undo_failed_build
if "%CODE%"=="0" (
  echo   %~1.dll: removed
  exit /b 0
)
echo   %~1.dll: could not be removed ^(regsvr32 exit code %CODE%^)
set "KEPT=%KEPT% %~1"
exit /b 0
:undo_failed_build
rem Only a DLL that loaded and then failed (code 5) can have written part of its keys.
if not "%CODE%"=="5" exit /b 0
echo   %~1.dll: its partial registration could not be removed
set "KEPT=%KEPT% %~1"
exit /b 0

:unregister
set "DLL=%HERE%%~1.dll"
if not exist "%DLL%" (
  echo   %~1.dll: NOT removed ^(the file is missing from this folder^)
  set "FAILED=%FAILED% %~1"
  exit /b 0
)
if defined DRY (
  echo   would run: "%REGSVR32%" /s /u "%DLL%"
  set "REMOVED=%REMOVED% %~1"
  exit /b 0
)
"%REGSVR32%" /s /u "%DLL%"
set "CODE=%ERRORLEVEL%"
if "%CODE%"=="0" (
  echo   %~1.dll: removed
  set "REMOVED=%REMOVED% %~1"
  exit /b 0
)
call :reason %CODE%
echo   %~1.dll: NOT removed ^(regsvr32 exit code %CODE%: %REASON%^)
set "FAILED=%FAILED% %~1"
exit /b 0

:keep_unless_removed
for %%R in (%REMOVED%) do if /i "%%R"=="%~1" exit /b 0
set "STILL=%STILL% %~1"
exit /b 0

:reason
set "REASON=unknown failure"
if "%~1"=="1" set "REASON=regsvr32 did not accept its arguments"
if "%~1"=="2" set "REASON=COM could not be started"
if "%~1"=="3" set "REASON=Windows could not load the DLL: damaged, or built for the other architecture"
if "%~1"=="4" set "REASON=the DLL has no registration entry point"
if "%~1"=="5" set "REASON=the DLL's registration failed, often for lack of administrator rights"
exit /b 0
