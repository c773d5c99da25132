// The prefix's registry: writes by importing generated .reg files (exact bytes, one wine call
// for a whole tree), reads by parsing `regedit /E` exports (UTF-16).
#include <atomic>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>

#include "e2e/harness.h"

namespace e2e {
namespace {

constexpr std::chrono::milliseconds kRegTimeout{30000};

struct RootName {
    std::string_view short_name, long_name;
};
constexpr RootName kRoots[] = {
    {"HKCU", "HKEY_CURRENT_USER"}, {"HKLM", "HKEY_LOCAL_MACHINE"},  {"HKCR", "HKEY_CLASSES_ROOT"},
    {"HKU", "HKEY_USERS"},         {"HKCC", "HKEY_CURRENT_CONFIG"},
};

// "HKCU\x" -> "HKEY_CURRENT_USER\x"; no trailing backslash.
std::string LongKey(std::string_view key) {
    std::string k(key);
    while (!k.empty() && k.back() == '\\') k.pop_back();
    std::string head = k.substr(0, k.find('\\'));
    for (char& c : head) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const auto& root : kRoots) {
        if (head == root.short_name || head == root.long_name) {
            size_t slash = k.find('\\');
            return std::string(root.long_name) +
                   (slash == std::string::npos ? "" : k.substr(slash));
        }
    }
    throw std::runtime_error("not a registry key: " + k);
}

std::string HexList(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char two[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(two, sizeof two, "%02x", bytes[i]);
        out += (i ? "," : "");
        out += two;
    }
    return out;
}

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

std::string Utf16z(std::string_view text) { return Utf8ToUtf16Le(text) + std::string(2, '\0'); }

std::string QuotedName(std::string_view name) {
    if (name.empty()) return "@";
    std::string out = "\"";
    for (char c : name) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

// Every value as hex(type): no escaping rule of the importer can alter it.
std::string ValueLine(std::string_view name, const RegValue& value) {
    std::string data;
    switch (value.type) {
        case RegType::String:
            data = "hex(1):" + HexList(Bytes(Utf16z(value.text)));
            break;
        case RegType::ExpandString:
            data = "hex(2):" + HexList(Bytes(Utf16z(value.text)));
            break;
        case RegType::MultiString: {
            std::string all;
            for (const auto& s : value.strings) all += Utf16z(s);
            all += std::string(2, '\0');
            data = "hex(7):" + HexList(Bytes(all));
            break;
        }
        case RegType::Dword: {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(value.number));
            data = std::string("dword:") + hex;
            break;
        }
        case RegType::Qword: {
            std::vector<std::uint8_t> b;
            for (int i = 0; i < 8; ++i)
                b.push_back(static_cast<std::uint8_t>(value.number >> (8 * i)));
            data = "hex(b):" + HexList(b);
            break;
        }
        case RegType::Binary:
            data = "hex:" + HexList(value.bytes);
            break;
        case RegType::None:
            data = "hex(0):" + HexList(value.bytes);
            break;
        case RegType::Other: {
            char type[16];
            std::snprintf(type, sizeof type, "hex(%x):", value.raw_type);
            data = type + HexList(value.bytes);
            break;
        }
    }
    return QuotedName(name) + "=" + data + "\r\n";
}

std::filesystem::path ScratchFile(std::string_view stem) {
    static std::atomic<int> counter{0};
    std::filesystem::path dir = Wine().home / "reg";
    std::filesystem::create_directories(dir);
    return dir / (std::string(stem) + std::to_string(getpid()) + "_" + std::to_string(counter++) +
                  ".reg");
}

void ThrowUnlessOk(const ProcessResult& run, std::string_view what) {
    if (run.timed_out || run.exit_code != 0)
        throw std::runtime_error(std::string(what) + " failed (" +
                                 (run.timed_out ? "time-out" : std::to_string(run.exit_code)) +
                                 "): " + run.out + run.err);
}

// --- parsing of exports

std::uint8_t HexByte(std::string_view two) {
    return static_cast<std::uint8_t>(std::stoul(std::string(two), nullptr, 16));
}

std::vector<std::uint8_t> ParseHexList(std::string_view list) {
    std::vector<std::uint8_t> out;
    std::string digits;
    for (char c : list) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else if (c == ',') {
            if (!digits.empty()) out.push_back(HexByte(digits));
            digits.clear();
        }
    }
    if (!digits.empty()) out.push_back(HexByte(digits));
    return out;
}

std::string Utf16BytesToUtf8(const std::vector<std::uint8_t>& bytes) {
    std::string raw(bytes.begin(), bytes.end());
    return Utf16LeToUtf8(raw);
}

