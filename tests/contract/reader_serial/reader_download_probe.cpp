// reader_download_probe PORT DBPATH [TIMES]
// Runs Scarica TIMES times (default 1) on one object and prints, one line each:
//   BOX <title>|<text>|<style>     for every message box (UTF-8), "BEEP" for every beep,
//   DOWNLOAD <elapsed ms> <cpu ms>  after each download (process CPU time, user + kernel).
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "platform/ui/memory_user_interface.h"
#include "core/reader_object.h"
#include "platform/database/sqlite_database.h"
#include "core/text_encoding.h"
#include "platform/files/win32_file_system.h"
#include "platform/serial/win32_serial_line.h"
#include "platform/ui/win32_user_interface.h"

namespace {

void Print(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

long long CpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto value = [](FILETIME t) {
        return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return (value(kernel) + value(user)) / 10000;
}

class PrintingUi : public reader::UserInterface {
  public:
    void ShowMessage(const std::wstring& text, const std::wstring& title, unsigned style) override {
        Print("BOX " + reader::ToUtf8(title) + "|" + reader::ToUtf8(text) + "|" +
              std::to_string(style));
    }
    void Beep() override { Print("BEEP"); }
};

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) {
        Print("usage: reader_download_probe PORT DBPATH [TIMES]");
        return 2;
    }
    const int times = argc > 3 ? _wtoi(argv[3]) : 1;
    try {
        using reader::LazyService;
        reader::ReaderServices services;
        services.serial = LazyService<reader::SerialLine>(&reader::CreateWin32SerialLine);
        services.databases =
            LazyService<reader::DatabaseEngine>::Of(std::make_shared<reader::SqliteEngine>());
        services.files =
            LazyService<reader::FileSystem>::Of(std::make_shared<reader::Win32FileSystem>());
        services.ui = LazyService<reader::UserInterface>::Of(std::make_shared<PrintingUi>());
        services.messages =
            LazyService<reader::MessageLoop>::Of(std::make_shared<reader::Win32MessageLoop>());
        services.clock =
            LazyService<reader::MonotonicClock>::Of(std::make_shared<reader::Win32Clock>());
        reader::ReaderObject object(std::move(services));
        object.Porta = _wtoi(argv[1]);
        object.DbPath = argv[2];
        for (int i = 0; i < times; ++i) {
            const ULONGLONG start = GetTickCount64();
            const long long cpu = CpuMs();
            object.Scarica();
            Print("DOWNLOAD " + std::to_string(GetTickCount64() - start) + " " +
                  std::to_string(CpuMs() - cpu));
        }
    } catch (const reader::RaisedError& e) {
        Print("CREATE FAILED " + std::to_string(e.number) + " " + reader::ToUtf8(e.description));
        return 1;
    }
    LocalFree(argv);
    return 0;
}
