#include "platform/database/win32_dao_database.h"

#include <cwctype>
#include <type_traits>
#include <variant>

#include "platform/database/dao_query.h"
#include "platform/database/named_value_shim.h"
#include "platform/database/win32_dao_dispatch.h"

namespace reader {
namespace {

using dao::Variant;

// The engine's option that makes every row a statement rejects an error, instead of a row
// silently left out.
constexpr std::int32_t kFailOnError = 128;
constexpr std::int32_t kAppendOnly = 8;

Variant ToVariant(const Value& value) {
    return std::visit(
        [](const auto& v) -> Variant {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::wstring>) {
                return Variant::Text(v);
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                return Variant::Long(v);
            } else if constexpr (std::is_same_v<T, std::int16_t>) {
                return Variant::Short(v);
            } else if constexpr (std::is_same_v<T, double>) {
                return Variant::Real(v);
            } else if constexpr (std::is_same_v<T, Date>) {
                return Variant::DateValue(AutomationDate(v));
            } else {
                static_assert(std::is_same_v<T, std::monostate>, "a value type without a VARIANT");
                return Variant::Null();
            }
        },
        value);
}

// Closes an object at the end of a scope, keeping the first error for whoever raised it.
void CloseQuietly(kit::ComPtr<IDispatch>& object) noexcept {
    if (!object) return;
    try {
        dao::CallMethod(*object.get(), L"Close");
    } catch (...) {
    }
    object.reset();
}

kit::ComPtr<IDispatch> AddReference(IDispatch& object) {
    object.AddRef();
    return kit::ComPtr<IDispatch>(&object);
}

bool EndsWithAccdb(const std::wstring& path) {
    std::wstring lower;
    for (wchar_t c : path) lower += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return lower.ends_with(L".accdb");
}

}  // namespace

DaoDatabase::DaoDatabase(IDispatch& engine, kit::ComPtr<IDispatch> database)
    : engine_(AddReference(engine)), database_(std::move(database)) {}

DaoDatabase::~DaoDatabase() {
    CloseQuietly(recordset_);
    if (inTransaction_) {
        try {
            dao::CallMethod(Workspace(), L"Rollback");
        } catch (...) {
        }
    }
    CloseQuietly(database_);
}

void DaoDatabase::Execute(const std::wstring& statement, std::span<const Value> values) {
    const Variant failOnError = Variant::Long(kFailOnError);
    if (values.empty()) {
        const Variant text = Variant::Text(statement);
        dao::CallMethod(*database_.get(), L"Execute", {&text, &failOnError});
        return;
    }
    const ParameterQuery query = MakeParameterQuery(statement, values);
    // A query definition with an empty name is temporary: it is never saved in the file.
    const Variant noName = Variant::Text(L"");
    const Variant text = Variant::Text(query.text);
    kit::ComPtr<IDispatch> definition =
        dao::GetObject(*database_.get(), L"CreateQueryDef", {&noName, &text});
    try {
        kit::ComPtr<IDispatch> parameters = dao::GetObject(*definition.get(), L"Parameters");
        for (std::size_t i = 0; i < query.names.size(); ++i) {
            const Variant name = Variant::Text(query.names[i]);
            kit::ComPtr<IDispatch> parameter = dao::GetObject(*parameters.get(), nullptr, {&name});
            dao::PutProperty(*parameter.get(), L"Value", ToVariant(values[i]));
        }
        dao::CallMethod(*definition.get(), L"Execute", {&failOnError});
    } catch (...) {
        CloseQuietly(definition);
        throw;
    }
    dao::CallMethod(*definition.get(), L"Close");
}

void DaoDatabase::AppendRow(const std::wstring& table, std::span<const NamedValue> values) {
    IDispatch& recordset = RecordsetOf(table);
    dao::CallMethod(recordset, L"AddNew");
    kit::ComPtr<IDispatch> fields = dao::GetObject(recordset, L"Fields");
    for (const NamedValue& value : values) {
        const Variant column = Variant::Text(value.column);
        kit::ComPtr<IDispatch> field = dao::GetObject(*fields.get(), nullptr, {&column});
        dao::PutProperty(*field.get(), L"Value", ToVariant(value.value));
    }
    dao::CallMethod(recordset, L"Update");
}

void DaoDatabase::BeginTransaction() {
    dao::CallMethod(Workspace(), L"BeginTrans");
    inTransaction_ = true;
}
void DaoDatabase::CommitTransaction() {
    dao::CallMethod(Workspace(), L"CommitTrans");
    inTransaction_ = false;
}
void DaoDatabase::RollbackTransaction() {
    inTransaction_ = false;
    dao::CallMethod(Workspace(), L"Rollback");
}

// The default workspace, Workspaces(0), whose transactions span the database.
IDispatch& DaoDatabase::Workspace() {
    if (!workspace_) {
        kit::ComPtr<IDispatch> workspaces = dao::GetObject(*engine_.get(), L"Workspaces");
        const Variant first = Variant::Long(0);
        workspace_ = dao::GetObject(*workspaces.get(), nullptr, {&first});
    }
    return *workspace_.get();
}

// One append-only record set per table while rows go to it: "Select * from <table>".
IDispatch& DaoDatabase::RecordsetOf(const std::wstring& table) {
    if (!recordset_ || recordsetTable_ != table) {
        CloseQuietly(recordset_);
        const Variant source = Variant::Text(L"Select * from " + table);
        const Variant type = Variant::Missing();
        const Variant options = Variant::Long(kAppendOnly);
        recordset_ = dao::GetObject(*database_.get(), L"OpenRecordset", {&source, &type, &options});
        recordsetTable_ = table;
    }
    return *recordset_.get();
}

DaoEngine::~DaoEngine() { ReleaseEngines(); }

void DaoEngine::ReleaseEngines() {
    engine36_.reset();
    engine120_.reset();
}

void DaoEngine::AbandonEngines() {
    engine36_.release();
    engine120_.release();
}

IDispatch& DaoEngine::Engine120() {
    if (!engine120_) engine120_ = dao::CreateObject(L"DAO.DBEngine.120");
    return *engine120_.get();
}

IDispatch& DaoEngine::EngineFor(const std::wstring& path) {
    if (EndsWithAccdb(path)) return Engine120();
    if (!engine36_) {
        try {
            engine36_ = dao::CreateObject(L"DAO.DBEngine.36");
        } catch (const RaisedError&) {
            // Machines with only the newer engine (64-bit Access) open ".mdb" files with it.
            return Engine120();
        }
    }
    return *engine36_.get();
}

std::unique_ptr<Database> DaoEngine::OpenDatabase(const std::wstring& path) {
    IDispatch& engine = EngineFor(path);
    const Variant name = Variant::Text(path);
    kit::ComPtr<IDispatch> database = dao::GetObject(engine, L"OpenDatabase", {&name});
    return std::make_unique<DaoDatabase>(engine, std::move(database));
}

}  // namespace reader
