#include "core/permission_repair.h"

namespace lanvik {

void RunLanvikPermissions(const RepairPlatform& platform, bool showProgress) {
    const std::string folder = GetTempFolder(platform.system);
    // Without a temporary folder there is no place for the program: never the working folder.
    if (folder.empty()) return;
    const std::string path = folder + kRepairProgramFileName;

    if (auto program =
            platform.resources.LoadResource(kRepairProgramResourceId, kRepairProgramResourceType)) {
        if (platform.files.WriteNewFile(path, *program, FileSharing::Read, false)) {
            // The folder is open to every program of the user: hold the file against writers
            // and deleters, then make sure it is still what was written before starting it
            // with administrator rights.
            auto held = platform.files.OpenHeld(path, FileSharing::Read);
            if (held && held->ReadAll() == *program) {
                if (auto running =
                        platform.programs.StartProgram(path, showProgress ? "" : "noprogress")) {
                    running->WaitUntilEnded();
                }
            }
        }
    }
    platform.files.RemoveFile(path);
}

std::string ComposeRegistryErrorQuestion(const std::string& applicationTitle) {
    const std::string title = applicationTitle.empty() ? "The application" : applicationTitle;
    return title + " has encountered an error writing to the registry.\n\n" + title +
           " will not run properly until the registry permissions are reset.\n\n"
           "Do you want to repair the registry permissions now?";
}

bool AskToRepairRegistry(const RepairPlatform& platform, Dialogs& dialogs,
                         const std::string& question, const OsVersionFlags& flags) {
    if (flags.platformIs9x) return false;
    if (dialogs.ShowMessage(question, kRegistryErrorTitle, kBoxYesNo | kBoxIconExclamation) !=
        kAnswerYes) {
        return false;
    }
    RunLanvikPermissions(platform, true);
    return true;
}

}  // namespace lanvik
