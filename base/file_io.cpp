#include "base/file_io.h"

namespace vistelle {

bool WriteFileReplacing(const std::string& path, const void* data, std::size_t size) {
  return WriteFileReplacing(path, std::vector<ByteRange>{{data, size}});
}

bool WriteFileReplacing(const std::string& path, const std::vector<ByteRange>& pieces, bool flush) {
  ReplacingFile file;
  if (!file.Open(path)) return false;
  std::uint64_t offset = 0;
  for (const ByteRange& piece : pieces) {
    if (!file.WriteAt(offset, piece.data, piece.size)) return false;
    offset += piece.size;
  }
  return file.Commit(flush);
}

}  // namespace vistelle
