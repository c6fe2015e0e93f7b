// Saving several keys of one INI file so that the file is never left half
// written: while a save is open, the keys go into a copy of the file beside
// it, and the copy takes the file's place in one step when the save is
// committed. A save that is interrupted (the program killed, the power gone)
// leaves the old file whole; a failed write leaves it untouched.
//
// The store wraps the system's store, and everything outside an open save
// goes straight through to it.
#pragma once

#include <cstddef>
#include <string>

#include "config/profile_store.h"

namespace vistelle {

class ReplacingProfileStore final : public ProfileStore {
 public:
  explicit ReplacingProfileStore(ProfileStore& inner) : inner_(inner) {}
  ~ReplacingProfileStore() override;

  ReplacingProfileStore(const ReplacingProfileStore&) = delete;
  ReplacingProfileStore& operator=(const ReplacingProfileStore&) = delete;

  // Opens a save of file: copies it (when there is one) to the staging file,
  // which receives the writes and answers the reads of file from now on.
  // False when the copy cannot be made; the writes then go to the file
  // itself, key by key, as without a save.
  bool Begin(const std::string& file);
  // Puts the staging file in the file's place. False, with the file as it
  // was, when a write failed or the file cannot be replaced.
  bool Commit();
  // Drops the staging file; the file stays as it was.
  void Abort();

  bool InSave() const { return !staging_.empty(); }
  // The name of the copy that a save of file writes into.
  static std::string StagingNameFor(const std::string& file);

  int GetInt(const std::string& file, const std::string& section, const std::string& key,
             int default_value) override;
  std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& default_value, std::size_t buffer_size) override;
  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override;

 private:
  const std::string& Route(const std::string& file) const;

  ProfileStore& inner_;
  std::string file_;
  std::string staging_;
  bool write_failed_ = false;
};

}  // namespace vistelle
