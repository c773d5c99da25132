// The outside services of one reader object, each made on first use by the download that needs
// it (a factory per service), so that a method never fails for a service it does not use: a
// terminal import does not need the serial line's notification window, for example. Features add
// theirs here (terminal control, infrared link, program runner).
#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "core/errors.h"
#include "kit/program_runner.h"
#include "core/forms.h"
#include "platform/database/database.h"
#include "platform/files/file_system.h"
#include "platform/infrared/infrared_link.h"
#include "platform/programs/host_run_time.h"
#include "platform/serial/serial_line.h"
#include "platform/ui/user_interface.h"
#include "platform/ui/wall_clock.h"

namespace reader {

// One service, made by its factory the first time it is asked for and kept from then on. A
// factory that fails raises RaisedError to the download that asked; the next use tries again.
template <typename Service>
class LazyService {
  public:
    using Factory = std::function<std::shared_ptr<Service>()>;

    LazyService() = default;
    explicit LazyService(Factory factory) : factory_(std::move(factory)) {}
    // A service made already (tests, or one shared by every object).
    static LazyService Of(std::shared_ptr<Service> made) {
        LazyService service;
        service.made_ = std::move(made);
        return service;
    }

    Service& Get() {
        if (!made_) {
            if (!factory_) throw ReaderError(kErrInternalError, 0, L"service without a factory");
            made_ = factory_();
            if (!made_) throw ReaderError(kErrInternalError, 0, L"service factory made nothing");
        }
        return *made_;
    }
    // The service when it was made, else null; never makes it.
    Service* IfMade() const { return made_.get(); }

  private:
    Factory factory_;
    std::shared_ptr<Service> made_;
};

struct ReaderServices {
    LazyService<SerialLine> serial;
    LazyService<DatabaseEngine> databases;  // one per loaded component
    LazyService<FileSystem> files;
    LazyService<UserInterface> ui;
    LazyService<MessageLoop> messages;
    LazyService<MonotonicClock> clock;
    LazyService<kit::ProgramRunner> programs;
    LazyService<HostRunTime> host;

    SerialLine& Serial() { return serial.Get(); }
    DatabaseEngine& Databases() { return databases.Get(); }
    FileSystem& Files() { return files.Get(); }
    UserInterface& Ui() { return ui.Get(); }
    MessageLoop& Messages() { return messages.Get(); }
    const MonotonicClock& Clock() { return clock.Get(); }
    kit::ProgramRunner& Programs() { return programs.Get(); }
    HostRunTime& Host() { return host.Get(); }

    LazyService<WallClock> wallClock;  // local date and time: terminal file names
    const WallClock& LocalTime() { return wallClock.Get(); }

    // The hidden terminal forms: one pair per loaded component, shared by its objects.
    LazyService<ScaricaVXForm> scaricaVX;
    LazyService<CaricaVXForm> caricaVX;
    ScaricaVXForm& ScaricaVX() { return scaricaVX.Get(); }
    CaricaVXForm& CaricaVX() { return caricaVX.Get(); }

    LazyService<InfraredLink> infrared;
    InfraredLink& Infrared() { return infrared.Get(); }
};

}  // namespace reader
