// The four builds of the reader component, really registered and driven under Wine: what their
// type libraries hold, their version resources, what registration writes and removes, and what a
// VBScript client and an early-bound client see.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace {

struct Build {
    std::string name;     // the deliverable, also the internal name
    std::string library;  // the type library's name
    std::string libraryId;
    std::string classId;
    std::string interfaceId;
    std::string fileVersion;
    std::string productName;
    bool portaIs16Bit;
    std::vector<std::string> pendingMembers;  // present, not available yet
    std::string absentMember;                 // a member of another build, missing in this one
};

const std::vector<Build>& Builds() {
    static const std::vector<Build> builds = {
        {"Murello11500",
         "Murello11500",
         "{67CD4FA9-8DCD-4B87-B02F-395A5182DD7F}",
         "{99351D27-F045-42A8-B7BA-AC01381453F3}",
         "{F050A4AB-4FB2-423B-BB2C-8BD14E9BCB23}",
         "1.0.0.20",
         "Murello11401",
         false,
         {},
         "Scarica6"},
        {"Murello113",
         "Murello113",
         "{8CADFA3A-9B75-4EF1-8E06-ABC9E3AE0E5B}",
         "{9C7449B7-5EDB-4AAF-99E1-EC263B53E1BF}",
         "{8124F009-2B32-4AFB-BCB0-ACAE703CF43A}",
         "1.0.0.7",
         "Murello113",
         false,
         {},
         "Scarica_RimesseOF"},
        {"Murello111",
         "ZaradEdadod111",
         "{D69CEDEE-A48C-4A53-91C4-E156048ADAD8}",
         "{F07E557E-F941-4146-9878-047718EFDB25}",
         "{C7A4EBC6-82C9-4912-90CE-E1B6E379C482}",
         "3.1.0.5",
         "Murello1900",
         true,
         {},
         "Scarica2"},
        {"Murello110",
         "ZaradEdadod110",
         "{CA3D07EF-EE29-43A9-8636-18CDBC313FDB}",
         "{AC4A829F-9BE6-43EC-BD72-B45779C8EBA3}",
         "{726C7A59-A40C-499D-B57E-D268DBC7544C}",
         "3.1.0.4",
         "Murello1900",
         true,
         {},
         "Scarica3"},
    };
    return builds;
}

const char kInstallFolder[] = "C:\\Programmi\\Murello";

std::string ProgId(const Build& build) { return build.library + ".Murello"; }

std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

std::string ComponentDump(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {e2e::TestingBinary("component_dump.exe").string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    e2e::ProcessResult result = e2e::RunWine(command);
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_code, 0) << result.out << result.err;
    return WithoutCarriageReturns(result.out);
}

// Installs the build's DLL into the prefix as a user would and returns its Windows path.
std::string Install(const Build& build) {
    return e2e::CopyIntoPrefix(e2e::Win64Binary(build.name + ".dll"), kInstallFolder);
}

void RunRegsvr32(const std::string& dll, bool unregister) {
    const e2e::ProcessResult result = e2e::Regsvr32(dll, unregister);
    ASSERT_FALSE(result.timed_out);
    ASSERT_EQ(result.exit_code, 0)
        << (unregister ? "unregistration of " : "registration of ") << dll << ": " << result.err;
}

// Registers the build for the length of one test.
class Registered {
  public:
    explicit Registered(const Build& build) : dll_(Install(build)) { RunRegsvr32(dll_, false); }
    ~Registered() { RunRegsvr32(dll_, true); }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

  private:
    std::string dll_;
};

TEST(ReaderComponent, TypeLibraryOfEachBuildHoldsItsInterface) {
    for (const Build& build : Builds()) {
        SCOPED_TRACE(build.name);
        const std::string expected = e2e::ReadFile(std::filesystem::path(READER_COM_EXPECTED_DIR) /
                                                   (build.name + ".typelib.txt"));
        EXPECT_EQ(
            ComponentDump({"typelib", e2e::WindowsPath(e2e::Win64Binary(build.name + ".dll"))}),
            expected);

        // The shipping 32-bit build carries the same library, written for 32-bit Windows.
        const std::filesystem::path win32 = e2e::Win32BinDir() / (build.name + ".dll");
        if (!std::filesystem::exists(win32)) continue;
        std::string expected32 = expected;
        expected32.replace(expected32.find("syskind win64"), 13, "syskind win32");
        EXPECT_EQ(ComponentDump({"typelib", e2e::WindowsPath(win32)}), expected32);
    }
}

