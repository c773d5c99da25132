// The end-to-end harness: runs the kit's real x86_64 Windows binaries under wine64, in this test
// run's own prefix, X display and persistent wineserver. The CTest fixture "wine" starts them
// (tests/e2e/harness/wine_env.sh) and stops them; E2E programs are declared with kit_e2e_test()
// (cmake/kit_e2e.cmake), which requires that fixture and runs them one at a time.
//
// Every call is bounded by a time-out: a hung program is killed with its process group and
// reported as timed out, it never hangs the run. Faults of the harness itself (no running
// environment, a missing binary, a wine call that fails) throw std::runtime_error with a clear
// message, which fails the calling test.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// ---------------------------------------------------------------------------------------------
// Processes

struct ProcessOptions {
    std::chrono::milliseconds timeout{30000};
    std::vector<std::string> env;  // "NAME=value" entries added to (or replacing) the environment
    std::filesystem::path directory;  // working directory; empty: the caller's
};

struct ProcessResult {
    int exit_code = -1;      // the exit status; 128 + signal when killed by a signal
    bool timed_out = false;  // still running at the time-out: its process group was killed
    std::string out;         // everything written to stdout
    std::string err;         // everything written to stderr
};

// Runs a native program (argv[0] is looked up in PATH) with stdin from /dev/null, in a process
// group of its own. When the program has ended, whatever it left behind in its group is killed.
ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// ---------------------------------------------------------------------------------------------
// The Wine environment

struct WineEnvironment {
    std::filesystem::path prefix;  // WINEPREFIX
    std::filesystem::path home;    // HOME of every wine call (inside the build folder)
    std::string display;           // DISPLAY of the test run's Xvfb, e.g. ":3"
    std::string user;              // the Windows user name (folder under C:\users)
    std::filesystem::path wine64;  // the 64-bit loader
};

// The running environment; throws when the fixture has not started it.
const WineEnvironment& Wine();

// The environment entries of every wine call: WINEPREFIX, DISPLAY, HOME, WINEDEBUG=-all,
// WINEDLLOVERRIDES (no Mono, no Gecko, no menu builder).
std::vector<std::string> WineVariables();

// Runs `wine64 args...` (args[0]: a Unix path of an .exe or a Windows program name). Entries of
// options.env replace those of WineVariables() with the same name.
ProcessResult RunWine(const std::vector<std::string>& args, const ProcessOptions& options = {});

// `regsvr32 /s [/u] dll` (dll: a Windows path). regsvr32's own exit codes are 0 to 5; any other
// code means Wine did not get as far as running it (seen, rarely, as 127 right after another
// COM program ended), so that one case is tried once more.
ProcessResult Regsvr32(const std::string& dll, bool unregister = false);

// ---------------------------------------------------------------------------------------------
// Binaries

// KIT_WIN64_BIN_DIR (build/win64/bin) and its testing/ subfolder; build/win32/bin.
std::filesystem::path Win64BinDir();
std::filesystem::path TestingBinDir();
std::filesystem::path Win32BinDir();
// A file of KIT_WIN64_BIN_DIR / of its testing/ folder; throws when it has not been built.
std::filesystem::path Win64Binary(std::string_view file_name);
std::filesystem::path TestingBinary(std::string_view file_name);

// ---------------------------------------------------------------------------------------------
// Paths inside the prefix

// "C:\users\x\Desktop\a.txt" -> <prefix>/drive_c/users/x/Desktop/a.txt (any mapped drive;
// existing components are matched without regard to case, as Windows does).
std::filesystem::path UnixPath(std::string_view windows_path);
// The reverse: inside drive_c gives "C:\...", anywhere else "Z:\..." (Wine maps Z: to /).
std::string WindowsPath(const std::filesystem::path& unix_path);

struct Folder {
    std::string windows;         // e.g. "C:\users\root\Desktop"
    std::filesystem::path unix;  // the same folder seen from Linux
};
Folder DesktopFolder();
Folder TempFolder();

// Copies a file into a folder of the prefix (created if needed); returns the copy's Windows path.
std::string CopyIntoPrefix(const std::filesystem::path& file, std::string_view windows_folder);

// Makes COMn of the prefix lead to a device (a pseudo-terminal's path); Unlink removes it.
void LinkComPort(int number, const std::filesystem::path& device);
void UnlinkComPort(int number);

// ---------------------------------------------------------------------------------------------
// Scenarios: a program run with an exact command line, its message boxes answered

