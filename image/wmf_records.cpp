#include "image/wmf_records.h"

#include <algorithm>
#include <climits>

#include "image/byte_reader.h"
#include "image/image.h"

namespace vistelle {

namespace {

// The values of the Windows headers the records use.
constexpr std::uint32_t kBiRgb = 0;        // BI_RGB
constexpr std::uint32_t kBiBitfields = 3;  // BI_BITFIELDS
constexpr std::uint16_t kEtoOpaque = 2;    // ETO_OPAQUE
constexpr std::uint16_t kEtoClipped = 4;   // ETO_CLIPPED
constexpr std::size_t kMetaHeaderBytes = 18;

constexpr std::uint16_t kMetaEof = 0x0000;
constexpr std::size_t kFaceNameWords = 16;  // LF_FACESIZE bytes
constexpr std::size_t kFontParams = 9 + kFaceNameWords;

struct MetaRecord {
  const std::uint8_t* params;  // the parameter words
  std::size_t count;           // how many there are

  std::uint16_t Word(std::size_t i) const { return bytes::Le16(params + 2 * i); }
  std::int16_t Short(std::size_t i) const { return static_cast<std::int16_t>(Word(i)); }
};

// A device-independent bitmap starting at parameter `first`: a known header,
// no compression GDI would have to trust, and colour table and pixels inside
// the record. rows, if given, receives the picture's height.
bool MetaDibFits(const MetaRecord& r, std::size_t first, std::uint64_t* rows = nullptr) {
  if (first >= r.count) return false;
  const std::uint8_t* dib = r.params + 2 * first;
  const std::uint64_t available = static_cast<std::uint64_t>(r.count - first) * 2;
  if (available < 12) return false;
  const std::uint32_t header_size = bytes::Le32(dib);
  std::int64_t width = 0, height = 0;
  std::uint32_t bit_count = 0, compression = 0, colors_used = 0;
  if (header_size == 12) {  // BITMAPCOREHEADER
    width = bytes::Le16(dib + 4);
    height = bytes::Le16(dib + 6);
    bit_count = bytes::Le16(dib + 10);
  } else {
    if (header_size < 40 || header_size > available) return false;
    width = bytes::LeS32(dib + 4);
    height = bytes::LeS32(dib + 8);
    bit_count = bytes::Le16(dib + 14);
    compression = bytes::Le32(dib + 16);
    colors_used = bytes::Le32(dib + 32);
  }
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || !ImageSizeAcceptable(static_cast<std::uint64_t>(width),
                                                        static_cast<std::uint64_t>(height)))
    return false;
  switch (bit_count) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  std::uint64_t masks = 0;
  if (compression == kBiBitfields) {
    if (bit_count != 16 && bit_count != 32) return false;
    if (header_size == 40) masks = 12;
  } else if (compression != kBiRgb) {
    return false;
  }
  std::uint64_t colors = colors_used;
  if (colors == 0 && bit_count <= 8) colors = 1ull << bit_count;
  // Four bytes a colour whatever the usage says: the most any player reads.
  const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bit_count + 31) / 32) * 4;
  const std::uint64_t needed = header_size + masks + colors * 4 + stride * static_cast<std::uint64_t>(height);
  if (rows != nullptr) *rows = static_cast<std::uint64_t>(height);
  return needed <= available;
}

// A device-dependent bitmap of the old blits: width, height, planes and
// bits per pixel at the given parameters, the bits from `bits`.
bool MetaBitmapFits(const MetaRecord& r, std::size_t width_at, std::size_t height_at, std::size_t planes_at,
                    std::size_t bits_at, std::size_t first_bits) {
  if (first_bits > r.count) return false;
  const std::uint64_t width = r.Word(width_at), height = r.Word(height_at);
  const std::uint64_t planes = r.Word(planes_at), bit_count = r.Word(bits_at);
  if (planes != 1 || (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 16 &&
                      bit_count != 24 && bit_count != 32))
    return false;
  const std::uint64_t row_bytes = ((width * bit_count + 15) / 16) * 2;
  return row_bytes * height <= static_cast<std::uint64_t>(r.count - first_bits) * 2;
}

