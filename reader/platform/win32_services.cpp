// The reader object with the Windows services, for the COM shell.
#include <memory>

#include "core/reader_object.h"
#include "platform/database/sqlite_database.h"
#include "platform/files/win32_file_system.h"
#include "platform/serial/win32_serial_line.h"
#include "platform/ui/win32_user_interface.h"

namespace reader {
namespace {

// One database engine for as long as the component stays loaded.
std::shared_ptr<DatabaseEngine> SharedEngine() {
    static const std::shared_ptr<DatabaseEngine> engine =
        std::make_shared<EngineByFileName>(nullptr, std::make_unique<SqliteEngine>());
    return engine;
}

}  // namespace

std::unique_ptr<Murello> CreateMurello() {
    SetDiagnosticSink(&WriteDebugLine);
    ReaderServices services;
    services.serial = CreateWin32SerialLine();
    services.databases = SharedEngine();
    services.files = std::make_shared<Win32FileSystem>();
    services.ui = std::make_shared<Win32UserInterface>();
    services.messages = std::make_shared<Win32MessageLoop>();
    services.clock = std::make_shared<Win32Clock>();
    return std::make_unique<ReaderObject>(std::move(services));
}

}  // namespace reader
