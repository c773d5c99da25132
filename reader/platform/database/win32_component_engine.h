// The database engine of the loaded component, shared by its objects: Access files go to the
// DAO engine, any other file to SQLite. The DAO engine objects are made on first use and let go
// when the component may unload (DllCanUnloadNow answers yes); at process detach they are
// abandoned without a call, since COM must not be called from DllMain.
#pragma once

#include <memory>

#include "platform/database/database.h"

namespace reader {

std::shared_ptr<DatabaseEngine> ComponentDatabaseEngine();

// From DllCanUnloadNow, when nothing of the component is alive any more.
void ReleaseComponentEngines();
// From DllMain's DLL_PROCESS_DETACH, before the component's statics are destroyed.
void AbandonComponentEngines();

}  // namespace reader
