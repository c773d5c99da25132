// Scenarios through dialog_driver.exe: exact command line, scripted answers, recorded boxes.
#include <sstream>
#include <stdexcept>

#include "e2e/harness.h"

namespace e2e {
namespace {

constexpr std::string_view kMarker = "@@dialog_driver: ";
// The driver's own time-out ends the program; this margin only bounds the driver itself.
constexpr std::chrono::milliseconds kDriverMargin{15000};

std::string FromHex(std::string_view hex) {
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        throw std::runtime_error("dialog_driver: bad hex in its output");
    };
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(nibble(hex[i]) * 16 + nibble(hex[i + 1])));
    return out;
}

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> out;
    std::string current;
    for (char c : text) {
        if (c == separator) {
            if (!current.empty()) out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) out.push_back(current);
    return out;
}

Dialog ParseDialog(std::string_view record) {
    Dialog dialog;
    for (const std::string& field : Split(record, ' ')) {
        auto eq = field.find('=');
        if (eq == std::string::npos) continue;
        std::string key = field.substr(0, eq), value = field.substr(eq + 1);
        if (key == "title")
            dialog.title = FromHex(value);
        else if (key == "text")
            dialog.text = FromHex(value);
        else if (key == "icon")
            dialog.icon = value == "1";
        else if (key == "icon_kind")
            dialog.icon_kind = value;
        else if (key == "buttons")
            dialog.buttons = Split(value, ',');
        else if (key == "style")
            dialog.style = static_cast<std::uint32_t>(std::stoul(value, nullptr, 16));
        else if (key == "exstyle")
            dialog.ex_style = static_cast<std::uint32_t>(std::stoul(value, nullptr, 16));
        else if (key == "pressed")
            dialog.pressed = value;
        else if (key == "scripted")
            dialog.scripted = value == "1";
        else if (key == "mismatch")
            dialog.mismatch = value == "1";
    }
    return dialog;
}

}  // namespace

std::string ToHex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string QuoteIfNeeded(std::string_view word) {
    if (word.find_first_of(" \t") == std::string_view::npos) return std::string(word);
    return "\"" + std::string(word) + "\"";
}

ScenarioResult RunScenario(const Scenario& scenario) {
    std::string answers;
    for (const auto& a : scenario.answers) answers += (answers.empty() ? "" : ",") + a;
    std::vector<std::string> args{TestingBinary("dialog_driver.exe").string(), "--timeout",
                                  std::to_string(scenario.timeout.count())};
    if (!answers.empty()) args.insert(args.end(), {"--answers", answers});
    if (!scenario.directory.empty()) args.insert(args.end(), {"--cwd", ToHex(scenario.directory)});
    args.insert(args.end(), {"--cmd", ToHex(scenario.command_line)});

    ProcessOptions options;
    options.timeout = scenario.timeout + kDriverMargin;
    options.env = scenario.env;
    ProcessResult run = RunWine(args, options);
    if (run.timed_out)
        throw std::runtime_error("dialog_driver itself did not finish; its output:\n" + run.out);

    ScenarioResult result;
    result.err = run.err;
    bool finished = false;
    std::string_view rest = run.out;
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line =
            rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1);
        rest.remove_prefix(line.size());
        size_t at = line.find(kMarker);
        if (at == std::string_view::npos) {
            result.out += line;
            continue;
        }
        // A line of the program without its end yet: keep the part before the driver's record.
        result.out += line.substr(0, at);
        std::string_view record = line.substr(at + kMarker.size());
        while (!record.empty() && (record.back() == '\n' || record.back() == '\r'))
            record.remove_suffix(1);
        if (record.rfind("DIALOG ", 0) == 0) {
            result.dialogs.push_back(ParseDialog(record.substr(7)));
        } else if (record.rfind("EXIT ", 0) == 0) {
            result.exit_code = static_cast<int>(std::stoll(std::string(record.substr(5))));
            finished = true;
        } else if (record.rfind("TIMEOUT", 0) == 0) {
            result.timed_out = true;
            finished = true;
        } else if (record.rfind("ERROR", 0) == 0) {
            throw std::runtime_error("dialog_driver: " + std::string(record) +
                                     " for command line [" + scenario.command_line + "]");
        }
    }
    if (!finished)
        throw std::runtime_error("dialog_driver ended (status " + std::to_string(run.exit_code) +
                                 ") without a result; stdout:\n" + run.out + "\nstderr:\n" +
                                 run.err);
    return result;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    size_t i = 0;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        i = 2;
    auto unit = [&](size_t at) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[at]) |
                                     (static_cast<unsigned char>(bytes[at + 1]) << 8));
    };
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
    std::string out;
    auto put = [&](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        char32_t c;
        size_t extra;
        if (b < 0x80)
            c = b, extra = 0;
        else if ((b & 0xE0) == 0xC0)
            c = b & 0x1F, extra = 1;
        else if ((b & 0xF0) == 0xE0)
            c = b & 0x0F, extra = 2;
        else
            c = b & 0x07, extra = 3;
        ++i;
        for (size_t k = 0; k < extra && i < text.size(); ++k, ++i)
            c = (c << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        if (c >= 0x10000) {
            c -= 0x10000;
            put(0xD800 + (c >> 10));
            put(0xDC00 + (c & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

}  // namespace e2e
