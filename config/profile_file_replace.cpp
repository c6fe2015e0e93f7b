#include "config/profile_file_replace.h"

#include <cstdint>
#include <vector>

#include "base/file_io.h"

namespace vistelle {

namespace {

// No settings file comes near this; a larger one is not ours to copy.
constexpr std::uint64_t kMaxConfigBytes = 16u << 20;

}  // namespace

ReplacingProfileStore::~ReplacingProfileStore() { Abort(); }

std::string ReplacingProfileStore::StagingNameFor(const std::string& file) { return file + ".saving"; }

bool ReplacingProfileStore::Begin(const std::string& file) {
  Abort();
  if (file.empty()) return false;
  const std::string staging = StagingNameFor(file);
  std::vector<std::uint8_t> bytes;
  if (FileExists(file)) {
    if (!ReadWholeFile(file, bytes, kMaxConfigBytes)) return false;
  }
  // A staging file left by an interrupted save is simply written over.
  if (!WriteFileReplacing(staging, bytes.data(), bytes.size())) return false;
  file_ = file;
  staging_ = staging;
  write_failed_ = false;
  return true;
}

bool ReplacingProfileStore::Commit() {
  if (!InSave()) return false;
  std::vector<std::uint8_t> bytes;
  bool ok = !write_failed_ && ReadWholeFile(staging_, bytes, kMaxConfigBytes);
  if (ok) ok = WriteFileReplacing(file_, bytes.data(), bytes.size());
  Abort();
  return ok;
}

void ReplacingProfileStore::Abort() {
  if (!staging_.empty()) RemoveFile(staging_);
  staging_.clear();
  file_.clear();
  write_failed_ = false;
}

const std::string& ReplacingProfileStore::Route(const std::string& file) const {
  return InSave() && file == file_ ? staging_ : file;
}

int ReplacingProfileStore::GetInt(const std::string& file, const std::string& section, const std::string& key,
                                  int default_value) {
  return inner_.GetInt(Route(file), section, key, default_value);
}

std::string ReplacingProfileStore::GetString(const std::string& file, const std::string& section,
                                             const std::string& key, const std::string& default_value,
                                             std::size_t buffer_size) {
  return inner_.GetString(Route(file), section, key, default_value, buffer_size);
}

bool ReplacingProfileStore::WriteString(const std::string& file, const std::string& section,
                                        const std::string& key, const std::string& value) {
  const std::string& target = Route(file);
  const bool ok = inner_.WriteString(target, section, key, value);
  if (!ok && &target == &staging_) write_failed_ = true;
  return ok;
}

}  // namespace vistelle
