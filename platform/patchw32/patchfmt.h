// The patch file format of PATCHW32.DLL (all numbers little-endian):
//
//   "KVRP"  u16 version (1)  u16 reserved (0)  u32 file count
//   per file:
//     u16 path length, path bytes (relative, '/' between folders)
//     u8  flags (bit 0: new file, no old version expected)
//     u32 old size, u32 old CRC-32      (zero for a new file)
//     u32 new size, u32 new CRC-32
//     u32 delta length, delta bytes
//   u32 CRC-32 of every byte before it
//
// A delta is a list of instructions that rebuild the new file from the old:
//   0x01 u32 offset u32 length    copy bytes of the old file
//   0x02 u32 length, bytes        insert literal bytes
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

namespace rtp {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kFormatVersion = 1;
constexpr size_t kMaxPathLength = 240;

struct FileEntry {
    std::string path;
    bool isNew = false;
    uint32_t oldSize = 0, oldCrc = 0;
    uint32_t newSize = 0, newCrc = 0;
    Bytes delta;
};

struct Patch {
    std::vector<FileEntry> files;
};

uint32_t Crc32(const uint8_t *data, size_t size, uint32_t crc = 0);
inline uint32_t Crc32(const Bytes &b) { return Crc32(b.data(), b.size()); }

// A path the engine may write: relative, no "..", no drive, no empty parts.
bool IsSafeRelativePath(const std::string &path);

Bytes Serialize(const Patch &patch);
// Returns 0 or the RtpError that describes the fault.
uint32_t Parse(const uint8_t *data, size_t size, Patch &patch);

Bytes MakeDelta(const Bytes &oldData, const Bytes &newData);
// Rebuilds the new file; false when an instruction reaches outside the old
// file or the result is not exactly expectedSize bytes.
bool ApplyDelta(const Bytes &oldData, const Bytes &delta, uint32_t expectedSize, Bytes &out);

// Builds the entry that turns oldData (null: the file is new) into newData.
FileEntry MakeEntry(const std::string &path, const Bytes *oldData, const Bytes &newData);

}  // namespace rtp