bool MetaRecordSane(std::uint16_t function, const MetaRecord& r, std::uint16_t handles) {
  const std::size_t n = r.count;
  auto handle = [&](std::size_t i) { return i < n && r.Word(i) < handles; };
  switch (function) {
    case 0x001E:  // SAVEDC
    case 0x0035:  // REALIZEPALETTE
      return true;
    case 0x0102: case 0x0103: case 0x0104: case 0x0105: case 0x0106: case 0x0107:  // SETBKMODE .. SETSTRETCHBLTMODE
    case 0x0108:  // SETTEXTCHAREXTRA
    case 0x0127:  // RESTOREDC
    case 0x012E:  // SETTEXTALIGN
      return n >= 1;
    case 0x01F0:  // DELETEOBJECT
    case 0x012D:  // SELECTOBJECT
    case 0x012A:  // INVERTREGION
    case 0x012B:  // PAINTREGION
      return handle(0);
    case 0x012C:  // SELECTCLIPREGION (0: none)
      return n >= 1 && (r.Word(0) == 0 || handle(0));
    case 0x0201: case 0x0209: case 0x020A: case 0x020B: case 0x020C: case 0x020D: case 0x020E:
    case 0x020F: case 0x0211: case 0x0213: case 0x0214: case 0x0220: case 0x0231:
      return n >= 2;  // colours, origins, extents, points, flags
    case 0x0234:  // SELECTPALETTE
      return handle(1);
    case 0x0228:  // FILLREGION
      return handle(0) && handle(1);
    case 0x0429:  // FRAMEREGION
      return handle(2) && handle(3);
    case 0x0410: case 0x0412: case 0x0415: case 0x0416: case 0x0418: case 0x0419: case 0x041B: case 0x041F:
    case 0x02FC:  // CREATEBRUSHINDIRECT
      return n >= 4;
    case 0x0548:  // EXTFLOODFILL
    case 0x02FA:  // CREATEPENINDIRECT
      return n >= 5;
    case 0x061C: case 0x061D:  // ROUNDRECT, PATBLT
      return n >= 6;
    case 0x0817: case 0x081A: case 0x0830:  // ARC, PIE, CHORD
      return n >= 8;
    case 0x02FB:  // CREATEFONTINDIRECT (a short face name is padded)
      return n >= 9;
    case 0x0521: {  // TEXTOUT: length, text, y, x
      if (n < 1 || r.Short(0) < 0) return false;
      return 1 + (static_cast<std::size_t>(r.Word(0)) + 1) / 2 + 2 <= n;
    }
    case 0x0A32: {  // EXTTEXTOUT: y, x, length, options, [rectangle], text, [widths]
      if (n < 4) return false;
      const bool rectangle = (r.Word(3) & (kEtoOpaque | kEtoClipped)) != 0;
      return 4 + (rectangle ? 4u : 0u) + (static_cast<std::size_t>(r.Word(2)) + 1) / 2 <= n;
    }
    case 0x0324: case 0x0325:  // POLYGON, POLYLINE
      return n >= 1 && 1 + 2 * static_cast<std::size_t>(r.Word(0)) <= n;
    case 0x0538: {  // POLYPOLYGON: polygons, their point counts, the points
      if (n < 1 || r.Word(0) == 0) return false;
      const std::size_t polygons = r.Word(0);
      if (1 + polygons > n) return false;
      std::size_t points = 0;
      for (std::size_t i = 0; i < polygons; ++i) {
        if (r.Short(1 + i) < 0) return false;
        points += r.Word(1 + i);
      }
      return 1 + polygons + 2 * points <= n;
    }
    case 0x00F7:  // CREATEPALETTE: version, entries, four bytes each
    case 0x0037:  // SETPALENTRIES: first entry, entries, four bytes each
    case 0x0436:  // ANIMATEPALETTE: the same
      return n >= 2 && 2 + 2 * static_cast<std::size_t>(r.Word(1)) <= n;
    case 0x06FF:  // CREATEREGION (GDI checks the bands against the record)
      return n >= 11;
    case 0x0626:  // ESCAPE: function, byte count, data
      return n >= 2 && 2 + (static_cast<std::size_t>(r.Word(1)) + 1) / 2 <= n;
    case 0x0F43:  // STRETCHDIB
      return MetaDibFits(r, 11);
    case 0x0B41:  // DIBSTRETCHBLT
      return MetaDibFits(r, 10);
    case 0x0940:  // DIBBITBLT, with a bitmap or as a pattern blit
      return n > 9 ? MetaDibFits(r, 8) : n == 9;
    case 0x0D33: {  // SETDIBTODEV: usage, rows, first row, ..., the bitmap
      std::uint64_t rows = 0;
      return MetaDibFits(r, 9, &rows) && static_cast<std::uint64_t>(r.Word(1)) + r.Word(2) <= rows;
    }
    case 0x0142:  // DIBCREATEPATTERNBRUSH
      return MetaDibFits(r, 2);
    case 0x0922:  // BITBLT with a device bitmap
      return n >= 12 && MetaBitmapFits(r, 7, 8, 10, 11, 12);
    case 0x0B23:  // STRETCHBLT with a device bitmap
      return n >= 15 && MetaBitmapFits(r, 10, 11, 13, 14, 15);
    case 0x01F9:  // CREATEPATTERNBRUSH (Windows 2 bitmaps): not taken
      return false;
    default:
      // Records that carry nothing GDI reads (drawing text boxes, printer
      // control, unknown extensions) are played or skipped as they are.
      return true;
  }
}