TEST(ReaderComponent, VersionResourceOfEachBuildNamesIt) {
    for (const Build& build : Builds()) {
        SCOPED_TRACE(build.name);
        const std::string expected = "FILEVERSION " + build.fileVersion +
                                     "\nFILETYPE dll\nTranslation 0x0409 1200\nFileVersion \"" +
                                     build.fileVersion + "\"\nProductName \"" + build.productName +
                                     "\"\nProductVersion \"" + build.fileVersion +
                                     "\"\nInternalName \"" + build.name +
                                     "\"\nOriginalFilename \"" + build.name + ".dll\"\n";
        EXPECT_EQ(
            ComponentDump({"version", e2e::WindowsPath(e2e::Win64Binary(build.name + ".dll"))}),
            expected);
    }
}

// Registry key names ignore case ("Typelib" of the prefix is "TypeLib"): compare them in capitals.
e2e::RegTree WithCapitalKeys(const e2e::RegTree& tree) {
    e2e::RegTree out;
    for (const auto& [key, values] : tree) {
        std::string upper = key;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        out[upper] = values;
    }
    return out;
}

// Keys that are new or whose values changed from before to after.
e2e::RegTree Changes(const e2e::RegTree& beforeTree, const e2e::RegTree& afterTree) {
    const e2e::RegTree before = WithCapitalKeys(beforeTree), after = WithCapitalKeys(afterTree);
    e2e::RegTree changes;
    for (const auto& [key, values] : after) {
        auto old = before.find(key);
        if (old == before.end() || old->second != values) changes[key] = values;
    }
    for (const auto& [key, values] : before)
        if (!after.contains(key)) changes["REMOVED " + key] = values;
    return changes;
}

e2e::RegTree ExpectedRegistration(const Build& build) {
    using e2e::RegValue;
    const std::string dll = std::string(kInstallFolder) + "\\" + build.name + ".dll";
    const std::string progId = ProgId(build);
    const std::string classKey = "CLSID\\" + build.classId;
    const std::string libraryKey = "TypeLib\\" + build.libraryId;
    const std::string interfaceKey = "Interface\\" + build.interfaceId;
    const RegValue automationProxy = RegValue::String("{00020424-0000-0000-C000-000000000046}");
    e2e::RegTree expected = {
        {progId, {{"", RegValue::String(progId)}}},
        {progId + "\\Clsid", {{"", RegValue::String(build.classId)}}},
        {classKey, {{"", RegValue::String(progId)}}},
        {classKey + "\\InprocServer32",
         {{"", RegValue::String(dll)}, {"ThreadingModel", RegValue::String("Apartment")}}},
        {classKey + "\\ProgID", {{"", RegValue::String(progId)}}},
        {classKey + "\\TypeLib", {{"", RegValue::String(build.libraryId)}}},
        {classKey + "\\VERSION", {{"", RegValue::String("1.0")}}},
        {libraryKey, {}},
        {libraryKey + "\\1.0", {{"", RegValue::String(build.library)}}},
        {libraryKey + "\\1.0\\409", {}},
        {libraryKey + "\\1.0\\409\\win64", {{"", RegValue::String(dll)}}},
        {libraryKey + "\\1.0\\FLAGS", {{"", RegValue::String("8")}}},
        {libraryKey + "\\1.0\\HELPDIR", {{"", RegValue::String(kInstallFolder)}}},
        {interfaceKey, {{"", RegValue::String("_Murello")}}},
        {interfaceKey + "\\ProxyStubClsid", {{"", automationProxy}}},
        {interfaceKey + "\\ProxyStubClsid32", {{"", automationProxy}}},
        {interfaceKey + "\\TypeLib",
         {{"", RegValue::String(build.libraryId)}, {"Version", RegValue::String("1.0")}}},
    };
    // The system's type-library registration writes the same library and interface keys into the
    // 32-bit view as well.
    e2e::RegTree shared;
    for (const auto& [key, values] : expected)
        if (key.starts_with("TypeLib\\") || key.starts_with("Interface\\"))
            shared["Wow6432Node\\" + key] = values;
    expected.merge(shared);
    return WithCapitalKeys(expected);
}

