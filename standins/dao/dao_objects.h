// The stand-in engine's objects: DBEngine, its Workspaces(0), Database, QueryDef with its
// Parameters, and the append-only Recordset with its Fields; only the members the reader calls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dispatch_object.h"
#include "sqlite_store.h"

namespace dao_standin {

// What the engine's objects share: the open databases, which the default workspace's
// transactions span.
struct EngineState {
    int version = 36;
    int transactions = 0;
    std::vector<Store*> open;
};

// A DBEngine object ("DAO.DBEngine.36" or ".120"); records its creation and its release.
DispatchObject* NewEngine(int version);

DispatchObject* NewQueryDef(std::shared_ptr<Store> store, const std::wstring& name,
                            const std::wstring& sql);
DispatchObject* NewRecordset(std::shared_ptr<Store> store, const std::wstring& source);

// The "-" that the call record writes for an argument that was not passed.
std::wstring TextOrDash(const Arguments& arguments, std::size_t index);

}  // namespace dao_standin
