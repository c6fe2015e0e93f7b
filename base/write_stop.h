// The end of the session: once the program has saved everything in answer
// to it, the system may end the process at any moment, and nothing may be
// written after that save. A dialog that was open then and closes, or a
// change that was under way, would otherwise write over what was saved (or
// leave a file half written when the process is ended).
#pragma once

namespace vistelle {

// From now on every file write of the program fails without touching the
// disk. There is no way back: the session is over.
void StopWrites();
bool WritesStopped();

}  // namespace vistelle
