#include <gtest/gtest.h>

#include <string>

#include "registry/memory_registry.h"
#include "registry/memory_system.h"
#include "registry/system.h"

namespace lanvik {
namespace {

TEST(OsVersionFlags, FollowTheVersionOfEachSystem) {
    struct Case {
        const char* name;
        OsVersion version;
        bool majorIs4, majorAtLeast6, platformIs9x;
    };
    const Case cases[] = {
        {"98", kWindows98, true, false, true},
        {"NT 4", kWindowsNt4, true, false, false},
        {"2000", kWindows2000, false, false, false},
        {"XP", kWindowsXp, false, false, false},
        {"Vista", kWindowsVista, false, true, false},
        {"7", kWindows7, false, true, false},
        {"10", OsVersion{kPlatformNt, 10, 0}, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySystem system;
        system.version = c.version;
        OsVersionFlags flags = GetOsVersionFlags(system);
        EXPECT_EQ(c.majorIs4, flags.majorIs4);
        EXPECT_EQ(c.majorAtLeast6, flags.majorAtLeast6);
        EXPECT_EQ(c.platformIs9x, flags.platformIs9x);
    }
}

TEST(OsVersion, AFailedQueryLeavesTheOutputsAlone) {
    MemorySystem system;
    system.version.reset();
    std::uint32_t platform = 7, major = 8, minor = 9;
    GetOsVersion(system, platform, major, minor);
    EXPECT_EQ(7u, platform);
    EXPECT_EQ(8u, major);
    EXPECT_EQ(9u, minor);
    OsVersionFlags flags = GetOsVersionFlags(system);
    EXPECT_FALSE(flags.majorIs4 || flags.majorAtLeast6 || flags.platformIs9x);

    system.version = kWindowsXp;
    GetOsVersion(system, platform, major, minor);
    EXPECT_EQ(2u, platform);
    EXPECT_EQ(5u, major);
    EXPECT_EQ(1u, minor);
}

TEST(CommonFilesFolder, ComesFromTheShellElseFromTheRegistryWhenItFits) {
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion";
    struct Case {
        const char* name;
        bool shell;
        std::string stored;  // "" = no value
        std::string folder;
    };
    const std::string longest = "C:\\" + std::string(256, 'f');  // 259 characters
    const Case cases[] = {
        {"shell", true, "D:\\Ignored", "C:\\Program Files\\Common Files"},
        {"registry", false, "D:\\Common", "D:\\Common"},
        {"longest that fits", false, longest, longest},
        {"too long", false, longest + "g", "(caller's)"},
        {"nothing", false, "", "(caller's)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySystem system;
        MemoryRegistry registry;
        if (!c.shell) system.commonFilesFolder.reset();
        if (!c.stored.empty())
            registry.PutString(RootKey::LocalMachine, key, "CommonFilesDir", c.stored);
        std::string folder = "(caller's)";
        GetCommonFilesFolder(system, registry, kCommonProgramFilesFolder, folder);
        EXPECT_EQ(c.folder, folder);
    }
}

TEST(MemorySystem, AnswersLikeTheWindowsSystem) {
    MemorySystem system;
    system.AddFolder("C:\\Data");
    system.AddFile("C:\\Data\\present.txt");
    EXPECT_TRUE(FileExists(system, "C:\\Data\\present.txt"));
    EXPECT_TRUE(FileExists(system, "c:\\DATA\\PRESENT.TXT"));
    EXPECT_FALSE(FileExists(system, "C:\\Data"));
    EXPECT_FALSE(FileExists(system, "C:\\Data\\absent.txt"));
    EXPECT_TRUE(FolderExists(system, "C:\\Data"));
    EXPECT_TRUE(FolderExists(system, "C:\\Data\\present.txt"));
    EXPECT_FALSE(FolderExists(system, "C:\\Data\\absent"));
    EXPECT_EQ('\\', GetTempFolder(system).back());
}

}  // namespace
}  // namespace lanvik
