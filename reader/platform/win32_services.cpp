// The reader object with the Windows services, for the COM shell: each service is made when a
// download first needs it, on the object's thread.
#include <memory>

#include "core/reader_object.h"
#include "platform/database/win32_component_engine.h"
#include "platform/files/win32_file_system.h"
#include "platform/infrared/win32_infrared_link.h"
#include "kit/win32_program_runner.h"
#include "platform/programs/win32_host_run_time.h"
#include "platform/serial/win32_serial_line.h"
#include "platform/terminal/win32_terminal_forms.h"
#include "platform/ui/win32_user_interface.h"
#include "platform/ui/win32_wall_clock.h"

namespace reader {

std::unique_ptr<Murello> CreateMurello(const BuildVariant& variant) {
    SetDiagnosticSink(&WriteDebugLine);
    ReaderServices services;
    services.serial = LazyService<SerialLine>([] { return CreateWin32SerialLine(); });
    services.databases = LazyService<DatabaseEngine>(&ComponentDatabaseEngine);
    services.files = LazyService<FileSystem>([] { return std::make_shared<Win32FileSystem>(); });
    services.ui = LazyService<UserInterface>([] { return std::make_shared<Win32UserInterface>(); });
    services.messages =
        LazyService<MessageLoop>([] { return std::make_shared<Win32MessageLoop>(); });
    services.clock = LazyService<MonotonicClock>([] { return std::make_shared<Win32Clock>(); });
    services.programs =
        LazyService<kit::ProgramRunner>([] { return std::make_shared<kit::Win32ProgramRunner>(); });
    services.host = LazyService<HostRunTime>([] { return std::make_shared<Win32HostRunTime>(); });
    services.wallClock = LazyService<WallClock>([] { return std::make_shared<Win32WallClock>(); });
    services.scaricaVX = LazyService<ScaricaVXForm>([variant] {
        auto forms = ComponentTerminalForms(variant);
        return std::shared_ptr<ScaricaVXForm>(forms, &forms->ScaricaVX());
    });
    services.caricaVX = LazyService<CaricaVXForm>([variant] {
        auto forms = ComponentTerminalForms(variant);
        return std::shared_ptr<CaricaVXForm>(forms, &forms->CaricaVX());
    });
    services.infrared = LazyService<InfraredLink>([] { return CreateWin32InfraredLink(); });
    return std::make_unique<ReaderObject>(std::move(services), variant);
}

}  // namespace reader
