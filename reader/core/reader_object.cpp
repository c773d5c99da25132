#include "core/reader_object.h"

#include "core/downloads/infrared_download.h"

namespace reader {

void ReaderObject::Scarica() { pen_.Scarica(Porta, DbPath); }

void ReaderObject::Scarica1() { Scarica1Download({services_, variant_, Porta, DbPath}); }

}  // namespace reader