void PutLe16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value & 0xFF);
  out[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}
void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  PutLe16(out, at, value & 0xFFFF);
  PutLe16(out, at + 2, value >> 16);
}

}  // namespace

bool CheckedMetafile(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
  if (size < kMetaHeaderBytes) return false;
  const std::uint16_t type = bytes::Le16(data);
  const std::uint16_t version = bytes::Le16(data + 4);
  if ((type != 1 && type != 2) || bytes::Le16(data + 2) != 9 || (version != 0x0100 && version != 0x0300))
    return false;
  const std::uint16_t handles = bytes::Le16(data + 10);

  out.assign(data, data + kMetaHeaderBytes);
  std::uint32_t largest_record = 0;
  std::size_t pos = kMetaHeaderBytes;
  for (;;) {
    if (!bytes::Fits(pos, 6, size)) return false;  // no end record
    const std::uint64_t record_bytes = static_cast<std::uint64_t>(bytes::Le32(data + pos)) * 2;
    const std::uint16_t function = bytes::Le16(data + pos + 4);
    if (record_bytes < 6 || !bytes::Fits(pos, record_bytes, size)) return false;
    const MetaRecord record = {data + pos + 6, static_cast<std::size_t>(record_bytes - 6) / 2};
    if (function == kMetaEof) break;
    if (!MetaRecordSane(function, record, handles)) return false;

    const std::size_t at = out.size();
    out.insert(out.end(), data + pos, data + pos + record_bytes);
    if (function == 0x02FB && record.count < kFontParams) {
      out.resize(at + 6 + kFontParams * 2, 0);
      PutLe32(out, at, static_cast<std::uint32_t>(3 + kFontParams));
    }
    largest_record = std::max(largest_record, bytes::Le32(&out[at]));
    pos += static_cast<std::size_t>(record_bytes);
    if (out.size() > UINT_MAX / 2) return false;
  }
  const std::uint8_t end[6] = {3, 0, 0, 0, 0, 0};
  out.insert(out.end(), end, end + 6);
  largest_record = std::max<std::uint32_t>(largest_record, 3);

  PutLe16(out, 0, 1);                                          // in memory
  PutLe32(out, 6, static_cast<std::uint32_t>(out.size() / 2));  // size in words
  PutLe32(out, 12, largest_record);
  PutLe16(out, 16, 0);
  return true;
}

}  // namespace vistelle
