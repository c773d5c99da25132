// The reader object with the Windows services, for the COM shell: each service is made when a
// download first needs it, on the object's thread.
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

std::unique_ptr<Murello> CreateMurello(const BuildVariant& variant) {
    SetDiagnosticSink(&WriteDebugLine);
    ReaderServices services;
    services.serial = LazyService<SerialLine>([] { return CreateWin32SerialLine(); });
    services.databases = LazyService<DatabaseEngine>(&SharedEngine);
    services.files = LazyService<FileSystem>([] { return std::make_shared<Win32FileSystem>(); });
    services.ui = LazyService<UserInterface>([] { return std::make_shared<Win32UserInterface>(); });
    services.messages =
        LazyService<MessageLoop>([] { return std::make_shared<Win32MessageLoop>(); });
    services.clock = LazyService<MonotonicClock>([] { return std::make_shared<Win32Clock>(); });
    return std::make_unique<ReaderObject>(std::move(services), variant);
}

}  // namespace reader
