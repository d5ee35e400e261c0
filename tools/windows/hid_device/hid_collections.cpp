#include "hid_collections.h"

#include <algorithm>
#include <cstring>

#include "system_hid.h"

#include <hidclass.h>
#include <setupapi.h>
#include <winioctl.h>

// Taken outside our namespace: the system's macro names HANDLE, which means another type there.
static const ::HANDLE kInvalidHandle = INVALID_HANDLE_VALUE;

namespace kx::hid_device {

namespace {

// A transfer that the device does not answer within this time is given up.
constexpr ::DWORD kTransferTimeoutMs = 2000;

// The report ids a collection declares for one kind of report, from its button and value
// capabilities.
std::set<std::uint8_t> DeclaredIds(::PHIDP_PREPARSED_DATA data, ::HIDP_REPORT_TYPE type,
                                   std::uint16_t buttonCount, std::uint16_t valueCount) {
  std::set<std::uint8_t> ids;
  if (buttonCount > 0) {
    std::vector<::HIDP_BUTTON_CAPS> caps(buttonCount);
    ::USHORT count = buttonCount;
    if (::HidP_GetButtonCaps(type, caps.data(), &count, data) == HIDP_STATUS_SUCCESS) {
      for (::USHORT i = 0; i < count; ++i)
        ids.insert(caps[i].ReportID);
    }
  }
  if (valueCount > 0) {
    std::vector<::HIDP_VALUE_CAPS> caps(valueCount);
    ::USHORT count = valueCount;
    if (::HidP_GetValueCaps(type, caps.data(), &count, data) == HIDP_STATUS_SUCCESS) {
      for (::USHORT i = 0; i < count; ++i)
        ids.insert(caps[i].ReportID);
    }
  }
  return ids;
}

// Reads a collection's identity and, when the filter selects it, its capabilities; false when
// it cannot be queried or is not selected (most HID devices of a system are not: their report
// declarations are never read).
bool Describe(const std::wstring& path, const kx::DEVICE_FILTER& filter, CollectionInfo* info) {
  // No access is needed for the queries, so collections that others hold are described too.
  ::HANDLE handle = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (handle == kInvalidHandle) return false;
  bool ok = false;
  ::HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof(attributes);
  ::PHIDP_PREPARSED_DATA data = nullptr;
  if (::HidD_GetAttributes(handle, &attributes) && ::HidD_GetPreparsedData(handle, &data)) {
    ::HIDP_CAPS caps{};
    if (::HidP_GetCaps(data, &caps) == HIDP_STATUS_SUCCESS) {
      info->path = path;
      info->vendorId = attributes.VendorID;
      info->productId = attributes.ProductID;
      info->usage = caps.Usage;
      info->usagePage = caps.UsagePage;
      ok = Matches(filter, *info);
    }
    if (ok) {
      info->inputLength = caps.InputReportByteLength;
      info->outputLength = caps.OutputReportByteLength;
      info->featureLength = caps.FeatureReportByteLength;
      info->inputIds =
          DeclaredIds(data, HidP_Input, caps.NumberInputButtonCaps, caps.NumberInputValueCaps);
      info->outputIds =
          DeclaredIds(data, HidP_Output, caps.NumberOutputButtonCaps, caps.NumberOutputValueCaps);
      info->featureIds = DeclaredIds(data, HidP_Feature, caps.NumberFeatureButtonCaps,
                                     caps.NumberFeatureValueCaps);
    }
  }
  if (data != nullptr) ::HidD_FreePreparsedData(data);
  ::CloseHandle(handle);
  return ok;
}

// Runs one overlapped operation to its end, giving up after the timeout.
bool Complete(::HANDLE handle, ::OVERLAPPED* overlapped, bool started, ::DWORD* transferred) {
  if (!started && ::GetLastError() != ERROR_IO_PENDING) return false;
  if (::WaitForSingleObject(overlapped->hEvent, kTransferTimeoutMs) != WAIT_OBJECT_0) {
    ::CancelIoEx(handle, overlapped);
  }
  ::DWORD done = 0;
  const bool ok = ::GetOverlappedResult(handle, overlapped, &done, TRUE) != FALSE;
  if (transferred != nullptr) *transferred = done;
  return ok;
}

// One overlapped control request (feature reports, input reports on the control pipe).
bool Control(::HANDLE handle, ::DWORD code, void* in, ::DWORD inLength, void* out,
             ::DWORD outLength, ::DWORD* transferred) {
  ::OVERLAPPED overlapped{};
  overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (overlapped.hEvent == nullptr) return false;
  const bool started =
      ::DeviceIoControl(handle, code, in, inLength, out, outLength, nullptr, &overlapped) != FALSE;
  const bool ok = Complete(handle, &overlapped, started, transferred);
  ::CloseHandle(overlapped.hEvent);
  return ok;
}

}  // namespace

bool Matches(const kx::DEVICE_FILTER& filter, const CollectionInfo& info) {
  return kx::FilterSelects(filter, info.vendorId, info.productId, info.usage, info.usagePage);
}

std::vector<CollectionInfo> EnumerateMatching(const kx::DEVICE_FILTER& filter) {
  std::vector<CollectionInfo> found;
  ::GUID hidGuid{};
  ::HidD_GetHidGuid(&hidGuid);
  ::HDEVINFO set =
      ::SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == kInvalidHandle) return found;
  ::SP_DEVICE_INTERFACE_DATA interfaceData{};
  interfaceData.cbSize = sizeof(interfaceData);
  for (::DWORD index = 0;
       ::SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, index, &interfaceData); ++index) {
    ::DWORD required = 0;
    ::SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &required, nullptr);
    if (required < sizeof(::SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
    std::vector<std::uint64_t> storage((required + 7) / 8);  // aligned for the record
    auto* detail = reinterpret_cast<::SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(::SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!::SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, required, nullptr,
                                            nullptr)) {
      continue;
    }
    CollectionInfo info;
    if (Describe(detail->DevicePath, filter, &info)) {
      found.push_back(std::move(info));
    }
  }
  ::SetupDiDestroyDeviceInfoList(set);
  return found;
}

