// The registry edits made for the Access version that will run: the permanent edits before the
// snapshot, the version block of Access 2003 or 2007 after it (object library, current ProgID,
// Office 11.0 library and macro security, trusted locations), the "Ignore DDE Requests" setting,
// and putting the macro security level back once Access is up.
#pragma once

#include <string>
#include <string_view>

#include "core/launch_state.h"

namespace lanvik {

inline constexpr const char* kAccessTypeLibKey =
    "TypeLib\\{4AFFC9A0-5F99-101B-AF4E-00AA003F0F07}\\9.0\\0\\win32";
inline constexpr const char* kAccessTypeLibVersionKey =
    "TypeLib\\{4AFFC9A0-5F99-101B-AF4E-00AA003F0F07}\\9.0";
inline constexpr const char* kCurVerKey = "Access.Application\\CurVer";
inline constexpr const char* kAccessClsidKey = "Access.Application\\CLSID";
inline constexpr const char* kMacroSecurityKey =
    "Software\\Microsoft\\Office\\11.0\\Access\\Security";
inline constexpr const char* kTrustedLocationsKey =
    "Software\\Microsoft\\Office\\12.0\\Access\\Security\\Trusted Locations";
inline constexpr const char* kIgnoreDdeRequests = "Ignore DDE Requests";

// Graphics-filter options, "UserData" and removal of the DDE execution keys: made before the
// snapshot, never undone. Fills state.commonFilesFolder.
void PrepareBeforeSnapshot(const LaunchPlatform& platform, LaunchState& state);

// The block of state.chosenVersion (2003 or 2007): sets state.newCurVer and, for 2003,
// state.savedSecurityLevel. May ask the "Registry Error" question and run the repair program.
void RunVersionBlock(const LaunchPlatform& platform, LaunchState& state);

// "Ignore DDE Requests": 0 when .mdb files belong to the chosen version's own Access class, else 1.
void WriteDdeSetting(const LaunchPlatform& platform, const LaunchState& state);

// Access 2003 only: writes the saved macro security level back.
void RestoreSecurityLevel(const LaunchPlatform& platform, const LaunchState& state);

// The registered path of the Access object library; empty when it cannot be read.
std::string ReadAccessTypeLibPath(Registry& registry);

// Makes the folder an Access 2007 trusted location unless one already names it (letter case and
// a trailing backslash aside). Failures are ignored.
void AddTrustedLocation(Registry& registry, Guids& guids, const std::string& folder);

// The database file named in a command line, in lower case, when that file exists; else empty.
std::string DatabasePathFromCommandLine(System& system, std::string_view commandLine);

}  // namespace lanvik
