#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "base/file_io.h"
#include "base/write_stop.h"

namespace vistelle {

namespace {

thread_local std::string t_write_error;

// Notes errno's reason; false, for the caller to return.
bool Failed() {
  t_write_error = std::strerror(errno);
  return false;
}

}  // namespace

std::string LastWriteError() { return t_write_error; }

bool CanWriteIn(const std::string& folder, std::string* reason) {
  const std::string probe = folder + "/.vistelle-write-test";
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (reason != nullptr) *reason = std::strerror(errno);
    return false;
  }
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

std::string TemporaryNameFor(const std::string& path) { return path + ".tmp"; }

namespace {

// The first limit bytes of a regular file, all of it when it is shorter;
// with whole, a longer file is refused. A read that fails is a failure, not
// a shorter file; out stays as it was on failure.
bool ReadUpTo(const std::string& path, std::uint64_t limit, bool whole, std::vector<std::uint8_t>& out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  const auto file_size = static_cast<std::uint64_t>(ok ? st.st_size : 0);
  ok = ok && !(whole && file_size > limit);
  std::vector<std::uint8_t> data;
  if (ok) {
    data.resize(static_cast<std::size_t>(file_size < limit ? file_size : limit));
    std::size_t done = 0;
    while (ok && done < data.size()) {
      const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ok = false;
      if (n <= 0) break;  // the file shrank meanwhile: take it as it is now
      done += static_cast<std::size_t>(n);
    }
    data.resize(done);
  }
  ::close(fd);
  if (ok) out = std::move(data);
  return ok;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::uint64_t max_bytes) {
  return ReadUpTo(path, max_bytes, true, out);
}

bool ReadFilePrefix(const std::string& path, std::size_t max_bytes, std::vector<std::uint8_t>& out) {
  return ReadUpTo(path, max_bytes, false, out);
}

bool ReplacingFile::Open(const std::string& path) {
  Abandon();
  t_write_error.clear();
  if (WritesStopped()) {
    t_write_error = "the program is ending";
    return false;
  }
  const int fd = ::open(TemporaryNameFor(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Failed();
  path_ = path;
  handle_ = fd;
  return true;
}

bool ReplacingFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
  if (!IsOpen()) return false;
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pwrite(static_cast<int>(handle_), p + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Failed();
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool ReplacingFile::Commit(bool flush) {
  if (!IsOpen()) return false;
  const int fd = static_cast<int>(handle_);
  handle_ = kClosed;
  const std::string tmp = TemporaryNameFor(path_);
  bool ok = true;
  if (flush && ::fsync(fd) != 0) ok = Failed();
  if (::close(fd) != 0 && ok) ok = Failed();
  if (ok && std::rename(tmp.c_str(), path_.c_str()) != 0) ok = Failed();
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

void ReplacingFile::Abandon() {
  if (!IsOpen()) return;
  ::close(static_cast<int>(handle_));
  handle_ = kClosed;
  ::unlink(TemporaryNameFor(path_).c_str());
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool StampOf(const std::string& path, FileStamp& out) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  out.size = static_cast<std::uint64_t>(st.st_size);
  out.written = static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000u + static_cast<std::uint64_t>(st.st_mtim.tv_nsec);
  return true;
}

}  // namespace vistelle
