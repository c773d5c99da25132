// QueryDef with its Parameters, and the append-only Recordset with its Fields.
#include <cwctype>
#include <functional>
#include <optional>

#include "call_record.h"
#include "dao_objects.h"

namespace dao_standin {
namespace {

bool SameText(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    }
    return true;
}

std::wstring Trimmed(const std::wstring& text) {
    const auto first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

std::wstring Unbracketed(const std::wstring& name) {
    const std::wstring trimmed = Trimmed(name);
    if (trimmed.size() >= 2 && trimmed.front() == L'[' && trimmed.back() == L']')
        return trimmed.substr(1, trimmed.size() - 2);
    return trimmed;
}

// A value that a member keeps, with its own copy of the VARIANT.
struct HeldValue {
    HeldValue() { VariantInit(&value); }
    ~HeldValue() { VariantClear(&value); }
    HeldValue(const HeldValue&) = delete;
    HeldValue& operator=(const HeldValue&) = delete;
    void Set(const VARIANT& from) {
        VariantClear(&value);
        VariantCopyInd(&value, const_cast<VARIANT*>(&from));
    }
    VARIANT value;
};

struct Parameter {
    std::wstring name;
    std::wstring type;
    HeldValue held;
};

// "PARAMETERS a Text ( 255 ), b Long; body": the declarations, and the body with every use of a
// declared name replaced by SQLite's numbered placeholder.
std::wstring ParseParameters(const std::wstring& sql,
                             std::vector<std::unique_ptr<Parameter>>& out) {
    const std::wstring keyword = L"PARAMETERS ";
    const std::wstring start = Trimmed(sql);
    if (start.size() < keyword.size() || !SameText(start.substr(0, keyword.size()), keyword))
        return sql;
    const auto semicolon = start.find(L';');
    if (semicolon == std::wstring::npos) throw EngineError{3141, L"Syntax error in PARAMETERS."};
    const std::wstring clause = start.substr(keyword.size(), semicolon - keyword.size());
    int depth = 0;
    std::wstring declaration;
    auto declare = [&] {
        const std::wstring text = Trimmed(declaration);
        declaration.clear();
        std::size_t end = text[0] == L'[' ? text.find(L']') + 1 : text.find(L' ');
        auto parameter = std::make_unique<Parameter>();
        parameter->name = Unbracketed(text.substr(0, end));
        parameter->type = Trimmed(end < text.size() ? text.substr(end) : L"");
        out.push_back(std::move(parameter));
    };
    for (wchar_t c : clause) {
        if (c == L'(') ++depth;
        if (c == L')') --depth;
        if (c == L',' && depth == 0) {
            declare();
        } else {
            declaration += c;
        }
    }
    declare();
    const std::wstring body = start.substr(semicolon + 1);
    std::wstring translated;
    auto placeholder = [&](const std::wstring& name) -> std::optional<std::wstring> {
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (SameText(out[i]->name, name)) return L"?" + std::to_wstring(i + 1);
        }
        return std::nullopt;
    };
    for (std::size_t i = 0; i < body.size();) {
        const wchar_t c = body[i];
        if (c == L'\'' || c == L'"') {
            const auto close = body.find(c, i + 1);
            const std::size_t end = close == std::wstring::npos ? body.size() : close + 1;
            translated += body.substr(i, end - i);
            i = end;
        } else if (c == L'[') {
            const auto close = body.find(L']', i);
            const std::size_t end = close == std::wstring::npos ? body.size() : close + 1;
            const std::wstring word = body.substr(i, end - i);
            translated += placeholder(Unbracketed(word)).value_or(word);
            i = end;
        } else if (std::iswalpha(static_cast<wint_t>(c)) || c == L'_') {
            std::size_t end = i;
            while (end < body.size() &&
                   (std::iswalnum(static_cast<wint_t>(body[end])) || body[end] == L'_'))
                ++end;
            const std::wstring word = body.substr(i, end - i);
            translated += placeholder(word).value_or(word);
            i = end;
        } else {
            translated += c;
            ++i;
        }
    }
    return translated;
}

using ParameterList = std::vector<std::unique_ptr<Parameter>>;

std::size_t FindItem(const Arguments& arguments, std::size_t count,
                     const std::function<std::wstring(std::size_t)>& nameAt) {
    if (V_VT(&arguments.At(0)) == VT_BSTR) {
        const std::wstring name = arguments.Text(0);
        for (std::size_t i = 0; i < count; ++i) {
            if (SameText(nameAt(i), name)) return i;
        }
        throw ItemNotFound();
    }
    const std::int32_t index = arguments.Number(0, -1);
    if (index < 0 || static_cast<std::size_t>(index) >= count) throw ItemNotFound();
    return static_cast<std::size_t>(index);
}

// One item of a collection (a parameter or a field) whose Value is set by the component.
class Item : public DispatchObject {
  public:
    using Assign = std::function<void(const VARIANT&)>;
    using Read = std::function<void(VARIANT&)>;
    // type: the field's DAO type constant, which a field offers as Type; 0 for a parameter.
    Item(std::wstring name, Assign assign, Read read, short type = 0)
        : DispatchObject({L"Value", L"Name", L"Type"}, L"Value"),
          name_(std::move(name)),
          assign_(std::move(assign)),
          read_(std::move(read)),
          type_(type) {}

