#include "terminal/terminal_control.h"

namespace reader {

RaisedError CantCreateObjectError() {
    return {kErrCantCreateObject, L"ActiveX component can't create object"};
}

}  // namespace reader