// Buttons are named OK, CANCEL, ABORT, RETRY, IGNORE, YES, NO, HELP, TRYAGAIN, CONTINUE.
struct Dialog {
    std::string title;  // exactly as shown (UTF-8)
    std::string text;   // the message (the Static control 0xFFFF)
    bool icon = false;  // the box shows an icon
    // Which one, told by its pixels on the screen (icon handles of another process cannot be
    // read under Wine): "exclamation", "information", "question", "error", "none", or
    // "unknown" for an icon that is none of the standard ones.
    std::string icon_kind;
    std::vector<std::string> buttons;  // visible buttons, in creation order
    std::uint32_t style = 0;           // window style bits
    std::uint32_t ex_style = 0;        // extended style bits (WS_EX_TOPMOST for system modal)
    std::string pressed;               // the button the driver pressed
    bool scripted = false;             // pressed as scripted (else closed: CANCEL, OK or NO)
    bool mismatch = false;             // the scripted button was not on the box
};

struct Scenario {
    std::string command_line;          // exactly what CreateProcessA gets, e.g. "C:\\kit\\x.exe -A"
    std::string directory;             // Windows working directory; empty: the driver's
    std::vector<std::string> answers;  // pressed in order, one per box
    std::chrono::milliseconds timeout{20000};  // then the program (and its job) is terminated
    std::vector<std::string> env;              // extra "NAME=value" for the program
};

struct ScenarioResult {
    std::vector<Dialog> dialogs;  // every box seen, in order
    int exit_code = -1;           // the program's exit code (valid unless timed_out)
    bool timed_out = false;
    std::string out;  // the program's stdout (and its children's), without the driver's lines
    std::string err;  // the program's stderr
};

// Runs the scenario through dialog_driver.exe. Throws when the driver cannot start the program.
ScenarioResult RunScenario(const Scenario& scenario);

// A command-line word for a Windows path: quoted when it holds blanks.
std::string QuoteIfNeeded(std::string_view word);

// ---------------------------------------------------------------------------------------------
// Registry of the prefix. Keys are written "HKCU\Software\x" or "HKEY_CURRENT_USER\Software\x";
// a value name "" is the key's default value. Writes go through `reg import` of a generated
// file, so every byte of a value arrives as given.

enum class RegType { None, String, ExpandString, Binary, Dword, MultiString, Qword, Other };

struct RegValue {
    RegType type = RegType::None;
    std::string text;                  // String, ExpandString (UTF-8, without the final NUL)
    std::vector<std::string> strings;  // MultiString
    std::uint64_t number = 0;          // Dword, Qword
    std::vector<std::uint8_t> bytes;   // Binary, None, Other (raw data)
    std::uint32_t raw_type = 0;        // the REG_* number

    static RegValue String(std::string text);
    static RegValue ExpandString(std::string text);
    static RegValue MultiString(std::vector<std::string> strings);
    static RegValue Dword(std::uint32_t number);
    static RegValue Qword(std::uint64_t number);
    static RegValue Binary(std::vector<std::uint8_t> bytes);
    bool operator==(const RegValue&) const = default;
};
std::ostream& operator<<(std::ostream& out, const RegValue& value);

using RegValues = std::map<std::string, RegValue>;  // value name -> value
using RegTree = std::map<std::string, RegValues>;   // key path below the root ("" = root) -> values

void RegSet(std::string_view key, std::string_view name, const RegValue& value);
void RegSetString(std::string_view key, std::string_view name, std::string_view text);
void RegSetDword(std::string_view key, std::string_view name, std::uint32_t number);
void RegDeleteValue(std::string_view key, std::string_view name);
void RegDeleteKey(std::string_view key);  // with its subkeys; absent keys are fine
// Sets a whole tree at once (one wine call): keys relative to root, created as needed.
void RegWriteTree(std::string_view root, const RegTree& tree);
// Imports the text of a .reg file ("Windows Registry Editor Version 5.00" or "REGEDIT4").
void RegImport(std::string_view reg_file_text);

std::optional<RegValue> RegQuery(std::string_view key, std::string_view name);
// The key and all its subkeys; nullopt when the key does not exist.
std::optional<RegTree> RegReadTree(std::string_view key);

// Parses the text of a .reg export (UTF-8); exposed for the harness's own tests.
RegTree ParseRegExport(std::string_view text, std::string_view root);

// ---------------------------------------------------------------------------------------------
// Small helpers

std::string ToHex(std::string_view bytes);
std::string ReadFile(const std::filesystem::path& file);  // throws when it cannot be read
void WriteFile(const std::filesystem::path& file, std::string_view bytes);
std::string Utf16LeToUtf8(std::string_view bytes);  // a leading BOM is dropped
std::string Utf8ToUtf16Le(std::string_view text);

}  // namespace e2e
