#include "platform/database/win32_dao_database.h"

#include <cwctype>
#include <type_traits>
#include <variant>

#include "kit/dispatch_call.h"
#include "platform/database/column_conversion.h"
#include "platform/database/dao_query.h"
#include "platform/win32_dispatch.h"

namespace reader {
namespace {

// The engine's option that makes every row a statement rejects an error, instead of a row
// silently left out.
constexpr std::int32_t kFailOnError = 128;
constexpr std::int32_t kAppendOnly = 8;
constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

void AddValue(kit::DispatchArguments& arguments, const Value& value) {
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::wstring> || std::is_same_v<T, std::int32_t> ||
                          std::is_same_v<T, std::int16_t> || std::is_same_v<T, double>) {
                arguments.Add(v);
            } else if constexpr (std::is_same_v<T, Date>) {
                arguments.AddDate(AutomationDate(v));
            } else {
                static_assert(std::is_same_v<T, std::monostate>, "a value type without a VARIANT");
                arguments.AddNull();
            }
        },
        value);
}

// The object a member returned; anything else is 424, as the host reports it.
kit::ComPtr<IDispatch> ObjectOf(kit::UniqueVariant result, const std::wstring& member) {
    if (result.type() != VT_DISPATCH || !V_DISPATCH(result.get()))
        throw ReaderError(kErrObjectRequired, 0, L"IDispatch::Invoke " + member);
    VARIANT object = result.release();
    return kit::ComPtr<IDispatch>(V_DISPATCH(&object));
}

kit::ComPtr<IDispatch> GetObject(IDispatch& object, const std::wstring& member,
                                 kit::DispatchArguments& arguments) {
    return ObjectOf(
        CallRaisingReaderError([&] { return kit::CallDispatch(&object, member, kGet, arguments); }),
        member);
}

kit::ComPtr<IDispatch> GetObject(IDispatch& object, const std::wstring& member) {
    kit::DispatchArguments none;
    return GetObject(object, member, none);
}

// A collection's item by name or number (its default member).
template <typename Key>
kit::ComPtr<IDispatch> ItemOf(IDispatch& collection, const Key& key) {
    kit::DispatchArguments arguments;
    arguments.Add(key);
    return ObjectOf(
        CallRaisingReaderError(
            [&] { return kit::CallDispatch(&collection, DISPID_VALUE, kGet, arguments, L"Item"); }),
        L"Item");
}

void CallMethod(IDispatch& object, const std::wstring& member, kit::DispatchArguments& arguments) {
    CallRaisingReaderError(
        [&] { return kit::CallDispatch(&object, member, DISPATCH_METHOD, arguments); });
}

void CallMethod(IDispatch& object, const std::wstring& member) {
    kit::DispatchArguments none;
    CallMethod(object, member, none);
}

void PutValue(IDispatch& object, const Value& value) {
    kit::DispatchArguments arguments;
    AddValue(arguments, value);
    CallRaisingReaderError(
        [&] { return kit::CallDispatch(&object, L"Value", DISPATCH_PROPERTYPUT, arguments); });
}

// The column kind of a field by its DAO type constant; a type not named here (yes/no, binary,
// GUID) takes a value as it is given.
ColumnKind KindOfFieldType(LONG type) {
    switch (type) {
        case 2:  // byte
        case 3:  // integer
        case 4:  // long
            return ColumnKind::Integer;
        case 5:   // currency
        case 6:   // single
        case 7:   // double
        case 16:  // big integer
        case 19:  // numeric
        case 20:  // decimal
        case 21:  // float
            return ColumnKind::Decimal;
        case 8:   // date/time
        case 22:  // time
        case 23:  // time stamp
            return ColumnKind::Date;
        case 10:  // text
        case 12:  // memo
        case 18:  // char
            return ColumnKind::Text;
        default:
            return ColumnKind::Untyped;
    }
}

// What a field is set to. A text for a number or date field is converted here by the Italian
// rules, as the SQLite engine converts it: the engine itself would read it by the machine's locale
// (where the decimal point is ".", "5,5" would be stored as fifty-five).
Value ForField(IDispatch& field, const Value& value) {
    if (!std::holds_alternative<std::wstring>(value)) return value;
    const kit::UniqueVariant type =
        CallRaisingReaderError([&] { return kit::CallDispatch(&field, L"Type", kGet); });
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(type.get()), 0, VT_I4)))
        return value;
    return ConvertForColumn(value, KindOfFieldType(V_I4(&number)));
}

// Closes an object at the end of a scope, keeping the first error for whoever raised it.
void CloseQuietly(kit::ComPtr<IDispatch>& object) noexcept {
    if (!object) return;
    try {
        CallMethod(*object.get(), L"Close");
    } catch (...) {
    }
    object.reset();
}

