// The metafile record checker on arbitrary bytes, as they come and behind a
// valid metafile header, so that most inputs reach the records. Besides
// crashes and sanitizer reports, a checked metafile that does not agree with
// itself is a finding: its header's size and largest record, every record
// inside the data, one end record last, and the same bytes when it is
// checked again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/byte_reader.h"
#include "image/wmf_records.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckAccepted(const Bytes& out) {
  using vistelle::bytes::Le16;
  using vistelle::bytes::Le32;
  Check(out.size() >= 18 + 6 && out.size() % 2 == 0);
  Check(Le16(out.data()) == 1);
  Check(Le32(out.data() + 6) == out.size() / 2);
  std::uint32_t largest = 0;
  std::size_t pos = 18;
  for (;;) {
    Check(vistelle::bytes::Fits(pos, 6, out.size()));
    const std::uint64_t words = Le32(out.data() + pos);
    Check(words >= 3 && vistelle::bytes::Fits(pos, words * 2, out.size()));
    largest = std::max<std::uint32_t>(largest, static_cast<std::uint32_t>(words));
    const bool end = Le16(out.data() + pos + 4) == 0;
    pos += static_cast<std::size_t>(words * 2);
    if (end) break;
  }
  Check(pos == out.size());
  Check(Le32(out.data() + 12) == largest);
  Bytes again;
  Check(vistelle::CheckedMetafile(out.data(), out.size(), again));
  Check(again == out);
}

void Run(const Bytes& data) {
  Bytes out;
  if (vistelle::CheckedMetafile(data.data(), data.size(), out)) CheckAccepted(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Run(Bytes(data, data + size));
  // Behind a header of a disk metafile, version 3, with the object table
  // the first byte asks for.
  Bytes framed = {1, 0, 9, 0, 0, 3, 0, 0, 0, 0, static_cast<std::uint8_t>(size ? data[0] % 8 : 0), 0,
                  0, 0, 0, 0, 0, 0};
  framed.insert(framed.end(), data + (size ? 1 : 0), data + size);
  Run(framed);
  return 0;
}
