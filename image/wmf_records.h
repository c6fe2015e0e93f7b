// Checking a Windows metafile's records before GDI plays them.
//
// GDI takes the parameters of a record as they are: a handle index beyond
// the file's object table, a point count beyond the record or a bitmap
// larger than its record make some players (Wine's among them) read outside
// the data. Every record known to read parameters is checked here, and a
// file with one record that does not add up is refused as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vistelle {

// The metafile at data (its 18-byte header first, no placeable header) as a
// checked memory metafile in out: every record GDI reads parameters from
// fits its record and the object table, a short font record is padded to
// its full size, and the header (in memory, its size in words, its largest
// record) agrees with the records, which end with one end record. False,
// for anything that does not add up.
bool CheckedMetafile(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);

}  // namespace vistelle
