#include "e2e/dao_standin.h"

#include <stdexcept>

#include "e2e/harness.h"

namespace e2e {

DaoStandin::DaoStandin()
    : dll_(CopyIntoPrefix(TestingBinary("dao_standin.dll"), "C:\\Programmi\\DaoStandin")) {
    const Folder temp = TempFolder();
    record_ = temp.unix / "dao_calls.txt";
    recordWindows_ = temp.windows + "\\dao_calls.txt";
    ClearCalls();
    const ProcessResult result = Regsvr32(dll_);
    if (result.timed_out || result.exit_code != 0)
        throw std::runtime_error("regsvr32 " + dll_ + " failed: " + result.err);
}

DaoStandin::~DaoStandin() {
    Regsvr32(dll_, true);
    std::filesystem::remove(record_);
}

std::string DaoStandin::RecordVariable() const { return "LANVIK_DAO_RECORD=" + recordWindows_; }

std::vector<std::vector<std::string>> DaoStandin::Calls(const std::string& name) const {
    std::vector<std::vector<std::string>> calls;
    if (!std::filesystem::exists(record_)) return calls;
    const std::string text = ReadFile(record_);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::vector<std::string> fields(1);
        for (std::size_t i = start; i < end; ++i) {
            const char c = text[i];
            if (c == '\t') {
                fields.emplace_back();
            } else if (c == '\\' && i + 1 < end) {
                const char next = text[++i];
                fields.back() += next == 't'   ? '\t'
                                 : next == 'r' ? '\r'
                                 : next == 'n' ? '\n'
                                               : next;
            } else {
                fields.back() += c;
            }
        }
        if (name.empty() || fields[0] == name) calls.push_back(std::move(fields));
        start = end + 2;
    }
    return calls;
}

std::vector<std::string> DaoStandin::ValuesOutsideParameters(
    const std::vector<std::string>& values) const {
    const std::vector<std::vector<std::string>> calls = Calls();
    std::vector<std::string> faults;
    for (const std::string& value : values) {
        bool sent = false;
        for (const std::vector<std::string>& call : calls) {
            const std::string& name = call[0];
            if ((name == "Parameter" || name == "Field") && call.size() > 3 && call[3] == value)
                sent = true;
            const bool hasSql =
                name == "Execute" || name == "OpenRecordset" || name == "CreateQueryDef";
            const std::size_t sqlField = name == "CreateQueryDef" ? 2 : 1;
            if (hasSql && call.size() > sqlField && call[sqlField].find(value) != std::string::npos)
                faults.push_back(value + " inside " + name + ": " + call[sqlField]);
        }
        if (!sent) faults.push_back(value + " never sent as a parameter or a field");
    }
    return faults;
}

void DaoStandin::ClearCalls() const { std::filesystem::remove(record_); }

void DaoStandin::Unregister(const std::string& progId) { RegDeleteKey("HKCR\\" + progId); }

}  // namespace e2e
