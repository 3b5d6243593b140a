#pragma once

// Metafiles read back for the tests: the records one by one, and libUEMF's
// own checks of them (each record's size against the end of the file, then
// its fields against its size), a reader independent of Curvella's writer.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include <uemf_endian.h>
#include <uemf_safe.h>

namespace curvella::test {

struct TEmfRecord {
  std::uint32_t Type = 0;
  std::vector<std::uint8_t> Bytes; // the whole record

  std::uint32_t U32(std::size_t at) const {
    std::uint32_t v = 0;
    std::memcpy(&v, Bytes.data() + at, 4);
    return v;
  }
  std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
};

inline std::vector<TEmfRecord> EmfRecords(std::span<const std::uint8_t> bytes) {
  std::vector<TEmfRecord> records;
  std::size_t at = 0;
  while (at + 8 <= bytes.size()) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::memcpy(&type, bytes.data() + at, 4);
    std::memcpy(&size, bytes.data() + at + 4, 4);
    if (size < 8 || size > bytes.size() - at) break;
    records.push_back(
        {type, std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                         bytes.begin() + static_cast<std::ptrdiff_t>(at + size))});
    at += size;
  }
  return records;
}

// "" when libUEMF accepts every record, else what it refused and where.
inline std::string UnsafeEmfRecord(std::span<const std::uint8_t> bytes) {
  const char* const begin = reinterpret_cast<const char*>(bytes.data());
  const char* const end = begin + bytes.size();
  const char* record = begin;
  while (record < end) {
    std::uint32_t size = 0;
    std::uint32_t type = 0;
    // The last argument says the record lies in this machine's byte order.
    if (!U_emf_record_sizeok(record, end, &size, &type, 1)) {
      return "size of the record at " + std::to_string(record - begin);
    }
    if (!U_emf_record_safe(record)) {
      return "record of type " + std::to_string(type) + " at " + std::to_string(record - begin);
    }
    record += size;
  }
  return "";
}

// Whether emf2svg-conv, a reader of its own, turns the file into SVG.
inline bool ConvertsToSvg(const std::string& emfPath) {
  const std::string svg = emfPath + ".svg";
  const std::string command = "emf2svg-conv -i '" + emfPath + "' -o '" + svg + "' >/dev/null 2>&1";
  const bool converted = std::system(command.c_str()) == 0 && std::remove(svg.c_str()) == 0;
  return converted;
}

} // namespace curvella::test
