// System queries of the registry layer: the Windows version, a shell folder, whether a file or a
// folder exists, the temporary folder. Win32System asks the running system; MemorySystem plays
// any version of Windows and any set of files for native tests.
#pragma once

#include <cstdint>
#include <string>

#include "registry/registry.h"

namespace lanvik {

// The Windows version as GetVersionExA gives it.
struct OsVersion {
    std::uint32_t platformId = 0;  // 1 = Windows 95/98/Me, 2 = the NT family
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

inline constexpr std::uint32_t kPlatformWin9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
inline constexpr std::uint32_t kPlatformNt = 2;     // VER_PLATFORM_WIN32_NT

inline constexpr OsVersion kWindows98{kPlatformWin9x, 4, 10};
inline constexpr OsVersion kWindowsNt4{kPlatformNt, 4, 0};
inline constexpr OsVersion kWindows2000{kPlatformNt, 5, 0};
inline constexpr OsVersion kWindowsXp{kPlatformNt, 5, 1};
inline constexpr OsVersion kWindowsVista{kPlatformNt, 6, 0};
inline constexpr OsVersion kWindows7{kPlatformNt, 6, 1};

struct OsVersionFlags {
    bool majorIs4 = false;       // Windows 95, 98, Me and NT 4
    bool majorAtLeast6 = false;  // Windows Vista and later
    bool platformIs9x = false;   // Windows 95, 98 and Me
};

// The folder identifier of the common program files folder (CSIDL_PROGRAM_FILES_COMMON).
inline constexpr int kCommonProgramFilesFolder = 43;
// Characters of the common-files buffer, NUL included (MAX_PATH).
inline constexpr std::size_t kCommonFilesBufferSize = 260;

class System {
  public:
    virtual ~System() = default;

    // GetVersionExA; false when the query fails (version untouched).
    virtual bool QueryOsVersion(OsVersion& version) = 0;
    // SHGetFolderPathA looked up in shell32.dll at run time, with no window, no token and flags
    // 0, into a buffer of 260 characters that starts out holding folder; its result is ignored
    // and folder gets whatever the buffer then holds. False, with folder untouched, when the
    // library or the entry point is missing.
    virtual bool ShellFolderPath(int folderId, std::string& folder) = 0;
    // Whether the path can be opened as an existing file (read sharing).
    virtual bool FileExists(const std::string& path) = 0;
    // Whether the path can be opened as an existing folder (backup semantics, which opens an
    // existing file too).
    virtual bool FolderExists(const std::string& path) = 0;
    // GetTempPathA: the temporary folder, ending in a backslash; empty when the system has none.
    virtual std::string TempFolder() = 0;
};

OsVersionFlags FlagsOf(const OsVersion& version);

// The flags of the running system, read anew at every call; all clear when the query fails.
OsVersionFlags GetOsVersionFlags(System& system);

// Platform identifier, major and minor version; the outputs are untouched when the query fails.
void GetOsVersion(System& system, std::uint32_t& platformId, std::uint32_t& major,
                  std::uint32_t& minor);

// The shell's folder for folderId; only when the shell cannot be asked, the value
// "CommonFilesDir" of HKLM "Software\Microsoft\Windows\CurrentVersion" when it fits in 260
// characters with its NUL. Otherwise folder is left as the caller set it.
void GetCommonFilesFolder(System& system, Registry& registry, int folderId, std::string& folder);

bool FileExists(System& system, const std::string& path);
bool FolderExists(System& system, const std::string& path);
std::string GetTempFolder(System& system);

}  // namespace lanvik
