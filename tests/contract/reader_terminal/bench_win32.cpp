#include <windows.h>
// after windows.h
#include <objbase.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/terminal/win32_form_window.h"
#include "platform/terminal/win32_terminal_control.h"
#include "terminal_bench.h"

namespace reader {
namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());  // the suite's texts are ASCII
}

// The registered stand-in control, scripted through its folder (VXTERM_STANDIN_DIR); the control
// gets a client site on a form window, so that path is part of the contract too.
class Win32TerminalBench : public TerminalBench {
  public:
    Win32TerminalBench() {
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
            throw std::runtime_error("COM cannot start");
        }
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        root_ = std::filesystem::path(temp) /
                (L"terminal_contract_" + std::to_wstring(GetCurrentProcessId()));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / L"work");
        std::filesystem::create_directories(root_ / L"terminal");
        SetEnvironmentVariableW(L"VXTERM_STANDIN_DIR", (root_ / L"terminal").c_str());
        WriteScript();
    }
    ~Win32TerminalBench() override {
        window_.Destroy();
        std::error_code error;
        std::filesystem::remove_all(root_, error);
        CoUninitialize();
    }

    TerminalControlFactory& Controls() override { return controls_; }
    std::wstring Folder() const override { return (root_ / L"work").wstring(); }
    void PutFile(const std::wstring& path, const std::string& bytes) override {
        std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
    }
    std::optional<std::string> GetFile(const std::wstring& path) override {
        std::ifstream in(std::filesystem::path(path), std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void SetTerminalFile(std::int16_t number, const std::string& bytes) override {
        PutFile((root_ / L"terminal" / (L"file" + std::to_wstring(number) + L".txt")).wstring(),
                bytes);
    }
    void SetInErrore(bool inErrore) override {
        inErrore_ = inErrore;
        WriteScript();
    }
    void SetFailure(const std::wstring& member, const RaisedError& error) override {
        failures_ += "fail=" + Narrow(member) + " " + std::to_string(error.number) + " " +
                     Narrow(error.description) + "\n";
        WriteScript();
    }
    std::optional<std::string> Sent() override {
        return GetFile((root_ / L"terminal" / L"sent.txt").wstring());
    }

  private:
    void WriteScript() {
        std::ofstream(root_ / L"terminal" / L"script.txt", std::ios::binary)
            << "IOleObject=1\n"
            << "InErrore=" << (inErrore_ ? 1 : 0) << "\n"
            << failures_;
    }

    std::filesystem::path root_;
    bool inErrore_ = false;
    std::string failures_;
    FormWindow window_{GetModuleHandleW(nullptr), L"Download dati in corso..."};
    Win32TerminalControls controls_{[this] { return window_.Window(); }};
};

}  // namespace

std::unique_ptr<TerminalBench> MakeTerminalBench() {
    return std::make_unique<Win32TerminalBench>();
}

}  // namespace reader
