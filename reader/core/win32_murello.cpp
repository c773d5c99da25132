// The reader object with the Windows services, for the COM shell.
#include <memory>

#include "core/murello_object.h"
#include "core/sqlite_database.h"
#include "core/win32_file_system.h"
#include "core/win32_serial_line.h"
#include "core/win32_user_interface.h"

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
    ReaderServices services;
    services.serial = CreateWin32SerialLine();
    services.databases = SharedEngine();
    services.files = std::make_shared<Win32FileSystem>();
    services.ui = std::make_shared<Win32UserInterface>();
    services.messages = std::make_shared<Win32MessageLoop>();
    services.clock = std::make_shared<Win32Clock>();
    return std::make_unique<MurelloObject>(std::move(services));
}

}  // namespace reader
