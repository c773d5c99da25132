// Late-bound calls that leave out optional by-reference arguments with default values
// (`m.Scarica2 db, file, 3, , 3` from a script). Windows' type information passes the member a
// reference to each default. Wine's (8.0) passes a trailing one's default value itself where the
// member expects a pointer, and after a successful call fails with type mismatch (13) copying
// back into an argument skipped in the middle, though the work is done. So every argument left
// out is filled in here with a reference to its default, and the type information always gets
// them all.
#pragma once

#include <windows.h>
// after windows.h
#include <oaidl.h>

#include <vector>

namespace reader::com {

class DefaultedArguments {
  public:
    DefaultedArguments() = default;
    DefaultedArguments(const DefaultedArguments&) = delete;
    DefaultedArguments& operator=(const DefaultedArguments&) = delete;
    ~DefaultedArguments();

    // The parameters to invoke member id with: params itself when nothing is left out (or
    // the call is not a plain positional method call), else a completed copy that lives as long
    // as this object.
    DISPPARAMS* Complete(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params);

  private:
    std::vector<VARIANT> arguments_;  // last argument first, as in DISPPARAMS; our copies
    std::vector<VARIANT> defaults_;   // what the filled-in references point to
    DISPPARAMS completed_{};
};

}  // namespace reader::com
