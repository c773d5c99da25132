#include "core/launch_sequence.h"

#include <climits>
#include <cstdint>

#include "core/access_launch.h"
#include "core/launch_worker.h"
#include "core/permission_repair.h"
#include "registry/registry_access.h"
#include "registry/registry_snapshot.h"
#include "registry/version_preparation.h"

namespace lanvik {
namespace {

constexpr std::size_t kProgIdPrefixLength = 19;  // "Access.Application."
// The object-library values left as the launch registered them when it was not older.
constexpr const char* kKeptObjectLibraryKeys[] = {
    kCurVerKey,
    kAccessClsidKey,
    kAccessTypeLibVersionKey,
    kAccessTypeLibKey,
};

void Log(const LaunchPlatform& platform, const std::string& line) {
    if (platform.log.loggingEnabled()) platform.log.Line(line);
}

// Capture to or restore from the snapshot file, and the repair program; true when one of them
// was asked for, in which case nothing is launched.
bool RunMaintenance(const LaunchPlatform& platform, const LaunchOptions& options) {
    if (options.captureOnly || options.restoreOnly) {
        RegistrySnapshot snapshot(platform.registry, platform.system, platform.files);
        snapshot.fileMode = true;
        if (options.captureOnly) {
            Log(platform, "-capture");
            snapshot.BuildDefaultList();
            snapshot.CaptureSnapshot();
        } else {
            Log(platform, "-restore");
            snapshot.BuildDefaultList();
            snapshot.RestoreSnapshot();
        }
    }
    if (options.openKeys) {
        std::uint32_t platformId = 0, major = 0, minor = 0;
        GetOsVersion(platform.system, platformId, major, minor);
        if (major > 4) {
            Log(platform, "-openkeys");
            RunLanvikPermissions(platform.repair(), !options.noProgress);
        }
    }
    if (!(options.captureOnly || options.restoreOnly || options.openKeys)) return false;
    Log(platform, "Exiting Lanvik");
    return true;
}

// The stored command line joined in front of the remaining one, and the application's title.
void BuildCommandLine(const LaunchPlatform& platform, const LaunchOptions& options,
                      LaunchState& state) {
    std::string stored;
    if (ReadApplicationValue(platform.registry, options.commandKey, options.commandValueName,
                             stored, state.applicationTitle) != kSuccess) {
        state.accessCommandLine = options.remainingCommandLine;
        return;
    }
    Log(platform, "Have cmdline from registry: " + stored);
    Log(platform, "ParsedCmdLine: " + options.remainingCommandLine);
    state.accessCommandLine = stored + " " + options.remainingCommandLine;
}

// The run-time first; else a full Access 2003, else a full Access 2007.
void ChooseProgram(const LaunchPlatform& platform, LaunchState& state) {
    if (!state.runtimeProgram.empty()) {
        if (FileExists(platform.system, state.runtimeProgram)) {
            Log(platform, "The Access " + VersionText(kTargetVersion) + " runtime was found!");
            state.locations.access2003 = CommandToProgramFolder(state.runtimeProgram);
            Log(platform,
                "Setting strAccess2003Path to runtime path: " + state.locations.access2003);
            state.accessProgram = state.runtimeProgram;
            return;
        }
        Log(platform, state.runtimeProgram + " does not exist.  Will try full version instead!");
        state.accessProgram = state.runtimeProgram;
    }
    Log(platform, "Don't have runtime, so trying full version");
    const std::string full2003 = state.locations.access2003 + "\\msaccess.exe";
    const std::string full2007 = state.locations.access2007 + "\\msaccess.exe";
    if (!state.locations.access2003.empty() && FileExists(platform.system, full2003)) {
        state.accessProgram = full2003;
        state.chosenVersion = 2003;
        Log(platform, "Will use full version of 2003: " + full2003);
    } else if (!state.locations.access2007.empty() && FileExists(platform.system, full2007)) {
        state.accessProgram = full2007;
        state.chosenVersion = 2007;
        Log(platform, "Will use full version of 2007: " + full2007);
    }
}

}  // namespace

long CurVerNumber(std::string_view progId) {
    if (progId.size() <= kProgIdPrefixLength) return 0;
    // As atol reads it: blanks, an optional sign, then digits.
    std::size_t at = kProgIdPrefixLength;
    while (at < progId.size() && (progId[at] == ' ' || (progId[at] >= '\t' && progId[at] <= '\r')))
        ++at;
    bool negative = false;
    if (at < progId.size() && (progId[at] == '+' || progId[at] == '-'))
        negative = progId[at++] == '-';
    long number = 0;
    for (; at < progId.size() && progId[at] >= '0' && progId[at] <= '9'; ++at) {
        const int digit = progId[at] - '0';
        if (number > (LONG_MAX - digit) / 10) {
            number = LONG_MAX;  // a number this long means "newer than anything"
            break;
        }
        number = number * 10 + digit;
    }
    return negative ? -number : number;
}

void RunLaunchSequence(const LaunchPlatform& platform, const LaunchOptions& options) {
    LaunchState state;
    state.osFlags = GetOsVersionFlags(platform.system);
    state.chosenVersion = kTargetVersion;

    if (RunMaintenance(platform, options)) return;

    BuildCommandLine(platform, options, state);

    ReadStringValue(platform.registry, RootKey::ClassesRoot, ".mdb", "", state.mdbFileClass);
    Log(platform, ".mdb default: " + state.mdbFileClass);

    GetFullAccessLocations(platform.registry, platform.log, state.locations);
    state.runtimeProgram = GetAccessRuntimeLocation(platform.registry, platform.log);

    ChooseProgram(platform, state);
    if (state.accessProgram.empty()) {
        const std::string version = VersionText(state.chosenVersion);
        platform.dialogs.ShowMessage("Unable to find the Access " + version + " runtime.\n" +
                                         "The most likely cause is that the " + version +
                                         " Runtime installer failed to install properly.",
                                     kWarningTitle, kBoxOk | kBoxIconExclamation);
        return;
    }

    // From here on the registry changes; everything below reaches the restore.
    PrepareBeforeSnapshot(platform, state);

    Log(platform, "Saving default registry settings");
    RegistrySnapshot snapshot(platform.registry, platform.system, platform.files);
    snapshot.BuildDefaultList();
    snapshot.CaptureSnapshot();

    ReadStringValue(platform.registry, RootKey::ClassesRoot, kCurVerKey, "", state.previousCurVer);
    Log(platform, "Access.Application\\CurVer = " + state.previousCurVer);

    state.registryErrorQuestion = ComposeRegistryErrorQuestion(state.applicationTitle);
    RunVersionBlock(platform, state);
    WriteDdeSetting(platform, state);

    state.accessProgram =
        SecurityLauncherProgram(platform.system, state.accessProgram, state.accessCommandLine);
    AccessWatch watch = StartAndWatchAccess(platform.processes, platform.clock, platform.log,
                                            options.showCommand, state.osFlags, state.accessProgram,
                                            state.accessCommandLine, options.waitMilliseconds);

    if (!state.previousCurVer.empty() && !state.newCurVer.empty() &&
        CurVerNumber(state.previousCurVer) <= CurVerNumber(state.newCurVer)) {
        Log(platform, "Not setting back object library");
        for (const char* key : kKeptObjectLibraryKeys)
            snapshot.RemoveEntry(RootKey::ClassesRoot, key);
    }

    Log(platform, "Restoring registry keys");
    snapshot.RestoreSnapshot();
    RestoreSecurityLevel(platform, state);

    Log(platform, "Exiting application");
}

}  // namespace lanvik
