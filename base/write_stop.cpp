#include "base/write_stop.h"

#include <atomic>

namespace vistelle {

namespace {
std::atomic<bool> g_stopped{false};
}  // namespace

void StopWrites() { g_stopped.store(true); }
bool WritesStopped() { return g_stopped.load(); }

}  // namespace vistelle
