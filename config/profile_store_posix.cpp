#include "config/profile_store.h"

namespace vistelle {

// Without the Windows functions, the program's own INI files serve.
std::unique_ptr<ProfileStore> MakeSystemProfileStore() { return MakeIniFileProfileStore(); }

}  // namespace vistelle
