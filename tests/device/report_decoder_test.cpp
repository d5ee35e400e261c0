#include "device/report_decoder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "device/report_trace.h"
#include "protocol/messages.h"

namespace kx::device {

// Readable failures: gtest finds this next to DeviceMessage.
void PrintTo(const DeviceMessage& m, std::ostream* os) {
  *os << "{target " << static_cast<int>(m.target) << ", 0x" << std::hex << m.message << ", 0x"
      << m.wParam << ", 0x" << m.lParam << std::dec << "}";
}

namespace {

using protocol::WM_DEVICE_EVENT;
using protocol::WM_DEVICE_SWITCH;
using protocol::WM_DEVICE_TOGGLE;

constexpr ReportTarget kMain = ReportTarget::kMainWindow;
constexpr ReportTarget kConfig = ReportTarget::kConfigInnerWindow;
constexpr ReportTarget kAgent = ReportTarget::kAgentWindow;

struct DecodeCase {
  std::string name;
  std::vector<BYTE> report;
  std::vector<DeviceMessage> expected;
};

// Names the case in test listings.
void PrintTo(const DecodeCase& c, std::ostream* out) {
  *out << c.name;
}

class DecodeReportTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeReportTest, PostsTheExpectedMessages) {
  const DecodeCase& c = GetParam();
  const DecodedReport decoded = DecodeReport(c.report);
  EXPECT_EQ(std::vector<DeviceMessage>(decoded.begin(), decoded.end()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, DecodeReportTest,
    ::testing::Values(
        // Step A: the toggle notice, whatever b0 is.
        DecodeCase{"ToggleOn",
                   {0x08, 0x00, 0x07, 0x00, 0x03, 0xD6, 0x01, 0x00, 0x00},
                   {{kAgent, WM_DEVICE_TOGGLE, 1, 0}}},
        DecodeCase{"ToggleOffAnyReportId",
                   {0x0D, 0x00, 0x07, 0x00, 0x03, 0xD6, 0x00, 0x00, 0x00},
                   {{kAgent, WM_DEVICE_TOGGLE, 0, 0}}},
        DecodeCase{
            "ToggleNeedsB7AndB8Zero", {0x05, 0x00, 0x07, 0x00, 0x03, 0xD6, 0x01, 0x00, 0x01}, {}},
        // Any other b6 skips step B and goes straight to step C.
        DecodeCase{"ToggleWithOtherB6",
                   {0x08, 0x00, 0x07, 0x00, 0x03, 0xD6, 0x02, 0x00, 0x00},
                   {{kMain, WM_DEVICE_EVENT, 0x00, 0x00070000}}},
        // Step B.
        DecodeCase{"ModeSelected",
                   {0x0D, 0x03, 0x06, 0x00, 0, 0, 0, 0, 0},
                   {{kMain, WM_DEVICE_EVENT, 0x06, 0x000100DA}}},
        DecodeCase{"MatrixKeyGoesIntoLParam",
                   {0x0D, 0x05, 0x11, 0x2A, 0, 0, 0, 0, 0},
                   {{kMain, WM_DEVICE_EVENT, 0xDE, 0x0001002A}}},
        DecodeCase{"Effect",
                   {0x05, 0x00, 0x01, 0x01, 0x0A, 0, 0, 0, 0},
                   {{kMain, WM_DEVICE_EVENT, 0x0A, 0x000100DF}}},
        DecodeCase{"EffectOption",
                   {0x05, 0x02, 0x0C, 0x03, 0x00, 0, 0, 0, 0},
                   {{kMain, WM_DEVICE_EVENT, 0x03, 0x000100DB}}},
        DecodeCase{"EffectLevel",
                   {0x05, 0x00, 0x01, 0x07, 0x02, 0, 0, 0, 0},
                   {{kMain, WM_DEVICE_EVENT, 0x02, 0x000100DC}}},
        // Step B and step C together.
        DecodeCase{"KeyReportAlsoMatchingStepB",
                   {0x08, 0x33, 0x01, 0x01, 0x09, 0, 0, 0, 0},
                   {{kMain, WM_DEVICE_EVENT, 0x09, 0x000100DF},
                    {kMain, WM_DEVICE_EVENT, 0x01, 0x00010033}}},
        // Step C.
        DecodeCase{"KeyPressed",
                   {0x08, 0x2F, 0x01, 0x1E, 0, 0, 0, 0, 0},
                   {{kMain, WM_DEVICE_EVENT, 0x1E, 0x0001002F}}},
        DecodeCase{"KeyReleased",
                   {0x08, 0x2F, 0x00, 0x1E, 0, 0, 0, 0, 0},
                   {{kMain, WM_DEVICE_EVENT, 0x1E, 0x0000002F}}},
        DecodeCase{"KeyB3AcPostsNothing", {0x08, 0x2F, 0x01, 0xAC, 0, 0, 0, 0, 0}, {}},
        DecodeCase{"SwitchOn",
                   {0x08, 0xFE, 0x06, 0x00, 0, 0, 0, 0, 0},
                   {{kConfig, WM_DEVICE_SWITCH, 1, 0}}},
        DecodeCase{"SwitchOff",
                   {0x08, 0xFE, 0x05, 0x00, 0, 0, 0, 0, 0},
                   {{kConfig, WM_DEVICE_SWITCH, 0, 0}}},
        DecodeCase{"SwitchWithB3AcPostsNothing", {0x08, 0xFE, 0x06, 0xAC, 0, 0, 0, 0, 0}, {}},
        DecodeCase{"OtherFeCode",
                   {0x08, 0xFE, 0x01, 0x02, 0, 0, 0, 0, 0},
                   {{kMain, WM_DEVICE_EVENT, 0x02, 0x000100FE}}},
        DecodeCase{"NothingKnown", {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09}, {}},
        // Short and long reports: missing bytes read as zero, bytes past b8 are not looked at.
        DecodeCase{"Empty", {}, {}},
        DecodeCase{"TwoBytes", {0x0D, 0x03}, {{kMain, WM_DEVICE_EVENT, 0x00, 0x000100DA}}},
        DecodeCase{"ShortToggle",
                   {0x08, 0x00, 0x07, 0x00, 0x03, 0xD6, 0x01},
                   {{kAgent, WM_DEVICE_TOGGLE, 1, 0}}},
        DecodeCase{"KeyReportOneByte", {0x08}, {{kMain, WM_DEVICE_EVENT, 0x00, 0x00000000}}},
        DecodeCase{"Long",
                   {0x0D, 0x03, 0x04, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF},
                   {{kMain, WM_DEVICE_EVENT, 0x04, 0x000100DA}}}),
    [](const auto& p) { return p.param.name; });

TEST(ReportTraceTest, FormatsBothLinesAsTheDebuggerShowsThem) {
  const std::vector<BYTE> report = {0x0D, 0x03, 0xA2, 0x00, 0xFF, 0x10, 0x01, 0x7E, 0x99};
  const ReportTrace trace(0x4B11, 0x7FFDE0C01230, 9, report);
  EXPECT_EQ(trace.HeaderLine(), "ID:0x4b11,pBuffer=0x7ffde0c01230 , Length=0x9\n");
  EXPECT_EQ(trace.BytesLine(), "0d 03 a2 00 ff 10 01 7e\n");

  const ReportTrace zero(0, 0, 0x123, std::vector<BYTE>{0xAB});
  EXPECT_EQ(zero.HeaderLine(), "ID:0x0,pBuffer=0x0 , Length=0x123\n");
  EXPECT_EQ(zero.BytesLine(), "ab 00 00 00 00 00 00 00\n");

  const ReportTrace widest(0xFFFFFFFF, UINTPTR_MAX, 0xFFFFFFFF, report);
  EXPECT_EQ(widest.HeaderLine(), "ID:0xffffffff,pBuffer=0xffffffffffffffff , Length=0xffffffff\n");
}

}  // namespace
}  // namespace kx::device
