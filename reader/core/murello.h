// The reader component's object, apart from COM: its stored properties and its methods. The COM
// shell (reader/com) owns one of these per Murello object and forwards every call to it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/errors.h"

namespace reader {

class Murello {
  public:
    virtual ~Murello() = default;

    // Plain stored values; no accessor has a side effect.
    std::int32_t Porta = 0;
    std::wstring DbPath;
    std::int16_t IdUt = 0;

    virtual void Scarica() = 0;
};

// Creates the object with the Windows serial line, database, file and message-box services.
// Throws RaisedError when the serial line cannot be created or configured (the object creation
// then fails).
std::unique_ptr<Murello> CreateMurello();

}  // namespace reader
