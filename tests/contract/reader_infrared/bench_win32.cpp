#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "infrared_bench.h"
#include "platform/infrared/win32_infrared_link.h"

namespace reader {
namespace {

// The stand-in IrLib.dll sits beside this program, which is where the link looks first. It
// reads its script, and writes its log, where the environment says.
class Win32InfraredBench : public InfraredBench {
  public:
    Win32InfraredBench() {
        char temp[MAX_PATH + 1] = {};
        if (GetTempPathA(MAX_PATH, temp) == 0) throw std::runtime_error("no temporary folder");
        static int count = 0;
        const std::string stem = std::string(temp) + "irlib_contract_" +
                                 std::to_string(GetCurrentProcessId()) + "_" +
                                 std::to_string(++count);
        script_ = stem + ".script";
        log_ = stem + ".log";
    }
    ~Win32InfraredBench() override {
        link_.reset();
        DeleteFileA(script_.c_str());
        DeleteFileA(log_.c_str());
    }

    InfraredLink& Link(const std::vector<std::int32_t>& opens,
                       const std::vector<std::optional<std::string>>& answers) override {
        std::ofstream script(script_, std::ios::binary);
        for (std::int32_t result : opens) script << "open " << result << "\n";
        for (const auto& answer : answers)
            script << "answer 0" << (answer ? " " + *answer : "") << "\n";
        script.close();
        DeleteFileA(log_.c_str());
        SetEnvironmentVariableA("IRLIB_SCRIPT", script_.c_str());
        SetEnvironmentVariableA("IRLIB_LOG", log_.c_str());
        link_ = CreateWin32InfraredLink();
        return *link_;
    }

    std::vector<std::string> Received() override {
        std::vector<std::string> received;
        std::ifstream log(log_, std::ios::binary);
        std::string line;
        while (std::getline(log, line)) {
            std::istringstream fields(line);
            std::string time, function, text;
            std::getline(fields, time, '\t');
            std::getline(fields, function, '\t');
            std::getline(fields, text, '\t');
            if (function == "WriteIrCom") received.push_back(Unescaped(text));
        }
        return received;
    }

  private:
    static std::string Unescaped(const std::string& text) {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\\' || i + 1 == text.size()) {
                out += text[i];
                continue;
            }
            const char kind = text[++i];
            if (kind == 'r') {
                out += '\r';
            } else if (kind == 'n') {
                out += '\n';
            } else if (kind == 'x' && i + 2 < text.size()) {
                out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                out += kind;
            }
        }
        return out;
    }

    std::string script_;
    std::string log_;
    std::unique_ptr<InfraredLink> link_;
};

}  // namespace

std::unique_ptr<InfraredBench> MakeInfraredBench() {
    return std::make_unique<Win32InfraredBench>();
}

}  // namespace reader