  protected:
    void Call(const std::wstring& member, WORD flags, const Arguments& arguments,
              VARIANT& result) override {
        if (member == L"Name") {
            V_VT(&result) = VT_BSTR;
            V_BSTR(&result) = SysAllocString(name_.c_str());
        } else if (member == L"Type") {
            if (type_ == 0)
                throw EngineError{438, L"Object doesn't support this property or method"};
            V_VT(&result) = VT_I2;
            V_I2(&result) = type_;
        } else if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) &&
                   arguments.Assigned()) {
            assign_(*arguments.Assigned());
        } else {
            read_(result);
        }
    }

  private:
    std::wstring name_;
    Assign assign_;
    Read read_;
    short type_;
};

// The DAO type of a field, by the column's declared type: dbLong, dbDouble, dbDate, dbText
// (dbLongBinary for a column of no type).
short FieldType(Affinity affinity) {
    switch (affinity) {
        case Affinity::Integer:
            return 4;
        case Affinity::Real:
            return 7;
        case Affinity::Date:
            return 8;
        case Affinity::Text:
            return 10;
        default:
            return 11;
    }
}

// A collection whose items are found by name or by position; `collection(x) = v` sets the
// item's value, as a script may write it.
class Collection : public DispatchObject {
  public:
    using MakeItem = std::function<DispatchObject*(const Arguments&)>;
    using AssignItem = std::function<void(const Arguments&, const VARIANT&)>;
    Collection(std::size_t count, MakeItem make, AssignItem assign)
        : DispatchObject({L"Item", L"Count"}, L"Item"),
          count_(count),
          make_(std::move(make)),
          assign_(std::move(assign)) {}

    // Also the owner's shortcut: Parameters(x), Fields(x), and their assignments.
    static void Answer(const Arguments& arguments, WORD flags, const MakeItem& make,
                       const AssignItem& assign, VARIANT& result) {
        if (arguments.Count() != 1) throw EngineError{450, L"Wrong number of arguments"};
        if ((flags & DISPATCH_PROPERTYPUT) && arguments.Assigned()) {
            assign(arguments, *arguments.Assigned());
        } else {
            ReturnObject(result, make(arguments));
        }
    }

  protected:
    void Call(const std::wstring& member, WORD flags, const Arguments& arguments,
              VARIANT& result) override {
        if (member == L"Count") {
            V_VT(&result) = VT_I4;
            V_I4(&result) = static_cast<LONG>(count_);
            return;
        }
        Answer(arguments, flags, make_, assign_, result);
    }

  private:
    std::size_t count_;
    MakeItem make_;
    AssignItem assign_;
};

