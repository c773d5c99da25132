// The permission repair step: writes the repair program the launcher carries to the temporary
// folder, runs it, waits for it and deletes it; and the "Registry Error" question that offers it
// when a registry write did not take effect.
#pragma once

#include <string>

#include "core/dialogs.h"
#include "core/files.h"
#include "core/program_runner.h"
#include "registry/system.h"

namespace lanvik {

inline constexpr int kRepairProgramResourceId = 133;
inline constexpr const char* kRepairProgramResourceType = "BIN";
inline constexpr const char* kRepairProgramFileName = "LanvikPermissions.exe";
inline constexpr const char* kRegistryErrorTitle = "Registry Error";

struct RepairPlatform {
    System& system;
    ModuleResources& resources;
    Files& files;
    ProgramRunner& programs;
};

// Extracts, runs (with "noprogress" unless showProgress), waits for without limit and deletes
// the repair program. Nothing is reported: whatever fails, the caller goes on. From the moment
// the file is written until the program has ended, the file is held so that no other program
// can alter or replace it, and it is started only when it still holds exactly what was written.
void RunLanvikPermissions(const RepairPlatform& platform, bool showProgress);

// The question's text, naming the application (or "The application" without a title).
std::string ComposeRegistryErrorQuestion(const std::string& applicationTitle);

// Asks the question (never on Windows 95, 98 and Me) and on Yes runs the repair program with its
// progress display. Returns whether the repair ran, so that the caller can write again.
bool AskToRepairRegistry(const RepairPlatform& platform, Dialogs& dialogs,
                         const std::string& question, const OsVersionFlags& flags);

}  // namespace lanvik
