// The test run's Wine environment, the binaries under test and paths inside the prefix.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "e2e/harness.h"

namespace e2e {
namespace fs = std::filesystem;

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

WineEnvironment LoadEnvironment() {
    const fs::path dir = KIT_E2E_WINE_DIR;
    const fs::path state = dir / "state.env";
    std::ifstream in(state);
    if (!in)
        throw std::runtime_error(
            "the Wine environment is not running (no " + state.string() +
            "): run the end-to-end tests through ctest (fixture e2e.wine_up), or start it with "
            "tests/e2e/harness/wine_env.sh up " +
            dir.string());
    std::map<std::string, std::string> values;
    std::string line;
    while (std::getline(in, line)) {
        auto eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    WineEnvironment env;
    env.prefix = dir / "prefix";
    env.home = dir / "home";
    env.display = values["KIT_DISPLAY"];
    env.user = values["KIT_WINE_USER"];
    env.wine64 = KIT_WINE64;
    if (env.display.empty() || env.user.empty())
        throw std::runtime_error("the Wine environment state " + state.string() + " is incomplete");
    return env;
}

}  // namespace

const WineEnvironment& Wine() {
    static const WineEnvironment env = LoadEnvironment();
    return env;
}

std::vector<std::string> WineVariables() {
    const WineEnvironment& env = Wine();
    // One locale for every run (Wine's en-US, whose "," groups digits): the stand-in DAO engine
    // reads a number in a text by the user's locale, as the real engine does.
    return {"WINEPREFIX=" + env.prefix.string(),
            "DISPLAY=" + env.display,
            "HOME=" + env.home.string(),
            "WINEDEBUG=-all",
            "LC_ALL=C.UTF-8",
            "WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d"};
}

ProcessResult RunWine(const std::vector<std::string>& args, const ProcessOptions& options) {
    std::vector<std::string> argv{Wine().wine64.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    ProcessOptions with_env = options;
    // The caller's entries replace the environment's own of the same name (WINEDEBUG, say).
    auto name_of = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    with_env.env.clear();
    for (const std::string& entry : WineVariables()) {
        bool replaced = false;
        for (const auto& own : options.env) replaced = replaced || name_of(own) == name_of(entry);
        if (!replaced) with_env.env.push_back(entry);
    }
    with_env.env.insert(with_env.env.end(), options.env.begin(), options.env.end());
    return RunProcess(argv, with_env);
}

ProcessResult Regsvr32(const std::string& dll, bool unregister) {
    std::vector<std::string> command = {"regsvr32", "/s"};
    if (unregister) command.push_back("/u");
    command.push_back(dll);
    ProcessResult result = RunWine(command);
    // Under Wine a registration now and then fails once for no reason of the DLL's (Wine did not
    // start regsvr32, or could not load a DLL another test had just copied); a real failure
    // fails again.
    if (!result.timed_out && result.exit_code != 0) {
        std::fprintf(stderr, "regsvr32 %s: wine ended with %d (%s), trying once more\n",
                     dll.c_str(), result.exit_code, result.err.c_str());
        result = RunWine(command);
    }
    return result;
}

fs::path Win64BinDir() { return KIT_WIN64_BIN_DIR; }
fs::path TestingBinDir() { return Win64BinDir() / "testing"; }
fs::path Win32BinDir() { return KIT_WIN32_BIN_DIR; }

namespace {
fs::path Existing(const fs::path& file) {
    if (!fs::is_regular_file(file))
        throw std::runtime_error("missing binary " + file.string() +
                                 ": build the win64 preset first (cmake --preset win64 && "
                                 "cmake --build --preset win64)");
    return file;
}
}  // namespace

fs::path Win64Binary(std::string_view file_name) { return Existing(Win64BinDir() / file_name); }
fs::path TestingBinary(std::string_view file_name) { return Existing(TestingBinDir() / file_name); }

fs::path UnixPath(std::string_view windows_path) {
    std::string path(windows_path);
    if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0])))
        throw std::runtime_error("not an absolute Windows path: " + path);
    fs::path drive = Wine().prefix / "dosdevices" / (Lower(path.substr(0, 1)) + ":");
    std::error_code ec;
    fs::path current = fs::canonical(drive, ec);
    if (ec) throw std::runtime_error("drive not mapped in the prefix: " + path.substr(0, 2));
    std::string rest = path.substr(2);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    std::stringstream parts(rest);
    std::string part;
    while (std::getline(parts, part, '/')) {
        if (part.empty() || part == ".") continue;
        fs::path exact = current / part;
        if (!fs::exists(exact, ec) && fs::is_directory(current, ec)) {
            for (const auto& entry : fs::directory_iterator(current, ec)) {
                if (Lower(entry.path().filename().string()) == Lower(part)) {
                    exact = entry.path();
                    break;
                }
            }
        }
        current = exact;
    }
    return current;
}

std::string WindowsPath(const fs::path& unix_path) {
    fs::path absolute = fs::weakly_canonical(fs::absolute(unix_path));
    fs::path drive_c = fs::weakly_canonical(Wine().prefix / "drive_c");
    std::string text = absolute.string(), root = drive_c.string();
    std::string windows;
    if (text == root || text.rfind(root + "/", 0) == 0) {
        windows = "C:" + text.substr(root.size());
        if (windows == "C:") windows = "C:/";
    } else {
        windows = "Z:" + text;
    }
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
}

Folder DesktopFolder() {
    std::string windows = "C:\\users\\" + Wine().user + "\\Desktop";
    return {windows, UnixPath(windows)};
}

Folder TempFolder() {
    std::string windows = "C:\\users\\" + Wine().user + "\\Temp";
    return {windows, UnixPath(windows)};
}

std::string CopyIntoPrefix(const fs::path& file, std::string_view windows_folder) {
    if (!fs::is_regular_file(file))
        throw std::runtime_error("cannot copy missing " + file.string());
    fs::path folder = UnixPath(windows_folder);
    fs::create_directories(folder);
    // A fresh file renamed into place: a program of an earlier test that still maps the old copy
    // never sees its bytes change under it.
    const fs::path staged = folder / (file.filename().string() + ".copying");
    fs::copy_file(file, staged, fs::copy_options::overwrite_existing);
    fs::rename(staged, folder / file.filename());
    std::string windows(windows_folder);
    if (!windows.empty() && windows.back() != '\\') windows += '\\';
    return windows + file.filename().string();
}

void LinkComPort(int number, const fs::path& device) {
    fs::path link = Wine().prefix / "dosdevices" / ("com" + std::to_string(number));
    std::error_code ec;
    fs::remove(link, ec);
    fs::create_symlink(device, link);
}

void UnlinkComPort(int number) {
    std::error_code ec;
    fs::remove(Wine().prefix / "dosdevices" / ("com" + std::to_string(number)), ec);
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace e2e
