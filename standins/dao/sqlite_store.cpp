#include "sqlite_store.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <memory>
#include <string_view>

#include "dispatch_object.h"

namespace dao_standin {
namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

std::wstring Wide(const char* bytes) {
    if (!bytes || !*bytes) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, bytes, -1, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes, -1, text.data(), size);
    text.resize(static_cast<std::size_t>(size) - 1);
    return text;
}

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return text;
}

std::wstring DateText(DATE date) {
    SYSTEMTIME time{};
    if (!VariantTimeToSystemTime(date, &time)) throw ConversionError();
    wchar_t text[32] = {};
    if (time.wHour == 0 && time.wMinute == 0 && time.wSecond == 0) {
        std::swprintf(text, 32, L"%04u-%02u-%02u", time.wYear, time.wMonth, time.wDay);
    } else {
        std::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth,
                      time.wDay, time.wHour, time.wMinute, time.wSecond);
    }
    return text;
}

// A number in a text, read as the engine reads it: by the machine's locale (on a machine whose
// decimal point is "." a "5,5" is fifty-five).
bool ReadNumber(const std::wstring& text, double& number) {
    std::wstring copy = text;  // the function takes a writable string
    return SUCCEEDED(VarR8FromStr(copy.data(), LOCALE_USER_DEFAULT, 0, &number));
}

// A text already in the stored form of a date, "YYYY-MM-DD" or "YYYY-MM-DD hh:mm:ss".
bool IsStoredDate(const std::wstring& text) {
    const std::wstring_view form = L"0000-00-00 00:00:00";
    if (text.size() != 10 && text.size() != form.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= L'0' && text[i] <= L'9';
        if (form[i] == L'0' ? !digit : text[i] != form[i]) return false;
    }
    return true;
}

}  // namespace