std::string StripNul(std::string s) {
    while (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

// Reads a quoted string at text[0] == '"'; returns its content, advances past the end quote.
std::string Unquote(std::string_view& text) {
    std::string out;
    size_t i = 1;
    for (; i < text.size() && text[i] != '"'; ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            char e = text[++i];
            out += e == 'n' ? '\n' : e == 'r' ? '\r' : e == '0' ? '\0' : e == 't' ? '\t' : e;
        } else {
            out += c;
        }
    }
    text.remove_prefix(i < text.size() ? i + 1 : text.size());
    return out;
}

RegValue ParseData(std::string_view data) {
    RegValue v;
    if (!data.empty() && data[0] == '"') {
        v.type = RegType::String;
        v.raw_type = 1;
        v.text = Unquote(data);
        return v;
    }
    if (data.rfind("dword:", 0) == 0) {
        v.type = RegType::Dword;
        v.raw_type = 4;
        v.number = std::stoul(std::string(data.substr(6)), nullptr, 16);
        return v;
    }
    unsigned type = 3;
    size_t colon = data.find(':');
    if (data.rfind("hex(", 0) == 0)
        type = static_cast<unsigned>(std::stoul(std::string(data.substr(4)), nullptr, 16));
    std::vector<std::uint8_t> bytes =
        ParseHexList(colon == std::string_view::npos ? "" : data.substr(colon + 1));
    v.raw_type = type;
    switch (type) {
        case 0:
            v.type = RegType::None;
            v.bytes = bytes;
            break;
        case 1:
            v.type = RegType::String;
            v.text = StripNul(Utf16BytesToUtf8(bytes));
            break;
        case 2:
            v.type = RegType::ExpandString;
            v.text = StripNul(Utf16BytesToUtf8(bytes));
            break;
        case 3:
            v.type = RegType::Binary;
            v.bytes = bytes;
            break;
        case 4:
            v.type = RegType::Dword;
            for (size_t i = 0; i < bytes.size() && i < 4; ++i)
                v.number |= std::uint64_t{bytes[i]} << (8 * i);
            break;
        case 7: {
            v.type = RegType::MultiString;
            std::string all = Utf16BytesToUtf8(bytes), current;
            for (char c : all) {
                if (c == '\0') {
                    if (current.empty()) break;
                    v.strings.push_back(current);
                    current.clear();
                } else {
                    current += c;
                }
            }
            if (!current.empty()) v.strings.push_back(current);
            break;
        }
        case 11:
            v.type = RegType::Qword;
            for (size_t i = 0; i < bytes.size() && i < 8; ++i)
                v.number |= std::uint64_t{bytes[i]} << (8 * i);
            break;
        default:
            v.type = RegType::Other;
            v.bytes = bytes;
            break;
    }
    return v;
}

}  // namespace

RegValue RegValue::String(std::string text) {
    RegValue v;
    v.type = RegType::String, v.raw_type = 1, v.text = std::move(text);
    return v;
}
RegValue RegValue::ExpandString(std::string text) {
    RegValue v;
    v.type = RegType::ExpandString, v.raw_type = 2, v.text = std::move(text);
    return v;
}
RegValue RegValue::MultiString(std::vector<std::string> strings) {
    RegValue v;
    v.type = RegType::MultiString, v.raw_type = 7, v.strings = std::move(strings);
    return v;
}
RegValue RegValue::Dword(std::uint32_t number) {
    RegValue v;
    v.type = RegType::Dword, v.raw_type = 4, v.number = number;
    return v;
}
RegValue RegValue::Qword(std::uint64_t number) {
    RegValue v;
    v.type = RegType::Qword, v.raw_type = 11, v.number = number;
    return v;
}
RegValue RegValue::Binary(std::vector<std::uint8_t> bytes) {
    RegValue v;
    v.type = RegType::Binary, v.raw_type = 3, v.bytes = std::move(bytes);
    return v;
}

std::ostream& operator<<(std::ostream& out, const RegValue& value) {
    switch (value.type) {
        case RegType::String:
            return out << "REG_SZ \"" << value.text << "\"";
        case RegType::ExpandString:
            return out << "REG_EXPAND_SZ \"" << value.text << "\"";
        case RegType::Dword:
            return out << "REG_DWORD " << value.number;
        case RegType::Qword:
            return out << "REG_QWORD " << value.number;
        case RegType::MultiString: {
            out << "REG_MULTI_SZ {";
            for (const auto& s : value.strings) out << " \"" << s << "\"";
            return out << " }";
        }
        default:
            return out << "type " << value.raw_type << " hex:" << HexList(value.bytes);
    }
}

