// Temporary object without downloads, so that the COM shell can be built and registered before
// the serial download exists.
#include "core/murello.h"

namespace reader {
namespace {

class PendingMurello : public Murello {
  public:
    void Scarica() override { throw RaisedError{445, L"Scarica is not available yet"}; }
};

}  // namespace

std::unique_ptr<Murello> CreateMurello() { return std::make_unique<PendingMurello>(); }

}  // namespace reader
