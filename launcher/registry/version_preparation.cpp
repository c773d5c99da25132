#include "registry/version_preparation.h"

#include <optional>
#include <vector>

#include "core/ascii_text.h"
#include "core/command_line.h"
#include "registry/registry_access.h"

namespace lanvik {
namespace {

constexpr const char* kGraphicsFilterKeys[] = {
    "Software\\Microsoft\\Shared Tools\\Graphics Filters\\Import\\GIF\\Options",
    "Software\\Microsoft\\Shared Tools\\Graphics Filters\\Import\\JPEG\\Options",
    "Software\\Microsoft\\Shared Tools\\Graphics Filters\\Import\\PICT\\Options",
    "Software\\Microsoft\\Shared Tools\\Graphics Filters\\Import\\TIFF\\Options",
};
constexpr const char* kDdeExecKeys[] = {
    "Access.Application.8\\shell\\open\\ddeexec",
    "Access.Application.9\\shell\\open\\ddeexec",
    "Access.Application.10\\shell\\open\\ddeexec",
    "Access.Application.11\\shell\\open\\ddeexec",
};
constexpr const char* kOffice11LibKey = "TypeLib\\{2DF8D04C-5BFA-101B-BDE5-00AA0044DE52}\\2.3";
constexpr const char* kOffice11LibName = "Microsoft Office 11.0 Object Library";
constexpr const char* kOffice11LibFile = "\\Microsoft Shared\\Office11\\mso.dll";
constexpr const char* kFallbackLocationName = "TrustedFolder999";
constexpr const char* kDatabaseExtensions[] = {".accde", ".accdb", ".accdr", ".accdc", ".mde",
                                               ".mdb",   ".ade",   ".adp",   ".mdw"};

// The texts that differ between the two versions' blocks.
struct VersionTexts {
    int version;
    const char* currentLine;
    const char* needLine;
    const char* errorLine;
    const char* afterRepairLine;
    const char* curVer;
    const char* ddeSettingsKey;
    const char* ownMdbClass;  // .mdb class with which the version answers DDE itself
};

constexpr VersionTexts kVersions[] = {
    {2003, "2003 - current MSACCOLB Path is: ", "2003 - need to set MSACCOLB Path to: ",
     "2003 - error setting MSACCOLB Path to: ",
     "2003 - After RunLanvikPermissions. Register MSACCOLB to: ", "Access.Application.11",
     "Software\\Microsoft\\Office\\11.0\\Access\\Settings", "Access.Application.11"},
    {2007, "2007 - current MSACCOLB Path is: ", "2007 - need to set MSACCOLB Path to: ",
     "2007 - error setting MSACCOLB Path to: ",
     "2007 - After RunLanvikPermissions. Register MSACCOLB to: ", "Access.Application.12",
     "Software\\Microsoft\\Office\\10.0\\Access\\Settings", "Access.Application.10"},
};

const VersionTexts& TextsOf(int version) { return version == 2007 ? kVersions[1] : kVersions[0]; }

std::string WithTrailingBackslash(std::string text) {
    if (text.empty() || text.back() != '\\') text += '\\';
    return text;
}

void Log(const LaunchPlatform& platform, const char* line, const std::string& value) {
    if (platform.log.loggingEnabled()) platform.log.Line(line + value);
}

// Re-registers the object library from the version's folder when the registered path is another.
void CheckObjectLibrary(const LaunchPlatform& platform, const LaunchState& state,
                        const VersionTexts& texts, const std::string& folder) {
    std::string current = ReadAccessTypeLibPath(platform.registry);
    const std::string wanted = folder + "\\MSACC.OLB";
    Log(platform, texts.currentLine, current);
    if (SameIgnoringCase(current, wanted)) return;

    Log(platform, texts.needLine, wanted);
    platform.typeLibraries.RegisterTypeLibrary(wanted);
    current = ReadAccessTypeLibPath(platform.registry);
    if (SameIgnoringCase(current, wanted)) return;

    Log(platform, texts.errorLine, wanted);
    Log(platform, "MSACCOLB Path still set to: ", current);
    if (!AskToRepairRegistry(platform.repair(), platform.dialogs, state.registryErrorQuestion,
                             state.osFlags))
        return;
    platform.typeLibraries.RegisterTypeLibrary(wanted);
    Log(platform, texts.afterRepairLine, wanted);
    Log(platform, "MSACCOLB Path now set to: ", ReadAccessTypeLibPath(platform.registry));
}

void WriteCurVer(const LaunchPlatform& platform, LaunchState& state, const VersionTexts& texts) {
    state.newCurVer = texts.curVer;
    WriteStringValue(platform.registry, RootKey::ClassesRoot, kCurVerKey, "", state.newCurVer,
                     kCreateKey);
}

void RegisterOffice11Library(const LaunchPlatform& platform, const LaunchState& state) {
    const std::string pathKey = std::string(kOffice11LibKey) + "\\0\\win32";
    std::string registered;
    ReadStringValue(platform.registry, RootKey::ClassesRoot, pathKey, "", registered);
    if (!registered.empty()) return;
    // Without the common files folder the library's path would be relative to whatever drive is
    // current: nothing is registered then.
    if (state.commonFilesFolder.empty()) return;
    const std::string library = state.commonFilesFolder + kOffice11LibFile;
    if (!FileExists(platform.system, library)) return;
    WriteStringValue(platform.registry, RootKey::ClassesRoot, kOffice11LibKey, "", kOffice11LibName,
                     kCreateKey);
    WriteStringValue(platform.registry, RootKey::ClassesRoot, pathKey, "", library, kCreateKey);
    WriteStringValue(platform.registry, RootKey::ClassesRoot,
                     std::string(kOffice11LibKey) + "\\Flags", "", std::nullopt, kCreateKey);
}

void LowerMacroSecurity(const LaunchPlatform& platform, LaunchState& state) {
    std::uint32_t level = 0;
    if (ReadDwordValue(platform.registry, RootKey::CurrentUser, kMacroSecurityKey, "Level",
                       level) != kSuccess)
        level = 2;
    state.savedSecurityLevel = level;
    WriteDwordValue(platform.registry, RootKey::CurrentUser, kMacroSecurityKey, "Level", 1);
}

void TrustDatabaseFolders(const LaunchPlatform& platform, const LaunchState& state) {
    const std::string database =
        DatabasePathFromCommandLine(platform.system, state.accessCommandLine);
    const std::string folder = ProgramFolderOf(database);
    if (!folder.empty()) AddTrustedLocation(platform.registry, platform.guids, folder);
    const std::string& access2007 = state.locations.access2007;
    if (FileExists(platform.system, access2007 + "\\Utility.accda"))
        AddTrustedLocation(platform.registry, platform.guids, LowerAscii(access2007));
}

}  // namespace

void PrepareBeforeSnapshot(const LaunchPlatform& platform, LaunchState& state) {
    state.commonFilesFolder.clear();
    GetCommonFilesFolder(platform.system, platform.registry, kCommonProgramFilesFolder,
                         state.commonFilesFolder);
    for (const char* key : kGraphicsFilterKeys)
        WriteStringValue(platform.registry, RootKey::CurrentUser, key, "ShowProgressDialog", "No",
                         kCreateKey);
    WriteDwordValue(platform.registry, RootKey::CurrentUser,
                    "Software\\Microsoft\\Office\\9.0\\Access", "UserData", 1);
    for (const char* key : kDdeExecKeys) DeleteClassKeyTree(platform.registry, key);
}

void RunVersionBlock(const LaunchPlatform& platform, LaunchState& state) {
    const VersionTexts& texts = TextsOf(state.chosenVersion);
    if (texts.version == 2007) {
        CheckObjectLibrary(platform, state, texts, state.locations.access2007);
        WriteCurVer(platform, state, texts);
        TrustDatabaseFolders(platform, state);
    } else {
        CheckObjectLibrary(platform, state, texts, state.locations.access2003);
        WriteCurVer(platform, state, texts);
        RegisterOffice11Library(platform, state);
        LowerMacroSecurity(platform, state);
    }
}

void WriteDdeSetting(const LaunchPlatform& platform, const LaunchState& state) {
    const VersionTexts& texts = TextsOf(state.chosenVersion);
    WriteDwordValue(platform.registry, RootKey::CurrentUser, texts.ddeSettingsKey,
                    kIgnoreDdeRequests, state.mdbFileClass == texts.ownMdbClass ? 0 : 1);
}

void RestoreSecurityLevel(const LaunchPlatform& platform, const LaunchState& state) {
    if (state.chosenVersion != 2003) return;
    WriteDwordValue(platform.registry, RootKey::CurrentUser, kMacroSecurityKey, "Level",
                    state.savedSecurityLevel);
}

std::string ReadAccessTypeLibPath(Registry& registry) {
    std::string path;
    if (ReadStringValue(registry, RootKey::ClassesRoot, kAccessTypeLibKey, "", path) != kSuccess)
        return std::string();
    return path;
}

void AddTrustedLocation(Registry& registry, Guids& guids, const std::string& folder) {
    const std::vector<std::string> locations =
        ListSubkeys(registry, RootKey::CurrentUser, kTrustedLocationsKey);
    const std::string wanted = WithTrailingBackslash(folder);
    for (const std::string& location : locations) {
        std::string path;
        if (ReadStringValue(registry, RootKey::CurrentUser,
                            std::string(kTrustedLocationsKey) + "\\" + location, "Path",
                            path) != kSuccess ||
            path.empty())
            continue;
        if (SameIgnoringCase(WithTrailingBackslash(path), wanted)) return;
    }
    std::string name = guids.NewGuidText();
    if (name.empty()) name = kFallbackLocationName;
    WriteStringValue(registry, RootKey::CurrentUser,
                     std::string(kTrustedLocationsKey) + "\\" + name, "Path", wanted, kCreateKey);
}

std::string DatabasePathFromCommandLine(System& system, std::string_view commandLine) {
    const std::string copy = TrimLeadingSpaces(LowerAscii(commandLine));
    for (const char* extension : kDatabaseExtensions) {
        const std::size_t at = copy.find(extension);
        if (at == std::string::npos || at == 0) continue;
        const std::size_t quote = copy.rfind('"', at - 1);
        const std::size_t start = quote == std::string::npos ? 0 : quote + 1;
        const std::string path = copy.substr(start, at - start) + extension;
        return FileExists(system, path) ? path : std::string();
    }
    return std::string();
}

}  // namespace lanvik