class QueryDef : public DispatchObject {
  public:
    QueryDef(std::shared_ptr<Store> store, const std::wstring& name, const std::wstring& sql)
        : DispatchObject({L"Parameters", L"Execute", L"Close", L"SQL", L"Name"}, L""),
          store_(std::move(store)),
          name_(name),
          parameters_(std::make_shared<ParameterList>()) {
        body_ = ParseParameters(sql, *parameters_);
    }

  protected:
    void Call(const std::wstring& member, WORD flags, const Arguments& arguments,
              VARIANT& result) override {
        if (member == L"Parameters") {
            if (arguments.Count() == 0) {
                ReturnObject(result,
                             new Collection(parameters_->size(), ParameterMaker(), Assigner()));
            } else {
                Collection::Answer(arguments, flags, ParameterMaker(), Assigner(), result);
            }
        } else if (member == L"Execute") {
            RecordCall({L"QueryDefExecute", TextOrDash(arguments, 0)});
            std::vector<StoredValue> values;
            for (const auto& parameter : *parameters_) {
                values.push_back(Converted(FromVariant(parameter->held.value),
                                           ParameterAffinity(parameter->type)));
            }
            store_->Run(body_, values, (arguments.Number(0, 0) & 128) != 0);
        } else if (member == L"Close") {
            RecordCall({L"QueryDefClose"});
        } else if (member == L"SQL") {
            V_VT(&result) = VT_BSTR;
            V_BSTR(&result) = SysAllocString(body_.c_str());
        } else {
            V_VT(&result) = VT_BSTR;
            V_BSTR(&result) = SysAllocString(name_.c_str());
        }
    }

  private:
    static void Assign(Parameter& parameter, const VARIANT& value) {
        RecordCall(
            {L"Parameter", parameter.name, std::to_wstring(V_VT(&value)), RecordedValue(value)});
        // A value the declared type cannot take fails when it is set, as in the engine.
        Converted(FromVariant(value), ParameterAffinity(parameter.type));
        parameter.held.Set(value);
    }

    Collection::AssignItem Assigner() {
        auto parameters = parameters_;
        return [parameters](const Arguments& arguments, const VARIANT& value) {
            const std::size_t index = FindItem(arguments, parameters->size(), [&](std::size_t i) {
                return (*parameters)[i]->name;
            });
            Assign(*(*parameters)[index], value);
        };
    }

    Collection::MakeItem ParameterMaker() {
        auto parameters = parameters_;
        return [parameters](const Arguments& arguments) -> DispatchObject* {
            const std::size_t index = FindItem(arguments, parameters->size(), [&](std::size_t i) {
                return (*parameters)[i]->name;
            });
            Parameter* parameter = (*parameters)[index].get();
            return new Item(
                parameter->name,
                [parameters, parameter](const VARIANT& v) { Assign(*parameter, v); },
                [parameters, parameter](VARIANT& out) {
                    VariantCopy(&out, &parameter->held.value);
                });
        };
    }

    std::shared_ptr<Store> store_;
    std::wstring name_;
    std::shared_ptr<ParameterList> parameters_;
    std::wstring body_;
};

// The rows being added through an append-only record set.
struct RecordsetState {
    std::shared_ptr<Store> store;
    std::wstring table;
    std::vector<Store::Column> columns;
    bool adding = false;
    bool closed = false;
    std::vector<std::optional<StoredValue>> pending;
};

EngineError NoCurrentAdd() { return {3020, L"Update or CancelUpdate without AddNew or Edit."}; }

void ToVariant(const StoredValue& value, VARIANT& out) {
    switch (value.kind) {
        case StoredValue::Kind::Null:
            V_VT(&out) = VT_NULL;
            break;
        case StoredValue::Kind::Integer:
            V_VT(&out) = VT_I4;
            V_I4(&out) = static_cast<LONG>(value.integer);
            break;
        case StoredValue::Kind::Real:
            V_VT(&out) = VT_R8;
            V_R8(&out) = value.real;
            break;
        case StoredValue::Kind::Text:
            V_VT(&out) = VT_BSTR;
            V_BSTR(&out) = SysAllocString(value.text.c_str());
            break;
    }
}