StoredValue FromVariant(const VARIANT& value) {
    StoredValue stored;
    switch (V_VT(&value)) {
        case VT_EMPTY:
        case VT_NULL:
            return stored;
        case VT_BSTR:
            stored.kind = StoredValue::Kind::Text;
            stored.text.assign(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
            return stored;
        case VT_DATE:
            stored.kind = StoredValue::Kind::Text;
            stored.text = DateText(V_DATE(&value));
            return stored;
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DECIMAL: {
            VARIANT real;
            VariantInit(&real);
            if (FAILED(VariantChangeType(&real, const_cast<VARIANT*>(&value), 0, VT_R8)))
                throw ConversionError();
            stored.kind = StoredValue::Kind::Real;
            stored.real = V_R8(&real);
            return stored;
        }
        default: {
            VARIANT whole;
            VariantInit(&whole);
            if (FAILED(VariantChangeType(&whole, const_cast<VARIANT*>(&value), 0, VT_I8)))
                throw ConversionError();
            stored.kind = StoredValue::Kind::Integer;
            stored.integer = V_I8(&whole);
            return stored;
        }
    }
}

Affinity ColumnAffinity(const std::wstring& declaredType) {
    const std::wstring type = Upper(declaredType);
    if (type.find(L"DATE") != std::wstring::npos || type.find(L"TIME") != std::wstring::npos)
        return Affinity::Date;
    if (type.find(L"INT") != std::wstring::npos) return Affinity::Integer;
    for (const wchar_t* text : {L"CHAR", L"CLOB", L"TEXT"}) {
        if (type.find(text) != std::wstring::npos) return Affinity::Text;
    }
    if (type.empty() || type.find(L"BLOB") != std::wstring::npos) return Affinity::Any;
    return Affinity::Real;
}

Affinity ParameterAffinity(const std::wstring& parameterType) {
    const std::wstring type = Upper(parameterType);
    for (const wchar_t* whole : {L"LONG", L"SHORT", L"BYTE", L"INTEGER", L"BIT", L"YESNO"}) {
        if (type.rfind(whole, 0) == 0 && type.rfind(L"LONGTEXT", 0) != 0) return Affinity::Integer;
    }
    for (const wchar_t* real : {L"DOUBLE", L"IEEEDOUBLE", L"SINGLE", L"IEEESINGLE", L"CURRENCY"}) {
        if (type.rfind(real, 0) == 0) return Affinity::Real;
    }
    for (const wchar_t* text : {L"TEXT", L"LONGTEXT", L"MEMO", L"CHAR"}) {
        if (type.rfind(text, 0) == 0) return Affinity::Text;
    }
    return Affinity::Any;
}

StoredValue Converted(StoredValue value, Affinity affinity) {
    if (value.kind != StoredValue::Kind::Text) return value;
    if (affinity == Affinity::Date) {
        if (IsStoredDate(value.text)) return value;
        DATE date = 0;
        if (FAILED(VarDateFromStr(value.text.data(), LOCALE_USER_DEFAULT, 0, &date)))
            throw ConversionError();
        value.text = DateText(date);
        return value;
    }
    if (affinity != Affinity::Integer && affinity != Affinity::Real) return value;
    double number = 0;
    if (!ReadNumber(value.text, number)) throw ConversionError();
    value.text.clear();
    if (affinity == Affinity::Integer &&
        number == static_cast<double>(static_cast<long long>(number))) {
        value.kind = StoredValue::Kind::Integer;
        value.integer = static_cast<long long>(number);
    } else {
        value.kind = StoredValue::Kind::Real;
        value.real = number;
    }
    return value;
}

Store::Store(const std::wstring& path) : path_(path) {
    if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        throw MissingFile(path);
    if (sqlite3_open_v2(Utf8(path).c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
            SQLITE_OK) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw EngineError{3343, L"Unrecognized database format '" + path + L"'."};
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 1000);
}

Store::~Store() { sqlite3_close_v2(db_); }

void Store::Fail() {
    const int code = sqlite3_extended_errcode(db_);
    const std::wstring message = Wide(sqlite3_errmsg(db_));
    auto after = [&](const std::wstring& prefix, std::wstring& rest) {
        const auto at = message.find(prefix);
        if (at == std::wstring::npos) return false;
        rest = message.substr(at + prefix.size());
        return true;
    };
    std::wstring name;
    switch (code) {
        case SQLITE_CONSTRAINT_UNIQUE:
        case SQLITE_CONSTRAINT_PRIMARYKEY:
            throw DuplicateKey();
        case SQLITE_CONSTRAINT_NOTNULL:
            after(L"NOT NULL constraint failed: ", name);
            throw RequiredField(name);
        case SQLITE_CONSTRAINT_CHECK:
            throw EngineError{3317,
                              L"One or more values are prohibited by the validation rule "
                              L"set for the table.  Enter a value that the expression for "
                              L"this field can accept."};
        default:
            break;
    }
    if (after(L"no such table: ", name)) throw MissingTable(name);
    if (after(L" has no column named ", name)) {
        throw EngineError{3127,
                          L"The INSERT INTO statement contains the following unknown field "
                          L"name: '" +
                              name +
                              L"'.  Make sure you have typed the name correctly, and try "
                              L"the operation again."};
    }
    if (after(L"no such column: ", name))
        throw EngineError{3061, L"Too few parameters. Expected 1."};
    throw ReservedError(3000, L"Reserved error (" + std::to_wstring(code) + L"): " + message);
}

void Store::Run(const std::wstring& sql, const std::vector<StoredValue>& values, bool failOnError) {
    const std::string text = Utf8(sql);
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_, text.c_str(), static_cast<int>(text.size()), &raw, nullptr) !=
        SQLITE_OK)
        Fail();
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int at = static_cast<int>(i) + 1;
        const StoredValue& value = values[i];
        switch (value.kind) {
            case StoredValue::Kind::Null:
                sqlite3_bind_null(raw, at);
                break;
            case StoredValue::Kind::Integer:
                sqlite3_bind_int64(raw, at, value.integer);
                break;
            case StoredValue::Kind::Real:
                sqlite3_bind_double(raw, at, value.real);
                break;
            case StoredValue::Kind::Text: {
                const std::string utf8 = Utf8(value.text);
                sqlite3_bind_text(raw, at, utf8.data(), static_cast<int>(utf8.size()),
                                  SQLITE_TRANSIENT);
                break;
            }
        }
    }
    while (true) {
        const int rc = sqlite3_step(raw);
        if (rc == SQLITE_DONE) return;
        if (rc == SQLITE_ROW) continue;
        if ((rc & 0xFF) == SQLITE_CONSTRAINT && !failOnError) return;
        Fail();
    }
}

std::vector<Store::Column> Store::Columns(const std::wstring& table) {
    std::vector<Column> columns;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT name, type FROM pragma_table_info(?1)", -1, &raw,
                           nullptr) != SQLITE_OK)
        Fail();
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    const std::string name = Utf8(table);
    sqlite3_bind_text(raw, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(raw) == SQLITE_ROW) {
        columns.push_back(
            {Wide(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0))),
             ColumnAffinity(Wide(reinterpret_cast<const char*>(sqlite3_column_text(raw, 1))))});
    }
    if (columns.empty()) throw MissingTable(table);
    return columns;
}

void Store::Insert(const std::wstring& table,
                   const std::vector<std::pair<std::wstring, StoredValue>>& row) {
    auto quoted = [](const std::wstring& name) {
        std::wstring out = L"\"";
        for (wchar_t c : name) out += (c == L'"') ? std::wstring(L"\"\"") : std::wstring(1, c);
        return out + L"\"";
    };
    std::wstring names, places;
    std::vector<StoredValue> values;
    for (const auto& [column, value] : row) {
        if (!names.empty()) names += L",", places += L",";
        names += quoted(column);
        places += L"?" + std::to_wstring(values.size() + 1);
        values.push_back(value);
    }
    const std::wstring sql = row.empty() ? L"INSERT INTO " + quoted(table) + L" DEFAULT VALUES"
                                         : L"INSERT INTO " + quoted(table) + L" (" + names +
                                               L") VALUES (" + places + L")";
    Run(sql, values, true);
}

void Store::Begin() {
    if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) Fail();
}

void Store::Commit() {
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) Fail();
}

void Store::Rollback() {
    if (sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK) Fail();
}

}  // namespace dao_standin
