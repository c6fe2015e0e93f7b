// Whole-file reads and replacing writes on the Win32 file functions. Paths
// come in UTF-8 (the active code page under our manifest) and go to the
// ...W functions, so every name the file system can hold is reachable.
#include <windows.h>

#include <climits>
#include <string>
#include <utility>

#include "base/file_io.h"
#include "base/win32/handle_win32.h"
#include "base/win32/utf16_win32.h"
#include "base/write_stop.h"

namespace vistelle {

namespace {

using win32::KernelHandle;

// The name in UTF-16; empty for an empty name or one that is not valid text.
std::wstring Widen(const std::string& path) {
  std::wstring wide;
  win32::TryWiden(path, wide);
  return wide;
}

// ReadFile and WriteFile move at most a DWORD at a time; stay well below.
constexpr DWORD kChunkBytes = 1u << 24;

thread_local std::string t_write_error;

// The system's words for an error code, without the line end it adds.
std::string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string message = length != 0 && text != nullptr ? win32::Narrow(std::wstring(text, length)) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message.empty() ? "error " + std::to_string(code) : message;
}

// Notes the last error's reason; false, for the caller to return.
bool Failed() {
  t_write_error = SystemMessage(GetLastError());
  return false;
}

}  // namespace

std::string LastWriteError() { return t_write_error; }

bool CanWriteIn(const std::string& folder, std::string* reason) {
  const std::wstring probe = Widen(folder + "\\vistelle-write-test.tmp");
  const KernelHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!file) {
    const DWORD code = GetLastError();
    if (reason != nullptr) *reason = SystemMessage(code);
    return false;
  }
  return true;
}

std::string TemporaryNameFor(const std::string& path) { return path + ".tmp"; }

namespace {

// The first limit bytes of a regular file, all of it when it is shorter;
// with whole, a longer file is refused. out stays as it was on failure.
bool ReadUpTo(const std::string& path, std::uint64_t limit, bool whole, std::vector<std::uint8_t>& out) {
  const std::wstring name = Widen(path);
  if (name.empty()) return false;
  KernelHandle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return false;
  const auto file_size = static_cast<std::uint64_t>(size.QuadPart);
  if (whole && file_size > limit) return false;
  const std::uint64_t wanted = file_size < limit ? file_size : limit;
  if (wanted > static_cast<std::uint64_t>(SIZE_MAX)) return false;

  std::vector<std::uint8_t> data(static_cast<std::size_t>(wanted));
  std::size_t done = 0;
  while (done < data.size()) {
    const std::size_t left = data.size() - done;
    const DWORD want = left < kChunkBytes ? static_cast<DWORD>(left) : kChunkBytes;
    DWORD got = 0;
    if (!ReadFile(file.Get(), data.data() + done, want, &got, nullptr)) return false;
    if (got == 0) break;  // the file shrank meanwhile: take it as it is now
    done += got;
  }
  data.resize(done);
  out = std::move(data);
  return true;
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
  const std::wstring target = Widen(path);
  const std::wstring temporary = Widen(TemporaryNameFor(path));
  if (target.empty() || temporary.empty()) {
    t_write_error = "the name is not valid";
    return false;
  }
  const HANDLE file =
      CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failed();
  path_ = path;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

bool ReplacingFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
  if (!IsOpen()) return false;
  const HANDLE file = reinterpret_cast<HANDLE>(handle_);
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::size_t done = 0;
  while (done < size) {
    const std::size_t left = size - done;
    const DWORD want = left < kChunkBytes ? static_cast<DWORD>(left) : kChunkBytes;
    const std::uint64_t at = offset + done;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD written = 0;
    if (!WriteFile(file, p + done, want, &written, &where) || written == 0) return Failed();
    done += written;
  }
  return true;
}

bool ReplacingFile::Commit(bool flush) {
  if (!IsOpen()) return false;
  const HANDLE file = reinterpret_cast<HANDLE>(handle_);
  handle_ = kClosed;
  const std::wstring target = Widen(path_);
  const std::wstring temporary = Widen(TemporaryNameFor(path_));
  // With flush, the data is on the disk before the name points at it, and
  // the rename is on the disk before we return.
  bool ok = true;
  if (flush && !FlushFileBuffers(file)) ok = Failed();
  if (!CloseHandle(file) && ok) ok = Failed();
  const DWORD move_flags = MOVEFILE_REPLACE_EXISTING | (flush ? MOVEFILE_WRITE_THROUGH : 0);
  if (ok && !MoveFileExW(temporary.c_str(), target.c_str(), move_flags)) ok = Failed();
  if (!ok) DeleteFileW(temporary.c_str());
  return ok;
}

void ReplacingFile::Abandon() {
  if (!IsOpen()) return;
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kClosed;
  DeleteFileW(Widen(TemporaryNameFor(path_)).c_str());
}

bool FileExists(const std::string& path) {
  const std::wstring name = Widen(path);
  return !name.empty() && GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool StampOf(const std::string& path, FileStamp& out) {
  const std::wstring name = Widen(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (name.empty() || !GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) return false;
  out.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  out.written = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                data.ftLastWriteTime.dwLowDateTime;
  return true;
}

bool RemoveFile(const std::string& path) {
  const std::wstring name = Widen(path);
  return !name.empty() && DeleteFileW(name.c_str()) != FALSE;
}

}  // namespace vistelle
