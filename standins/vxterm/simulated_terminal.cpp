#include "simulated_terminal.h"

#include <cwchar>
#include <sstream>

#include "kit/unique_handle.h"

namespace vxterm {
namespace {

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size,
                        nullptr, nullptr);
    return narrow;
}

std::wstring FolderFromEnvironmentOrRegistry() {
    wchar_t buffer[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"VXTERM_STANDIN_DIR", buffer, MAX_PATH) > 0) return buffer;
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\KitTests\\VXTermStandin", L"Folder",
                     RRF_RT_REG_SZ, nullptr, buffer, &size) == ERROR_SUCCESS)
        return buffer;
    return {};
}

std::string ReadWholeFile(const std::wstring& path) {
    kit::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (file && ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return bytes;
}

std::wstring Trim(const std::wstring& text) {
    const auto first = text.find_first_not_of(L" \t\r");
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t\r") - first + 1);
}

// "<Member> <number> <description>"
ScriptedFailure ParseFailure(const std::wstring& value, bool fromScode) {
    std::wistringstream in(value);
    ScriptedFailure failure;
    std::wstring number;
    in >> failure.member >> number;
    failure.fromScode = fromScode;
    failure.number = static_cast<long>(std::wcstoul(number.c_str(), nullptr, fromScode ? 16 : 10));
    std::getline(in, failure.description);
    failure.description = Trim(failure.description);
    return failure;
}

}  // namespace

SimulatedTerminal::SimulatedTerminal() : folder_(FolderFromEnvironmentOrRegistry()) {
    if (folder_.empty()) return;
    std::wistringstream script(FromUtf8(ReadWholeFile(folder_ + L"\\script.txt")));
    std::wstring line;
    while (std::getline(script, line)) {
        line = Trim(line.substr(0, line.find(L'#')));
        const auto equals = line.find(L'=');
        if (equals == std::wstring::npos) continue;
        const std::wstring key = Trim(line.substr(0, equals));
        const std::wstring value = Trim(line.substr(equals + 1));
        if (key == L"InErrore") inErrore_ = value == L"1";
        if (key == L"IOleObject") oleObject_ = value == L"1";
        if (key == L"fail") failures_.push_back(ParseFailure(value, false));
        if (key == L"fail-scode") failures_.push_back(ParseFailure(value, true));
    }
}

const ScriptedFailure* SimulatedTerminal::FailureOf(const std::wstring& member) const {
    for (const ScriptedFailure& failure : failures_) {
        if (_wcsicmp(failure.member.c_str(), member.c_str()) == 0) return &failure;
    }
    return nullptr;
}

bool SimulatedTerminal::Receive(int number, const std::wstring& destination) const {
    const std::wstring source = folder_ + L"\\file" + std::to_wstring(number) + L".txt";
    if (GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    return CopyFileW(source.c_str(), destination.c_str(), FALSE) != 0;
}

bool SimulatedTerminal::Send(const std::wstring& source) const {
    if (GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    return CopyFileW(source.c_str(), (folder_ + L"\\sent.txt").c_str(), FALSE) != 0;
}

void SimulatedTerminal::Log(const std::wstring& line) const {
    if (!Configured()) return;
    kit::UniqueFileHandle file(CreateFileW((folder_ + L"\\calls.log").c_str(), FILE_APPEND_DATA,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                           0, nullptr));
    if (!file) return;
    const std::string bytes = ToUtf8(line) + "\r\n";
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace vxterm
