// What registering the Murello class writes into the classes root, apart from the type library
// (which the system's type-library registration writes and removes itself).
#pragma once

#include <string>
#include <vector>

namespace reader::com {

struct ClassIdentity {
    std::wstring clsid;        // "{...}", as StringFromGUID2 writes it
    std::wstring libraryId;    // the type library's identifier, same form
    std::wstring libraryName;  // e.g. "Murello11500"
    std::wstring className;    // "Murello"
    std::wstring version;      // the type library's version, "1.0"
    std::wstring serverPath;   // full path of the DLL
};

// One value under the classes root; an empty name is the key's default value.
struct RegistryValue {
    std::wstring key;
    std::wstring name;
    std::wstring data;
    bool operator==(const RegistryValue&) const = default;
};

// The ProgID under which the class is registered: library name + "." + class name.
std::wstring ProgId(const ClassIdentity& identity);

// Every value that registration writes, parents before children.
std::vector<RegistryValue> ClassRegistrationValues(const ClassIdentity& identity);

// The keys that unregistration removes with everything below them.
std::vector<std::wstring> ClassRegistrationRoots(const ClassIdentity& identity);

}  // namespace reader::com