TEST(ReaderComponent, RegistrationWritesExactlyItsKeysAndUnregistrationRemovesThem) {
    const char classes[] = "HKEY_LOCAL_MACHINE\\Software\\Classes";
    for (const Build& build : Builds()) {
        SCOPED_TRACE(build.name);
        const std::string dll = Install(build);
        const e2e::RegTree before = e2e::RegReadTree(classes).value();

        RunRegsvr32(dll, false);
        const e2e::RegTree registered = e2e::RegReadTree(classes).value();
        EXPECT_EQ(Changes(before, registered), ExpectedRegistration(build));

        RunRegsvr32(dll, true);
        const e2e::RegTree unregistered = e2e::RegReadTree(classes).value();
        EXPECT_EQ(Changes(before, unregistered), e2e::RegTree{});
    }
}

// A VBScript client (late binding): creates the object by its ProgID, reads the start values,
// sets and reads back the properties, and calls the members that are not available yet.
std::string Script(const Build& build) {
    const bool hasIdUt = build.name == "Murello11500";
    std::string s = "Set m = CreateObject(\"" + ProgId(build) + "\")\r\n";
    auto echoProperties = [&] {
        s += "WScript.Echo \"Porta \" & TypeName(m.Porta) & \" \" & m.Porta\r\n";
        s += "WScript.Echo \"DbPath \" & TypeName(m.DbPath) & \" [\" & m.DbPath & \"]\"\r\n";
        if (hasIdUt) s += "WScript.Echo \"IdUt \" & TypeName(m.IdUt) & \" \" & m.IdUt\r\n";
    };
    echoProperties();
    s += "m.Porta = 3\r\nm.DbPath = \"C:\\Dati\\Magazzino.mdb\"\r\n";
    if (hasIdUt) s += "m.IdUt = -12\r\n";
    echoProperties();
    s += "On Error Resume Next\r\n";
    // A port number beyond 16 bits fits Scarica_COM but not a 16-bit Porta.
    s += "m.Porta = 40000\r\nWScript.Echo \"Porta 40000: \" & Err.Number & \" \" & "
         "m.Porta\r\nErr.Clear\r\n";
    for (const std::string& member : build.pendingMembers)
        s += "r = m." + member + "\r\nWScript.Echo \"" + member +
             ": \" & Err.Number & \" \" & Err.Description & \" (\" & Err.Source & "
             "\")\"\r\nErr.Clear\r\n";
    if (build.name == "Murello11500" || build.name == "Murello113")
        s += "m.Scarica2 \"C:\\Dati\\a.mdb\", \"C:\\Dati\\b.txt\"\r\n"
             "WScript.Echo \"Scarica2: \" & Err.Number & \" \" & Err.Description\r\nErr.Clear\r\n";
    s += "r = m." + build.absentMember + "\r\nWScript.Echo \"" + build.absentMember +
         ": \" & Err.Number & \" \" & Err.Description\r\n";
    return s;
}

std::string ExpectedScriptOutput(const Build& build) {
    const bool hasIdUt = build.name == "Murello11500";
    const std::string portaType = build.portaIs16Bit ? "Integer" : "Long";
    std::string out = "Porta " + portaType + " 0\nDbPath String []\n";
    if (hasIdUt) out += "IdUt Integer 0\n";
    out += "Porta " + portaType + " 3\nDbPath String [C:\\Dati\\Magazzino.mdb]\n";
    if (hasIdUt) out += "IdUt Integer -12\n";
    out += build.portaIs16Bit ? "Porta 40000: 6 3\n" : "Porta 40000: 0 40000\n";
    for (const std::string& member : build.pendingMembers)
        out += member + ": 445 Object doesn't support this action: " + member +
               " is not available yet (" + ProgId(build) + ")\n";
    // No reader program lies beside the installed component: it cannot be started.
    if (build.name == "Murello11500" || build.name == "Murello113")
        out += "Scarica2: 53 File not found\n";
    out += build.absentMember + ": 438 Object doesn't support this property or method\n";
    return out;
}

TEST(ReaderComponent, VbscriptSetsPropertiesAndSeesAutomationErrors) {
    const e2e::Folder temp = e2e::TempFolder();
    for (const Build& build : Builds()) {
        SCOPED_TRACE(build.name);
        Registered registered(build);
        e2e::WriteFile(temp.unix / "murello.vbs", Script(build));
        e2e::ProcessResult result =
            e2e::RunWine({"cscript", "//nologo", temp.windows + "\\murello.vbs"});
        ASSERT_FALSE(result.timed_out);
        EXPECT_EQ(WithoutCarriageReturns(result.out), ExpectedScriptOutput(build)) << result.err;
    }
}

