#include "registry/system.h"

#include "registry/registry_access.h"

namespace lanvik {

OsVersionFlags FlagsOf(const OsVersion& version) {
    OsVersionFlags flags;
    flags.majorIs4 = version.major == 4;
    flags.majorAtLeast6 = version.major >= 6;
    flags.platformIs9x = version.platformId == kPlatformWin9x;
    return flags;
}

OsVersionFlags GetOsVersionFlags(System& system) {
    OsVersion version;
    if (!system.QueryOsVersion(version)) return OsVersionFlags{};
    return FlagsOf(version);
}

void GetOsVersion(System& system, std::uint32_t& platformId, std::uint32_t& major,
                  std::uint32_t& minor) {
    OsVersion version;
    if (!system.QueryOsVersion(version)) return;
    platformId = version.platformId;
    major = version.major;
    minor = version.minor;
}

void GetCommonFilesFolder(System& system, Registry& registry, int folderId, std::string& folder) {
    if (system.ShellFolderPath(folderId, folder)) return;
    std::string stored;
    if (ReadStringValue(registry, RootKey::LocalMachine,
                        "Software\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir",
                        stored) != kSuccess)
        return;
    if (stored.size() + 1 <= kCommonFilesBufferSize) folder = stored;
}

bool FileExists(System& system, const std::string& path) { return system.FileExists(path); }

bool FolderExists(System& system, const std::string& path) { return system.FolderExists(path); }

std::string GetTempFolder(System& system) { return system.TempFolder(); }

}  // namespace lanvik
