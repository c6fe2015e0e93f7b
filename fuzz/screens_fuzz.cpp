// The reader of the monitors' settings and the schedule on arbitrary
// config.ini contents: whatever it makes of them must save and read back as
// the same, and a rule's evaluation must hold up for any rule it read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/schedule.h"
#include "config/ini_document.h"
#include "config/profile_store.h"
#include "config/screens_and_times.h"

namespace {

// The profile functions over one document in memory.
class DocumentStore final : public vistelle::ProfileStore {
 public:
  explicit DocumentStore(const std::string& text) : doc_(text) {}
  int GetInt(const std::string&, const std::string& section, const std::string& key, int fallback) override {
    const auto value = doc_.Get(section, key);
    return value && !value->empty() ? vistelle::ParseProfileInt(*value) : fallback;
  }
  std::string GetString(const std::string&, const std::string& section, const std::string& key,
                        const std::string& fallback, std::size_t buffer_size) override {
    const auto value = doc_.Get(section, key);
    return (value ? *value : fallback).substr(0, buffer_size - 1);
  }
  bool WriteString(const std::string&, const std::string& section, const std::string& key,
                   const std::string& value) override {
    return doc_.Set(section, key, value);
  }

 private:
  vistelle::IniDocument doc_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  DocumentStore store(std::string(reinterpret_cast<const char*>(data), size));
  vistelle::ScreensAndTimes read;
  read.Load(store, "config.ini");
  if (!read.Save(store, "config.ini")) return 0;
  vistelle::ScreensAndTimes again;
  again.Load(store, "config.ini");
  if (again != read) std::abort();
  vistelle::LocalMoment now;
  now.year = 2026, now.month = 6, now.day = 21, now.weekday = 6, now.minute = 12 * 60;
  const std::int32_t rule = vistelle::RuleInForce(read.rules, read.place, now);
  if (rule < -1 || rule >= static_cast<std::int32_t>(read.rules.size())) std::abort();
  const std::int32_t next = vistelle::MinutesToNextBoundary(read.rules, read.place, now);
  if (next < 1 || next > 1440) std::abort();
  return 0;
}