// The pen-only builds raise Scarica1's errors to the caller (no trap): without the link library
// beside the component the call fails with the host's 53.
TEST(ReaderComponent, EarlyBoundCallGetsTheErrorThroughErrorInfo) {
    for (std::size_t index : {2u, 3u}) {
        const Build& build = Builds()[index];
        SCOPED_TRACE(build.name);
        Registered registered(build);
        EXPECT_EQ(ComponentDump({"call", ProgId(build), "Scarica1"}),
                  "hr 0x800A0035 supportserrorinfo yes\n"
                  "description \"File not found: IrLib.dll\"\nsource \"" +
                      ProgId(build) + "\"\nguid " + build.interfaceId + "\n");
    }
}

TEST(ReaderComponent, ServerStaysLoadedWhileObjectsOrLocksRemain) {
    for (const Build& build : Builds()) {
        SCOPED_TRACE(build.name);
        EXPECT_EQ(
            ComponentDump({"lifetime", e2e::WindowsPath(e2e::Win64Binary(build.name + ".dll"))}),
            "loaded S_OK\n"
            "DllGetClassObject 0x00000000\n"
            "two objects S_FALSE\n"
            "one object S_FALSE\n"
            "no object S_OK\n"
            "locked S_FALSE\n"
            "unlocked S_OK\n"
            "other class 0x80040111\n");
    }
}

// What objdump -p says the DLL imports and exports.
struct PeTables {
    std::string format;
    std::vector<std::string> imports;
    std::vector<std::string> exports;
};

PeTables ReadPeTables(const std::filesystem::path& dll) {
    e2e::ProcessResult result = e2e::RunProcess({"x86_64-w64-mingw32-objdump", "-p", dll.string()});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    PeTables tables;
    std::istringstream lines(result.out);
    bool inExportNames = false;
    for (std::string line; std::getline(lines, line);) {
        if (auto at = line.find("file format "); at != std::string::npos)
            tables.format = line.substr(at + 12);
        if (auto at = line.find("DLL Name: "); at != std::string::npos)
            tables.imports.push_back(line.substr(at + 10));
        if (line.find("[Ordinal/Name Pointer] Table") != std::string::npos) {
            inExportNames = true;
            continue;
        }
        if (inExportNames) {
            auto close = line.find("] ");
            if (line.empty() || close == std::string::npos) {
                inExportNames = false;
                continue;
            }
            tables.exports.push_back(line.substr(close + 2));
        }
    }
    return tables;
}

TEST(ReaderComponent, EachDllImportsOnlySystemLibrariesAndExportsTheServerEntryPoints) {
    // SHELL32: the program runner shared with the launcher, which starts its helpers through the
    // shell, is linked whole into the component that starts the reader program.
    const std::vector<std::string> systemLibraries = {"ADVAPI32.dll", "KERNEL32.dll", "msvcrt.dll",
                                                      "ole32.dll",    "OLEAUT32.dll", "SHELL32.dll",
                                                      "USER32.dll"};
    const std::vector<std::string> entryPoints = {"DllCanUnloadNow", "DllGetClassObject",
                                                  "DllRegisterServer", "DllUnregisterServer"};
    struct Folder {
        std::filesystem::path path;
        const char* format;
    };
    const Folder folders[] = {{e2e::Win64BinDir(), "pei-x86-64"}, {e2e::Win32BinDir(), "pei-i386"}};
    for (const Folder& folder : folders) {
        for (const Build& build : Builds()) {
            const std::filesystem::path dll = folder.path / (build.name + ".dll");
            SCOPED_TRACE(dll.string());
            if (folder.format == std::string("pei-i386") && !std::filesystem::exists(dll)) continue;
            const PeTables tables = ReadPeTables(dll);
            EXPECT_EQ(tables.format, folder.format);
            EXPECT_EQ(tables.exports, entryPoints);
            for (const std::string& import : tables.imports)
                EXPECT_NE(std::find(systemLibraries.begin(), systemLibraries.end(), import),
                          systemLibraries.end())
                    << import;
        }
    }
}

}  // namespace
