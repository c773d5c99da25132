#include "com/server_module.h"

#include <atomic>

namespace reader::com {
namespace {

HMODULE module = nullptr;
// Objects of an apartment-threaded server may still live in several apartments at once.
std::atomic<long> liveObjects{0};
std::atomic<long> locks{0};

}  // namespace

HMODULE ThisModule() { return module; }
void SetThisModule(HMODULE m) { module = m; }

void ObjectCreated() { ++liveObjects; }
void ObjectDestroyed() { --liveObjects; }
void Lock() { ++locks; }
void Unlock() { --locks; }
bool CanUnload() { return liveObjects == 0 && locks == 0; }

}  // namespace reader::com
