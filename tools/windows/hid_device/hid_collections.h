// The system's HID collections: enumeration over SetupAPI, identity and capabilities from the
// HID parser, and one open handle per collection for overlapped transfers.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/hid_library.h"

#include <windows.h>

namespace kx::hid_device {

struct CollectionInfo {
  std::wstring path;  // the device interface path
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint16_t usage = 0;
  std::uint16_t usagePage = 0;
  std::uint16_t inputLength = 0;  // report lengths with the report-id byte; 0: none declared
  std::uint16_t outputLength = 0;
  std::uint16_t featureLength = 0;
  // The report ids the collection declares, per kind of report.
  std::set<std::uint8_t> inputIds;
  std::set<std::uint8_t> outputIds;
  std::set<std::uint8_t> featureIds;
};

// Whether the collection passes the filter: same vendor and product, and one of the used
// entries names its usage and usage page.
bool Matches(const kx::DEVICE_FILTER& filter, const CollectionInfo& info);

// Every HID collection present now that passes the filter.
std::vector<CollectionInfo> EnumerateMatching(const kx::DEVICE_FILTER& filter);

// One present collection, opened for reading and writing with overlapped I/O.
class OpenCollection {
 public:
  OpenCollection(CollectionInfo info, ::HANDLE handle, WORD deviceId);
  ~OpenCollection();
  OpenCollection(const OpenCollection&) = delete;
  OpenCollection& operator=(const OpenCollection&) = delete;

  // Opens the collection; null when the system refuses.
  static std::shared_ptr<OpenCollection> Open(const CollectionInfo& info, WORD deviceId);

  const CollectionInfo& Info() const { return info_; }
  ::HANDLE Handle() const { return handle_; }
  WORD DeviceId() const { return deviceId_; }

  // A report the host sends: an output report when the collection declares the id as one,
  // else a feature report when it declares it so; false when it declares neither or the
  // transfer fails. The buffer is padded with zeros (or cut) to the declared length.
  bool Write(const BYTE* buffer, DWORD length);
  // The report with the id in buffer[0]: a feature report when the collection declares the id
  // as one, else an input report asked for on the control pipe. At most length bytes are
  // copied back; false leaves the buffer alone.
  bool Read(BYTE* buffer, DWORD length);

 private:
  CollectionInfo info_;
  ::HANDLE handle_;
  WORD deviceId_;
};

}  // namespace kx::hid_device
