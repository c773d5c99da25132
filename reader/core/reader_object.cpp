#include "core/reader_object.h"

namespace reader {

void ReaderObject::Scarica() { pen_.Scarica(Porta, DbPath); }

}  // namespace reader