class Recordset : public DispatchObject {
  public:
    Recordset(std::shared_ptr<Store> store, const std::wstring& source)
        : DispatchObject({L"AddNew", L"Update", L"CancelUpdate", L"Fields", L"Close"}, L"Fields"),
          state_(std::make_shared<RecordsetState>()) {
        const std::wstring prefix = L"select * from ";
        const std::wstring text = Trimmed(source);
        state_->table =
            text.size() > prefix.size() && SameText(text.substr(0, prefix.size()), prefix)
                ? Unbracketed(text.substr(prefix.size()))
                : Unbracketed(text);
        state_->columns = store->Columns(state_->table);
        state_->store = std::move(store);
    }

  protected:
    void Call(const std::wstring& member, WORD flags, const Arguments& arguments,
              VARIANT& result) override {
        RecordsetState& state = *state_;
        if (member != L"Fields") RecordCall({member == L"Close" ? L"RecordsetClose" : member});
        if (state.closed) throw EngineError{3420, L"Object invalid or no longer set."};
        if (member == L"AddNew") {
            state.adding = true;
            state.pending.assign(state.columns.size(), std::nullopt);
        } else if (member == L"Update") {
            if (!state.adding) throw NoCurrentAdd();
            std::vector<std::pair<std::wstring, StoredValue>> row;
            for (std::size_t i = 0; i < state.columns.size(); ++i) {
                if (state.pending[i]) row.emplace_back(state.columns[i].name, *state.pending[i]);
            }
            state.store->Insert(state.table, row);
            state.adding = false;
        } else if (member == L"CancelUpdate") {
            state.adding = false;
        } else if (member == L"Close") {
            state.closed = true;
        } else if (arguments.Count() == 0) {
            ReturnObject(result, new Collection(state.columns.size(), FieldMaker(), Assigner()));
        } else {
            Collection::Answer(arguments, flags, FieldMaker(), Assigner(), result);
        }
    }

  private:
    static std::size_t FindField(const RecordsetState& state, const Arguments& arguments) {
        return FindItem(arguments, state.columns.size(),
                        [&](std::size_t i) { return state.columns[i].name; });
    }

    static void Assign(RecordsetState& state, std::size_t index, const VARIANT& value) {
        const Store::Column& column = state.columns[index];
        RecordCall({L"Field", column.name, std::to_wstring(V_VT(&value)), RecordedValue(value)});
        if (!state.adding) throw NoCurrentAdd();
        state.pending[index] = Converted(FromVariant(value), column.affinity);
    }

    Collection::AssignItem Assigner() {
        auto state = state_;
        return [state](const Arguments& arguments, const VARIANT& value) {
            Assign(*state, FindField(*state, arguments), value);
        };
    }

    Collection::MakeItem FieldMaker() {
        auto state = state_;
        return [state](const Arguments& arguments) -> DispatchObject* {
            const std::size_t index = FindField(*state, arguments);
            return new Item(
                state->columns[index].name,
                [state, index](const VARIANT& value) { Assign(*state, index, value); },
                [state, index](VARIANT& out) {
                    const bool set = state->adding && state->pending[index];
                    ToVariant(set ? *state->pending[index] : StoredValue{}, out);
                },
                FieldType(state->columns[index].affinity));
        };
    }

    std::shared_ptr<RecordsetState> state_;
};

}  // namespace

DispatchObject* NewQueryDef(std::shared_ptr<Store> store, const std::wstring& name,
                            const std::wstring& sql) {
    return new QueryDef(std::move(store), name, sql);
}

DispatchObject* NewRecordset(std::shared_ptr<Store> store, const std::wstring& source) {
    return new Recordset(std::move(store), source);
}

}  // namespace dao_standin
