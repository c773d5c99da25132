#include "discovery/access_locator.h"

#include <vector>

#include "core/ascii_text.h"
#include "registry/registry_access.h"

namespace lanvik {
namespace {

struct FullVersion {
    long year;
    const char* commandKey;
    std::string AccessLocations::*folder;
};

constexpr FullVersion kFullVersions[] = {
    {97, "Access.Application.8\\shell\\open\\command", &AccessLocations::access97},
    {2000, "Access.Application.9\\shell\\open\\command", &AccessLocations::access2000},
    {2002, "Access.Application.10\\shell\\open\\command", &AccessLocations::access2002},
    {2003, "Access.Application.11\\shell\\open\\command", &AccessLocations::access2003},
    {2007, "Access.Application.12\\shell\\open\\command", &AccessLocations::access2007},
};

constexpr long kRuntimeVersion = 2003;
constexpr const char* kInstallerUserData =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData";
constexpr const char* kInstallerComponents =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Components";
constexpr const char* kRuntimeComponent = "8F287D2F41B64AF4F8AB65C5DD9B2B8A";
constexpr const char* kRuntimeProduct = "9040C10900063D11C8EF10054038389C";

// The location recorded in one component key: the run-time product's value, else the key's
// first value when it is a string. Empty when neither gives a text.
std::string LocationInComponentKey(Registry& registry, const std::string& key) {
    std::string location;
    if (ReadStringValue(registry, RootKey::LocalMachine, key, kRuntimeProduct, location) ==
            kSuccess &&
        !location.empty())
        return location;
    std::string name;
    RegistryValue first;
    if (ReadFirstMachineValue(registry, key, name, first, kFirstValueDataSize) == kSuccess &&
        first.type == kRegSz)
        return first.bytes.substr(0, first.bytes.find('\0'));
    return std::string();
}

}  // namespace

void GetFullAccessLocations(Registry& registry, LogService& log, AccessLocations& locations) {
    if (log.loggingEnabled()) log.Line("Start of GetFullAccessLocations");
    for (const FullVersion& version : kFullVersions) {
        std::string command;
        if (ReadStringValue(registry, RootKey::ClassesRoot, version.commandKey, "", command) !=
                kSuccess ||
            command.empty())
            continue;
        std::string& folder = locations.*version.folder;
        folder = CommandToProgramFolder(command);
        if (log.loggingEnabled())
            log.Line("Access " + VersionText(version.year) + " Full found: " + folder);
    }
}

std::string CommandToProgramFolder(std::string_view command) {
    std::string upper = UpperAscii(command);
    std::size_t at = upper.find("\\MSACCESS.EXE");
    if (at == std::string::npos) return upper;
    upper.erase(at);
    if (!upper.empty() && upper.front() == '"') upper.erase(0, 1);
    return upper;
}

std::string GetAccessRuntimeLocation(Registry& registry, LogService& log) {
    if (log.loggingEnabled())
        log.Line("Beginning of GetAccessRuntimeLocation for Access " +
                 VersionText(kRuntimeVersion));
    std::vector<std::string> users =
        ListSubkeys(registry, RootKey::LocalMachine, kInstallerUserData);

    // The machine-wide registration first, then each user's in enumeration order.
    std::vector<std::string> candidates;
    candidates.push_back(std::string(kInstallerComponents) + "\\" + kRuntimeComponent);
    for (const std::string& user : users)
        candidates.push_back(std::string(kInstallerUserData) + "\\" + user + "\\Components\\" +
                             kRuntimeComponent);

    std::string location;
    for (const std::string& candidate : candidates) {
        location = LocationInComponentKey(registry, candidate);
        if (!location.empty()) break;
    }
    // The Installer writes the drive's colon as a question mark.
    for (char& c : location)
        if (c == '?') c = ':';

    if (log.loggingEnabled()) {
        log.Line("End of GetAccessRuntimeLocation for Access " + VersionText(kRuntimeVersion));
        log.Line(location.empty() ? std::string("\t\tRuntime location not found!")
                                  : "\t\tRuntime location: " + location);
    }
    return location;
}

std::string ProgramFolderOf(std::string_view path) {
    std::size_t at = path.rfind('\\');
    if (at == std::string_view::npos) return std::string();
    return std::string(path.substr(0, at));
}

std::string VersionText(long number) { return std::to_string(number); }

}  // namespace lanvik