namespace {

// Runs Wine's reg or regedit. Now and then Wine fails to start its own program at all
// ("ShellExecuteEx failed"): the program never ran then, and running it again is harmless.
ProcessResult RunRegProgram(const std::vector<std::string>& args) {
    ProcessOptions options;
    options.timeout = kRegTimeout;
    ProcessResult run = RunWine(args, options);
    if (!run.timed_out && run.exit_code != 0 &&
        run.err.find("ShellExecuteEx failed") != std::string::npos) {
        std::fprintf(stderr, "%s: wine did not start it (%s), trying once more\n",
                     args.front().c_str(), run.err.c_str());
        run = RunWine(args, options);
    }
    return run;
}

}  // namespace

void RegImport(std::string_view reg_file_text) {
    std::filesystem::path file = ScratchFile("import");
    WriteFile(file, "\xFF\xFE" + Utf8ToUtf16Le(reg_file_text));
    ProcessResult run = RunRegProgram({"reg", "import", WindowsPath(file)});
    std::filesystem::remove(file);
    ThrowUnlessOk(run, "reg import");
}

void RegWriteTree(std::string_view root, const RegTree& tree) {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    std::string base = LongKey(root);
    for (const auto& [key, values] : tree) {
        text += "[" + base + (key.empty() ? "" : "\\" + key) + "]\r\n";
        for (const auto& [name, value] : values) text += ValueLine(name, value);
        text += "\r\n";
    }
    RegImport(text);
}

void RegSet(std::string_view key, std::string_view name, const RegValue& value) {
    RegWriteTree(key, {{"", {{std::string(name), value}}}});
}

void RegSetString(std::string_view key, std::string_view name, std::string_view text) {
    RegSet(key, name, RegValue::String(std::string(text)));
}

void RegSetDword(std::string_view key, std::string_view name, std::uint32_t number) {
    RegSet(key, name, RegValue::Dword(number));
}

void RegDeleteValue(std::string_view key, std::string_view name) {
    RegImport("Windows Registry Editor Version 5.00\r\n\r\n[" + LongKey(key) + "]\r\n" +
              QuotedName(name) + "=-\r\n\r\n");
}

void RegDeleteKey(std::string_view key) {
    RegImport("Windows Registry Editor Version 5.00\r\n\r\n[-" + LongKey(key) + "]\r\n\r\n");
}

std::optional<RegTree> RegReadTree(std::string_view key) {
    std::string root = LongKey(key);
    std::filesystem::path file = ScratchFile("export");
    ProcessResult run = RunRegProgram({"regedit", "/E", WindowsPath(file), root});
    if (run.timed_out) throw std::runtime_error("regedit /E timed out for " + root);
    // regedit reports a missing key on stderr and writes no file.
    if (!std::filesystem::exists(file)) return std::nullopt;
    std::string text = Utf16LeToUtf8(ReadFile(file));
    std::filesystem::remove(file);
    return ParseRegExport(text, root);
}

std::optional<RegValue> RegQuery(std::string_view key, std::string_view name) {
    std::optional<RegTree> tree = RegReadTree(key);
    if (!tree) return std::nullopt;
    auto values = tree->find("");
    if (values == tree->end()) return std::nullopt;
    // Value names are not case-sensitive.
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    for (const auto& [n, value] : values->second)
        if (lower(n) == lower(std::string(name))) return value;
    return std::nullopt;
}

RegTree ParseRegExport(std::string_view text, std::string_view root) {
    RegTree tree;
    std::string base = LongKey(root);
    RegValues* current = nullptr;
    std::string logical;  // a value line with its continuation lines joined
    auto flush = [&] {
        if (logical.empty() || !current) {
            logical.clear();
            return;
        }
        std::string_view line = logical;
        std::string name;
        if (line[0] == '@') {
            line.remove_prefix(1);
        } else if (line[0] == '"') {
            name = Unquote(line);
        } else {
            logical.clear();
            return;
        }
        if (!line.empty() && line[0] == '=') line.remove_prefix(1);
        (*current)[name] = ParseData(line);
        logical.clear();
    };
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, end == std::string_view::npos ? text.size() - pos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!logical.empty()) {
            while (!line.empty() && (line[0] == ' ' || line[0] == '\t')) line.remove_prefix(1);
        }
        // Only hex lists are split over lines; a string value always ends with its quote.
        bool continues = !line.empty() && line.back() == '\\';
        if (logical.empty() && !line.empty() && line[0] == '[') {
            std::string key(line.substr(1, line.rfind(']') - 1));
            std::string relative;
            if (key.size() > base.size()) relative = key.substr(base.size() + 1);
            current = &tree[relative];
            continue;
        }
        if (continues) {
            line.remove_suffix(1);
            logical += line;
            continue;
        }
        logical += line;
        flush();
    }
    flush();
    return tree;
}

}  // namespace e2e
