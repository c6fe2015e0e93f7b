// The metafile record checker: what it lets GDI play and what it refuses.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "image/byte_reader.h"
#include "image/wmf_records.h"

namespace vistelle {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v & 0xFF));
  b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

// A record of its function and parameter words; `words` 0: the true size.
Bytes Record(std::uint16_t function, const std::vector<std::uint16_t>& params, std::uint32_t words = 0) {
  Bytes b;
  const std::uint32_t size = words ? words : static_cast<std::uint32_t>(3 + params.size());
  Put16(b, size & 0xFFFF);
  Put16(b, size >> 16);
  Put16(b, function);
  for (std::uint16_t p : params) Put16(b, p);
  return b;
}

// A disk metafile of these records with an object table of two, with or
// without its end record.
Bytes Metafile(const std::vector<Bytes>& records, bool end = true) {
  Bytes body;
  for (const Bytes& r : records) body.insert(body.end(), r.begin(), r.end());
  if (end) {
    const Bytes eof = Record(0, {});
    body.insert(body.end(), eof.begin(), eof.end());
  }
  Bytes b;
  for (std::uint32_t v : {2u, 9u, 0x300u}) Put16(b, v);
  const std::uint32_t words = static_cast<std::uint32_t>((18 + body.size()) / 2);
  Put16(b, words & 0xFFFF);
  Put16(b, words >> 16);
  for (std::uint32_t v : {2u, 0u, 0u, 0u}) Put16(b, v);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

// A STRETCHDIB record of a 4x4 24-bit picture with `pixel_bytes` of pixels.
Bytes StretchDib(std::size_t pixel_bytes) {
  std::vector<std::uint16_t> p(11, 0);
  const std::uint16_t header[20] = {40, 0, 4, 0, 4, 0, 1, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  p.insert(p.end(), header, header + 20);
  p.resize(p.size() + pixel_bytes / 2, 0);
  return Record(0x0F43, p);
}

TEST(MetafileRecords, RecordsThatReadOutsideThemselvesOrTheObjectTableAreRefused) {
  struct Case {
    const char* what;
    Bytes file;
    bool accepted;
  };
  const Case cases[] = {
      {"lines", Metafile({Record(0x0214, {10, 10}), Record(0x0213, {90, 90})}), true},
      {"no end record", Metafile({Record(0x0214, {10, 10})}, false), false},
      {"a record past the end", Metafile({Record(0x0214, {10, 10}, 400)}), false},
      {"a record too short to be one", Metafile({Record(0x0214, {}, 2)}), false},
      {"the second object", Metafile({Record(0x012D, {1})}), true},
      {"an object beyond the table", Metafile({Record(0x012D, {2})}), false},
      {"a polygon of its points", Metafile({Record(0x0324, {2, 0, 0, 5, 5})}), true},
      {"a polygon beyond its points", Metafile({Record(0x0324, {3, 0, 0, 5, 5})}), false},
      {"a picture of its pixels", Metafile({StretchDib(48)}), true},
      {"a picture beyond its pixels", Metafile({StretchDib(46)}), false},
      {"palette entries of the record", Metafile({Record(0x0037, {0, 1, 0, 0})}), true},
      {"palette entries beyond the record", Metafile({Record(0x0037, {0, 1000})}), false},
      {"an animation beyond the record", Metafile({Record(0x0436, {0, 2, 0, 0})}), false},
      {"a Windows 2 pattern", Metafile({Record(0x01F9, {0, 0, 0, 0})}), false},
      {"not a metafile", Bytes(40, 0), false},
  };
  for (const Case& c : cases) {
    Bytes out;
    EXPECT_EQ(CheckedMetafile(c.file.data(), c.file.size(), out), c.accepted) << c.what;
  }
}

TEST(MetafileRecords, TheCheckedCopyIsInMemoryWithAHeaderThatAgreesAndShortFontsPadded) {
  const Bytes file = Metafile({Record(0x02FB, {12, 0, 0, 0, 400, 0, 0, 0, 0}), Record(0x012D, {0})});
  Bytes out;
  ASSERT_TRUE(CheckedMetafile(file.data(), file.size(), out));
  // 18 bytes of header, the font padded to 9 + 16 words, the selection, the end.
  ASSERT_EQ(out.size(), 18u + (3 + 25) * 2 + 4 * 2 + 3 * 2);
  EXPECT_EQ(bytes::Le16(out.data()), 1);                 // in memory
  EXPECT_EQ(bytes::Le32(out.data() + 6), out.size() / 2);  // size in words
  EXPECT_EQ(bytes::Le32(out.data() + 12), 28u);            // the largest record
  EXPECT_EQ(bytes::Le32(out.data() + 18), 28u);
}

}  // namespace
}  // namespace vistelle
