#include "dao_objects.h"

#include <algorithm>

#include "call_record.h"

namespace dao_standin {

std::wstring TextOrDash(const Arguments& arguments, std::size_t index) {
    return arguments.Has(index) ? arguments.Text(index) : L"-";
}

namespace {

EngineError NoTransaction() {
    return {3034,
            L"You tried to commit or rollback a transaction without first beginning a "
            L"transaction."};
}

EngineError UnknownMember(const std::wstring& member) {
    return {438, L"Object doesn't support this property or method: " + member};
}

void BeginTrans(EngineState& state) {
    RecordCall({L"BeginTrans"});
    if (state.transactions > 0) {
        throw EngineError{3003,
                          L"Could not start transaction; too many transactions already "
                          L"nested."};
    }
    for (Store* store : state.open) store->Begin();
    ++state.transactions;
}

void EndTrans(EngineState& state, bool commit) {
    RecordCall({commit ? L"CommitTrans" : L"Rollback"});
    if (state.transactions == 0) throw NoTransaction();
    --state.transactions;
    for (Store* store : state.open) commit ? store->Commit() : store->Rollback();
}

class Database : public DispatchObject {
  public:
    Database(std::shared_ptr<EngineState> state, const std::wstring& path)
        : DispatchObject({L"Execute", L"CreateQueryDef", L"OpenRecordset", L"Close", L"Name"}, L""),
          state_(std::move(state)),
          store_(std::make_shared<Store>(path)),
          path_(path) {
        if (state_->transactions > 0) store_->Begin();
        state_->open.push_back(store_.get());
    }

  protected:
    ~Database() override { Forget(); }

    void Call(const std::wstring& member, WORD, const Arguments& arguments,
              VARIANT& result) override {
        if (member == L"Close") {
            RecordCall({L"DatabaseClose"});
            Forget();
            return;
        }
        if (!store_) throw EngineError{3420, L"Object invalid or no longer set."};
        if (member == L"Name") {
            V_VT(&result) = VT_BSTR;
            V_BSTR(&result) = SysAllocString(path_.c_str());
        } else if (member == L"Execute") {
            const std::int32_t options = arguments.Number(1, 0);
            RecordCall({L"Execute", arguments.Text(0), TextOrDash(arguments, 1)});
            store_->Run(arguments.Text(0), {}, (options & 128) != 0);
        } else if (member == L"CreateQueryDef") {
            RecordCall({L"CreateQueryDef", arguments.Text(0), arguments.Text(1)});
            ReturnObject(result, NewQueryDef(store_, arguments.Text(0), arguments.Text(1)));
        } else if (member == L"OpenRecordset") {
            RecordCall({L"OpenRecordset", arguments.Text(0), TextOrDash(arguments, 1),
                        TextOrDash(arguments, 2)});
            ReturnObject(result, NewRecordset(store_, arguments.Text(0)));
        } else {
            throw UnknownMember(member);
        }
    }

  private:
    // A database closed inside a transaction loses what the transaction wrote.
    void Forget() {
        if (!store_) return;
        auto& open = state_->open;
        open.erase(std::remove(open.begin(), open.end(), store_.get()), open.end());
        store_.reset();
    }

    std::shared_ptr<EngineState> state_;
    std::shared_ptr<Store> store_;
    std::wstring path_;
};

class Workspace : public DispatchObject {
  public:
    explicit Workspace(std::shared_ptr<EngineState> state)
        : DispatchObject({L"BeginTrans", L"CommitTrans", L"Rollback", L"OpenDatabase", L"Name"},
                         L""),
          state_(std::move(state)) {}

  protected:
    void Call(const std::wstring& member, WORD, const Arguments& arguments,
              VARIANT& result) override {
        if (member == L"BeginTrans") {
            BeginTrans(*state_);
        } else if (member == L"CommitTrans") {
            EndTrans(*state_, true);
        } else if (member == L"Rollback") {
            EndTrans(*state_, false);
        } else if (member == L"OpenDatabase") {
            RecordCall({L"OpenDatabase", arguments.Text(0)});
            ReturnObject(result, new Database(state_, arguments.Text(0)));
        } else {
            V_VT(&result) = VT_BSTR;
            V_BSTR(&result) = SysAllocString(L"#Default Workspace#");
        }
    }

  private:
    std::shared_ptr<EngineState> state_;
};

DispatchObject* WorkspaceAt(const std::shared_ptr<EngineState>& state, const Arguments& arguments,
                            std::size_t index) {
    if (V_VT(&arguments.At(index)) != VT_BSTR && arguments.Number(index, -1) == 0)
        return new Workspace(state);
    throw ItemNotFound();
}

class Workspaces : public DispatchObject {
  public:
    explicit Workspaces(std::shared_ptr<EngineState> state)
        : DispatchObject({L"Item", L"Count"}, L"Item"), state_(std::move(state)) {}

  protected:
    void Call(const std::wstring& member, WORD, const Arguments& arguments,
              VARIANT& result) override {
        if (member == L"Count") {
            V_VT(&result) = VT_I4;
            V_I4(&result) = 1;
            return;
        }
        if (arguments.Count() != 1) throw EngineError{450, L"Wrong number of arguments"};
        ReturnObject(result, WorkspaceAt(state_, arguments, 0));
    }

  private:
    std::shared_ptr<EngineState> state_;
};

class Engine : public DispatchObject {
  public:
    explicit Engine(int version)
        : DispatchObject({L"OpenDatabase", L"Workspaces", L"BeginTrans", L"CommitTrans",
                          L"Rollback", L"Version"},
                         L""),
          state_(std::make_shared<EngineState>()) {
        state_->version = version;
        RecordCall({L"EngineCreated", std::to_wstring(version)});
    }

  protected:
    ~Engine() override { RecordCall({L"EngineReleased", std::to_wstring(state_->version)}); }

    void Call(const std::wstring& member, WORD, const Arguments& arguments,
              VARIANT& result) override {
        if (member == L"OpenDatabase") {
            RecordCall({L"OpenDatabase", arguments.Text(0)});
            ReturnObject(result, new Database(state_, arguments.Text(0)));
        } else if (member == L"Workspaces") {
            // Workspaces(0) straight away, as a script writes it, or the collection.
            if (arguments.Count() == 1) {
                ReturnObject(result, WorkspaceAt(state_, arguments, 0));
            } else {
                ReturnObject(result, new Workspaces(state_));
            }
        } else if (member == L"BeginTrans") {
            BeginTrans(*state_);
        } else if (member == L"CommitTrans") {
            EndTrans(*state_, true);
        } else if (member == L"Rollback") {
            EndTrans(*state_, false);
        } else {
            V_VT(&result) = VT_BSTR;
            V_BSTR(&result) = SysAllocString(state_->version == 36 ? L"3.6" : L"12.0");
        }
    }

  private:
    std::shared_ptr<EngineState> state_;
};

}  // namespace

DispatchObject* NewEngine(int version) { return new Engine(version); }

}  // namespace dao_standin
