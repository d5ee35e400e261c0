// The stored records as bytes: little-endian integers at their fixed offsets, every reserved
// byte carried through unchanged. Decoding reads a span of exactly the record's size.
#pragma once

#include <cstdint>
#include <span>

#include "profiles/records.h"

namespace kx::profiles {

void EncodeRecord(const BUTTON_INFO& info, std::span<std::uint8_t, BUTTON_INFO_SIZE> out);
void EncodeRecord(const LIGHT_INFO& info, std::span<std::uint8_t, LIGHT_INFO_SIZE> out);
void EncodeRecord(const LIGHT_DATA& data, std::span<std::uint8_t, LIGHT_DATA_SIZE> out);

void DecodeRecord(std::span<const std::uint8_t, BUTTON_INFO_SIZE> in, BUTTON_INFO& info);
void DecodeRecord(std::span<const std::uint8_t, LIGHT_INFO_SIZE> in, LIGHT_INFO& info);
void DecodeRecord(std::span<const std::uint8_t, LIGHT_DATA_SIZE> in, LIGHT_DATA& data);

// Arrays of records, concatenated in array order (the key-function parts of a profile file).
void EncodeRecords(std::span<const BUTTON_INFO> infos, std::span<std::uint8_t> out);
void DecodeRecords(std::span<const std::uint8_t> in, std::span<BUTTON_INFO> infos);

}  // namespace kx::profiles
