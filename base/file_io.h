// Whole-file reads and crash-safe whole-file writes. Paths are UTF-8 (on
// Windows the program runs with the UTF-8 code page, so this is also what
// the ...A functions take and return).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vistelle {

// Reads the whole file. False when it cannot be opened or read, or when it
// is larger than max_bytes.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::uint64_t max_bytes);

// Reads the file's first max_bytes bytes, or the whole file when it is
// shorter (out then holds fewer than max_bytes). False when it cannot be
// opened or read.
bool ReadFilePrefix(const std::string& path, std::size_t max_bytes, std::vector<std::uint8_t>& out);

// Writes data to a temporary file in the same folder, flushes it to the disk
// and then puts it in the place of path in one step. Whoever opens path sees
// either the old file or the complete new one, never a part, also after a
// power loss. False, with path as it was, on any failure.
bool WriteFileReplacing(const std::string& path, const void* data, std::size_t size);

// The same, for a file made of several pieces written one after the other.
// With flush false the new file is not forced to the disk before it takes
// the old one's place: a crash of the program still leaves one whole file,
// a power loss may not. For files that can be made again (the composed
// wallpaper), where a flush of many megabytes would cost more than it saves.
struct ByteRange {
  const void* data;
  std::size_t size;
};
bool WriteFileReplacing(const std::string& path, const std::vector<ByteRange>& pieces, bool flush = true);

// A file that takes the place of path once it is complete, written
// meanwhile in pieces at any offsets (by one thread at a time) to the
// temporary file WriteFileReplacing uses; dropped, the temporary file
// removed, unless committed. Commit puts it in place as WriteFileReplacing
// does, and tells a failure the same way.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile() { Abandon(); }
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  bool Open(const std::string& path);
  bool IsOpen() const { return handle_ != kClosed; }
  bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);
  bool Commit(bool flush);
  void Abandon();

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::string path_;
  std::intptr_t handle_ = kClosed;  // the descriptor, or the HANDLE on Windows
};

// Why the last WriteFileReplacing of this thread failed, in the system's
// words ("Access is denied."); empty after one that succeeded.
std::string LastWriteError();

// Whether a file can be made in the folder (one is made and removed again);
// the system's reason when not.
bool CanWriteIn(const std::string& folder, std::string* reason);

// The name of the temporary file that WriteFileReplacing uses for path.
std::string TemporaryNameFor(const std::string& path);

bool FileExists(const std::string& path);
// The file's size and last write time (in the system's units), which tell
// whether it is still the file written; false when it is not there.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t written = 0;
  friend bool operator==(const FileStamp& a, const FileStamp& b) { return a.size == b.size && a.written == b.written; }
};
bool StampOf(const std::string& path, FileStamp& out);
bool RemoveFile(const std::string& path);

}  // namespace vistelle
