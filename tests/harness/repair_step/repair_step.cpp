// Test helper: carries the repair program exactly as the launcher does and runs the repair step
// with the Windows platform. "repair_step noprogress" runs it without progress display.
// Prints the path it used; the exit code is always 0, as the step reports nothing.
#include <cstdio>
#include <cstring>

#include "core/permission_repair.h"
#include "core/win32_files.h"
#include "core/win32_program_runner.h"
#include "registry/win32_system.h"

int main(int argc, char** argv) {
    lanvik::Win32System system;
    lanvik::Win32ModuleResources resources;
    lanvik::Win32Files files;
    lanvik::Win32ProgramRunner processes;
    bool showProgress = !(argc > 1 && std::strcmp(argv[1], "noprogress") == 0);
    lanvik::RunLanvikPermissions({system, resources, files, processes}, showProgress);
    std::printf("%s%s\n", lanvik::GetTempFolder(system).c_str(), lanvik::kRepairProgramFileName);
    return 0;
}