OpenCollection::OpenCollection(CollectionInfo info, ::HANDLE handle, WORD deviceId)
    : info_(std::move(info)), handle_(handle), deviceId_(deviceId) {}

OpenCollection::~OpenCollection() {
  ::CloseHandle(handle_);
}

std::shared_ptr<OpenCollection> OpenCollection::Open(const CollectionInfo& info, WORD deviceId) {
  ::HANDLE handle = ::CreateFileW(info.path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == kInvalidHandle) return nullptr;
  return std::make_shared<OpenCollection>(info, handle, deviceId);
}

bool OpenCollection::Write(const BYTE* buffer, DWORD length) {
  if (buffer == nullptr || length == 0) return false;
  const std::uint8_t id = buffer[0];
  const bool output = info_.outputIds.count(id) != 0 && info_.outputLength > 0;
  const bool feature = !output && info_.featureIds.count(id) != 0 && info_.featureLength > 0;
  if (!output && !feature) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::vector<BYTE> report(output ? info_.outputLength : info_.featureLength, 0);
  std::memcpy(report.data(), buffer, std::min<std::size_t>(length, report.size()));
  const auto size = static_cast<::DWORD>(report.size());
  ::DWORD transferred = 0;
  if (feature) {
    return Control(handle_, IOCTL_HID_SET_FEATURE, report.data(), size, nullptr, 0, &transferred);
  }
  ::OVERLAPPED overlapped{};
  overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (overlapped.hEvent == nullptr) return false;
  const bool started = ::WriteFile(handle_, report.data(), size, nullptr, &overlapped) != FALSE;
  const bool ok = Complete(handle_, &overlapped, started, &transferred);
  ::CloseHandle(overlapped.hEvent);
  return ok && transferred == size;
}

bool OpenCollection::Read(BYTE* buffer, DWORD length) {
  if (buffer == nullptr || length == 0) return false;
  const std::uint8_t id = buffer[0];
  const bool feature = info_.featureIds.count(id) != 0 && info_.featureLength > 0;
  const bool input = !feature && info_.inputIds.count(id) != 0 && info_.inputLength > 0;
  if (!feature && !input) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::vector<BYTE> report(feature ? info_.featureLength : info_.inputLength, 0);
  report[0] = id;
  const auto size = static_cast<::DWORD>(report.size());
  ::DWORD transferred = 0;
  if (!Control(handle_, feature ? IOCTL_HID_GET_FEATURE : IOCTL_HID_GET_INPUT_REPORT, report.data(),
               size, report.data(), size, &transferred)) {
    return false;
  }
  std::memcpy(buffer, report.data(), std::min<std::size_t>(length, report.size()));
  return true;
}

}  // namespace kx::hid_device
