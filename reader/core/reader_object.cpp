#include "core/reader_object.h"

namespace reader {

void ReaderObject::Scarica() { pen_.Scarica(Porta, DbPath); }

void ReaderObject::Upload1() {
    // The full build's form reports its own errors; Murello113's raise them to the caller.
    CaricaVXForm& form = services_.CaricaVX();
    form.Load();
    form.Unload();
}

}  // namespace reader
