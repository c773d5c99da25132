@echo off
rem Removes the reader component's builds that install.cmd registered from this folder.
rem   uninstall.cmd [/dryrun] [build ...]   (none named: every build that install.cmd recorded)
rem The work is install.cmd's: one place decides the architecture, the rights and the regsvr32.
rem A child cmd, not "call", so that install.cmd's exit code arrives under Wine's cmd as well.
"%ComSpec%" /d /c ""%~dp0install.cmd" /uninstall %*"
exit /b %ERRORLEVEL%