kit::ComPtr<IDispatch> AddReference(IDispatch& object) {
    object.AddRef();
    return kit::ComPtr<IDispatch>(&object);
}

kit::ComPtr<IDispatch> CreateEngine(const wchar_t* progId) {
    const std::wstring operation = std::wstring(L"CoCreateInstance ") + progId;
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) throw ReaderError(kErrCantCreateObject, hr, operation);
    kit::ComPtr<IDispatch> engine;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          engine.put_void());
    if (FAILED(hr) || !engine) throw ReaderError(kErrCantCreateObject, hr, operation);
    return engine;
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
            CallMethod(Workspace(), L"Rollback");
        } catch (...) {
        }
    }
    CloseQuietly(database_);
}

void DaoDatabase::Execute(const std::wstring& statement, std::span<const Value> values) {
    if (values.empty()) {
        kit::DispatchArguments arguments;
        arguments.Add(statement).Add(kFailOnError);
        CallMethod(*database_.get(), L"Execute", arguments);
        return;
    }
    const ParameterQuery query = MakeParameterQuery(statement, values);
    // A query definition with an empty name is temporary: it is never saved in the file.
    kit::DispatchArguments definitionArguments;
    definitionArguments.Add(L"").Add(query.text);
    kit::ComPtr<IDispatch> definition =
        GetObject(*database_.get(), L"CreateQueryDef", definitionArguments);
    try {
        kit::ComPtr<IDispatch> parameters = GetObject(*definition.get(), L"Parameters");
        for (std::size_t i = 0; i < query.names.size(); ++i) {
            PutValue(*ItemOf(*parameters.get(), query.names[i]).get(), values[i]);
        }
        kit::DispatchArguments options;
        options.Add(kFailOnError);
        CallMethod(*definition.get(), L"Execute", options);
    } catch (...) {
        CloseQuietly(definition);
        throw;
    }
    CallMethod(*definition.get(), L"Close");
}

void DaoDatabase::AppendRow(const std::wstring& table, std::span<const NamedValue> values) {
    IDispatch& recordset = RecordsetOf(table);
    CallMethod(recordset, L"AddNew");
    kit::ComPtr<IDispatch> fields = GetObject(recordset, L"Fields");
    for (const NamedValue& value : values) {
        const kit::ComPtr<IDispatch> field = ItemOf(*fields.get(), value.column);
        PutValue(*field.get(), ForField(*field.get(), value.value));
    }
    CallMethod(recordset, L"Update");
}

void DaoDatabase::BeginTransaction() {
    CallMethod(Workspace(), L"BeginTrans");
    inTransaction_ = true;
}

void DaoDatabase::CommitTransaction() {
    CallMethod(Workspace(), L"CommitTrans");
    inTransaction_ = false;
}

void DaoDatabase::RollbackTransaction() {
    inTransaction_ = false;
    CallMethod(Workspace(), L"Rollback");
}

// The default workspace, Workspaces(0), whose transactions span the database.
IDispatch& DaoDatabase::Workspace() {
    if (!workspace_) {
        kit::ComPtr<IDispatch> workspaces = GetObject(*engine_.get(), L"Workspaces");
        workspace_ = ItemOf(*workspaces.get(), std::int32_t{0});
    }
    return *workspace_.get();
}

// One append-only record set per table while rows go to it: "Select * from <table>".
IDispatch& DaoDatabase::RecordsetOf(const std::wstring& table) {
    if (!recordset_ || recordsetTable_ != table) {
        CloseQuietly(recordset_);
        kit::DispatchArguments arguments;
        arguments.Add(L"Select * from " + table).AddMissing().Add(kAppendOnly);
        recordset_ = GetObject(*database_.get(), L"OpenRecordset", arguments);
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
    if (!engine120_) engine120_ = CreateEngine(L"DAO.DBEngine.120");
    return *engine120_.get();
}

IDispatch& DaoEngine::EngineFor(const std::wstring& path) {
    if (EndsWithAccdb(path)) return Engine120();
    if (!engine36_) {
        try {
            engine36_ = CreateEngine(L"DAO.DBEngine.36");
        } catch (const RaisedError&) {
            // Machines with only the newer engine (64-bit Access) open ".mdb" files with it.
            return Engine120();
        }
    }
    return *engine36_.get();
}

std::unique_ptr<Database> DaoEngine::OpenDatabase(const std::wstring& path) {
    IDispatch& engine = EngineFor(path);
    kit::DispatchArguments arguments;
    arguments.Add(path);
    kit::ComPtr<IDispatch> database = GetObject(engine, L"OpenDatabase", arguments);
    return std::make_unique<DaoDatabase>(engine, std::move(database));
}

}  // namespace reader
