#include "platform/database/win32_component_engine.h"

#include <atomic>

#include "platform/database/sqlite_database.h"
#include "platform/database/win32_dao_database.h"

namespace reader {
namespace {

struct ComponentEngine {
    ComponentEngine() {
        auto ownedDao = std::make_unique<DaoEngine>();
        dao = ownedDao.get();
        engine = std::make_shared<EngineByFileName>(std::move(ownedDao),
                                                    std::make_unique<SqliteEngine>());
    }
    DaoEngine* dao = nullptr;  // owned by `engine`
    std::shared_ptr<DatabaseEngine> engine;
};

// Set once the engine exists, so that unloading never makes one just to let it go.
std::atomic<bool> made{false};

ComponentEngine& Component() {
    static ComponentEngine component;
    made = true;
    return component;
}

}  // namespace

std::shared_ptr<DatabaseEngine> ComponentDatabaseEngine() { return Component().engine; }

void ReleaseComponentEngines() {
    if (made) Component().dao->ReleaseEngines();
}

void AbandonComponentEngines() {
    if (made) Component().dao->AbandonEngines();
}

}  // namespace reader
