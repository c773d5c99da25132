// What one launch works with: the platform it reaches the system through, and the state the
// launch sequence keeps from discovery to restore (the per-version preparation reads and adds to
// it). Nothing outside one run of the sequence sees either.
#pragma once

#include <cstdint>
#include <string>

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/files.h"
#include "core/permission_repair.h"
#include "core/processes.h"
#include "core/program_runner.h"
#include "core/run_log.h"
#include "discovery/access_locator.h"
#include "registry/registry.h"
#include "registry/system.h"
#include "registry/type_library.h"

namespace lanvik {

struct LaunchPlatform {
    Registry& registry;
    System& system;
    Files& files;
    Dialogs& dialogs;
    Processes& processes;
    Clock& clock;
    ProgramRunner& programs;
    ModuleResources& resources;
    TypeLibraries& typeLibraries;
    Guids& guids;
    LogService& log;

    RepairPlatform repair() const { return RepairPlatform{system, resources, files, programs}; }
};

struct LaunchState {
    OsVersionFlags osFlags;
    int chosenVersion = 2003;
    AccessLocations locations;  // locations.access2003 is strAccess2003Path
    std::string runtimeProgram;
    std::string accessProgram;
    std::string accessCommandLine;
    std::string applicationTitle;
    std::string mdbFileClass;
    std::string previousCurVer;
    std::string newCurVer;
    std::string registryErrorQuestion;
    std::string commonFilesFolder;
    std::uint32_t savedSecurityLevel = 0;
};

}  // namespace lanvik
