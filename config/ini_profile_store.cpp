// The program's own private-profile store: an IniDocument read from the file
// at every call and written back whole, through a temporary file, at every
// change, so that a reader never sees half a file.
#include <algorithm>

#include "base/file_io.h"
#include "config/ini_document.h"
#include "config/profile_store.h"

namespace vistelle {

namespace {

// An INI file larger than this is not a settings file; it reads as missing.
constexpr std::uint64_t kMaxIniBytes = 16u << 20;
// The buffer GetPrivateProfileIntA reads a number into.
constexpr std::size_t kIntBuffer = 30;

class IniFileProfileStore final : public ProfileStore {
 public:
  int GetInt(const std::string& file, const std::string& section, const std::string& key,
             int default_value) override {
    const std::string value = GetString(file, section, key, "", kIntBuffer);
    return value.empty() ? default_value : ParseProfileInt(value);
  }

  std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& default_value, std::size_t buffer_size) override {
    if (buffer_size == 0) return std::string();
    std::string value = default_value;
    if (auto found = Read(file).Get(section, key)) value = std::move(*found);
    if (value.size() > buffer_size - 1) value.resize(buffer_size - 1);
    return value;
  }

  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override {
    IniDocument doc = Read(file);
    if (!doc.Set(section, key, value)) return false;
    const std::string text = doc.Text();
    return WriteFileReplacing(file, text.data(), text.size());
  }

 private:
  static IniDocument Read(const std::string& file) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(file, bytes, kMaxIniBytes)) return IniDocument();
    return IniDocument(std::string(bytes.begin(), bytes.end()));
  }
};

}  // namespace

std::unique_ptr<ProfileStore> MakeIniFileProfileStore() { return std::make_unique<IniFileProfileStore>(); }

}  // namespace vistelle
