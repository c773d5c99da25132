#include "platform/database/win32_component_engine.h"

#include "core/sqlite_database.h"
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

ComponentEngine& Component() {
    static ComponentEngine component;
    return component;
}

}  // namespace

std::shared_ptr<DatabaseEngine> ComponentDatabaseEngine() { return Component().engine; }

void ReleaseComponentEngines() { Component().dao->ReleaseEngines(); }

void AbandonComponentEngines() { Component().dao->AbandonEngines(); }

}  // namespace reader
