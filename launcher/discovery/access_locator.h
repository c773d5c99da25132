// Finds the Access installations on the machine: the program folders of the full versions 97 to
// 2007 through their registered automation servers, and the executable of the Access 2003
// run-time through the Windows Installer's component registration. Both lookups only read the
// registry and write run-log lines; what they do not find simply stays empty.
#pragma once

#include <string>
#include <string_view>

#include "core/run_log.h"
#include "registry/registry.h"

namespace lanvik {

// Program folders of the full installations: upper case, no trailing backslash, no quotes; empty
// when the version was not found.
struct AccessLocations {
    std::string access97;
    std::string access2000;
    std::string access2002;
    std::string access2003;  // strAccess2003Path
    std::string access2007;
};

// Overwrites the folder of every full version it finds, in the order 97, 2000, 2002, 2003, 2007;
// the folders of versions not found keep what the caller put there.
void GetFullAccessLocations(Registry& registry, LogService& log, AccessLocations& locations);

// The program folder cut from a shell open command: the upper-cased text before the first
// "\MSACCESS.EXE", without a leading double quote; the whole upper-cased command when there is
// no such part.
std::string CommandToProgramFolder(std::string_view command);

// The Access 2003 run-time's executable as the Installer recorded it, every "?" turned into ":";
// empty when not found.
std::string GetAccessRuntimeLocation(Registry& registry, LogService& log);

// The part of a path before its last backslash; empty when there is none.
std::string ProgramFolderOf(std::string_view path);

// The decimal text of a number.
std::string VersionText(long number);

}  // namespace lanvik
