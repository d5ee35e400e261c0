#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "device/usb_driver.h"
#include "device_fixture.h"

namespace kx::device::testing {
namespace {

using Kind = HidTransfer::Kind;

struct CommandCase {
  std::string name;
  std::function<int(CUSBDriver&)> run;
  Bytes expected;  // the one 8-byte report written to collection 2
  std::uint64_t pauseMs;
};

// Names the case in test listings (its bytes would otherwise be printed, addresses and all).
void PrintTo(const CommandCase& c, std::ostream* out) {
  *out << c.name;
}

class SingleReportCommandTest : public DeviceTest,
                                public ::testing::WithParamInterface<CommandCase> {};

TEST_P(SingleReportCommandTest, WritesItsReportToCollectionTwoAndPauses) {
  PlugAndOpen();
  const CommandCase& c = GetParam();
  const std::uint64_t start = Now();
  EXPECT_EQ(c.run(driver_), kCommandOk);
  EXPECT_EQ(Now() - start, c.pauseMs);
  const std::vector<HidTransfer> writes = keyboard_.Writes();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].bytes, c.expected);
  EXPECT_EQ(writes[0].usage, 2);
  EXPECT_EQ(writes[0].timeMs, start);
  EXPECT_TRUE(writes[0].ok);
}

TEST_P(SingleReportCommandTest, ReportsARefusedWriteAndStillPauses) {
  PlugAndOpen();
  keyboard_.FailNth(Kind::kWrite, 1);
  const std::uint64_t start = Now();
  EXPECT_EQ(GetParam().run(driver_), kCommandFailed);
  EXPECT_EQ(Now() - start, GetParam().pauseMs);
  EXPECT_EQ(keyboard_.Writes().size(), 1u);
}

TEST_P(SingleReportCommandTest, FailsWithoutWritingWhenTheLinkWillNotOpen) {
  keyboard_.Plug();
  keyboard_.FailStartMonitor(true);
  const std::uint64_t start = Now();
  EXPECT_EQ(GetParam().run(driver_), kCommandFailed);
  EXPECT_TRUE(keyboard_.Transfers().empty());
  EXPECT_EQ(Now(), start);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SingleReportCommandTest,
    ::testing::Values(
        // SetPollingRate gets 3 - PollingRate: the mask is 1 << PollingRate.
        CommandCase{"PollingRate0",
                    [](CUSBDriver& d) { return d.SetPollingRate(3 - 0); },
                    {0x07, 0x01, 0x01, 0, 0, 0, 0, 0},
                    20},
        CommandCase{"PollingRate1",
                    [](CUSBDriver& d) { return d.SetPollingRate(3 - 1); },
                    {0x07, 0x01, 0x02, 0, 0, 0, 0, 0},
                    20},
        CommandCase{"PollingRate2",
                    [](CUSBDriver& d) { return d.SetPollingRate(3 - 2); },
                    {0x07, 0x01, 0x04, 0, 0, 0, 0, 0},
                    20},
        CommandCase{"PollingRate3",
                    [](CUSBDriver& d) { return d.SetPollingRate(3 - 3); },
                    {0x07, 0x01, 0x08, 0, 0, 0, 0, 0},
                    20},
        CommandCase{"KeyMode",
                    [](CUSBDriver& d) { return d.SetKeyMode(1); },
                    {0x07, 0x11, 0x01, 0, 0, 0, 0, 0},
                    20},
        CommandCase{"DeviceMode",
                    [](CUSBDriver& d) { return d.SetDeviceMode(5); },
                    {0x0A, 0x03, 0x05, 0, 0, 0, 0, 0},
                    20},
        CommandCase{"Command0F",
                    [](CUSBDriver& d) { return d.SendCommand0F(); },
                    {0x0A, 0x0F, 0, 0, 0, 0, 0, 0},
                    200},
        CommandCase{"LightEffect",
                    [](CUSBDriver& d) { return d.SetLightEffect(3, 10); },
                    {0x0A, 0x0A, 0x03, 0x0A, 0, 0, 0, 0},
                    200},
        CommandCase{"LightColor",
                    [](CUSBDriver& d) { return d.SetLightColor(Rgb(0x12, 0x34, 0x56), 2); },
                    {0x0A, 0x0B, 0x02, 0x04, 0x12, 0x34, 0x56, 0},
                    200},
        CommandCase{"KeyColorFirstCell",
                    [](CUSBDriver& d) { return d.SetKeyColor(Rgb(1, 2, 3), 4, 0); },
                    {0x0A, 0x0C, 0x04, 0x01, 0x01, 0x02, 0x03, 0},
                    10},
        CommandCase{"KeyColorLastCell",
                    [](CUSBDriver& d) { return d.SetKeyColor(0x00FFEEDD, 1, 137); },
                    {0x0A, 0x0C, 0x01, 0x8A, 0xDD, 0xEE, 0xFF, 0},
                    10}),
    [](const auto& p) { return p.param.name; });

class DeviceCommandTest : public DeviceTest {};

TEST_F(DeviceCommandTest, PollingRateOutsideTheMaskByteIsRefused) {
  PlugAndOpen();
  EXPECT_EQ(driver_.SetPollingRate(4), kCommandFailed);
  EXPECT_EQ(driver_.SetPollingRate(-5), kCommandFailed);
  EXPECT_EQ(driver_.SetPollingRate(-4), kCommandOk);  // 1 << 7, the highest bit of the byte
  ASSERT_EQ(keyboard_.Writes().size(), 1u);
  EXPECT_EQ(keyboard_.Writes()[0].bytes[2], 0x80);
}

TEST_F(DeviceCommandTest, KeyboardKeepsWhatTheCommandsWrote) {
  PlugAndOpen();
  driver_.SetPollingRate(1);
  driver_.SetKeyMode(1);
  driver_.SetDeviceMode(4);
  driver_.SetLightEffect(4, 10);
  driver_.SetLightColor(Rgb(0x10, 0x20, 0x30), 2);
  driver_.SetKeyColor(Rgb(0xAA, 0xBB, 0xCC), 4, 137);
  driver_.SendCommand0F();
  const sim::KeyboardMemory memory = keyboard_.Memory();
  EXPECT_EQ(memory.pollingRateMask, 0x04);
  EXPECT_EQ(memory.keyMode, 1);
  EXPECT_EQ(memory.mode, 4);
  EXPECT_EQ(memory.modes[4].lightEffect, 10);
  EXPECT_EQ(memory.modes[2].lightColor, Rgb(0x10, 0x20, 0x30));
  EXPECT_EQ(memory.modes[4].keyColors.at(137), Rgb(0xAA, 0xBB, 0xCC));
  EXPECT_EQ(memory.command0FCount, 1u);
}

TEST_F(DeviceCommandTest, SetDeviceModeOnAClosedLinkNeitherOpensNorSends) {
  keyboard_.Plug();
  EXPECT_EQ(driver_.SetDeviceMode(2), kCommandFailed);
  EXPECT_FALSE(keyboard_.Monitoring());
  EXPECT_TRUE(keyboard_.Transfers().empty());
  EXPECT_EQ(driver_.m_bLinkOpen, 0);
}

TEST_F(DeviceCommandTest, OtherCommandsOpenAClosedLinkFirst) {
  keyboard_.Plug();
  EXPECT_EQ(driver_.SetKeyMode(0), kCommandOk);
  EXPECT_EQ(driver_.m_bLinkOpen, 1);
  EXPECT_EQ(driver_.m_DeviceList.size(), 5u);
  ASSERT_EQ(keyboard_.Writes().size(), 1u);
  EXPECT_EQ(keyboard_.Writes()[0].deviceId, keyboard_.DeviceId(2));
}

TEST_F(DeviceCommandTest, CommandsToAnAbsentKeyboardFail) {
  ASSERT_TRUE(driver_.OpenLink());  // watching, but nothing is plugged in
  EXPECT_EQ(driver_.SetKeyMode(0), kCommandFailed);
  EXPECT_EQ(driver_.SetDeviceMode(1), kCommandFailed);
  const std::vector<HidTransfer> writes = keyboard_.Writes();
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].deviceId, 0u);
  EXPECT_FALSE(writes[0].ok);
}

// --- The two queries ---

TEST_F(DeviceCommandTest, FirmwareVersionWaitsThenAsksAndReads) {
  PlugAndOpen();
  keyboard_.SetFirmwareVersion(2, 7);
  const std::uint64_t start = Now();
  BYTE a = 0, b = 0;
  EXPECT_EQ(driver_.GetFirmwareVersion(&a, &b), kCommandOk);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 7);
  EXPECT_EQ(Now() - start, 3000u + 20 + 20);
  const std::vector<HidTransfer> t = keyboard_.Transfers();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].kind, Kind::kWrite);
  EXPECT_EQ(t[0].bytes, (Bytes{0x07, 0x80, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(t[0].timeMs, start + 3000);
  EXPECT_EQ(t[1].kind, Kind::kRead);
  EXPECT_EQ(t[1].usage, 2);
  EXPECT_EQ(t[1].bytes.size(), 8u);
  EXPECT_EQ(t[1].timeMs, start + 3020);
  EXPECT_EQ(driver_.GetFirmwareVersion(nullptr, nullptr), kCommandOk);  // outputs are optional
}

TEST_F(DeviceCommandTest, FirmwareVersionWithAFailedReadStillStoresTheBuffer) {
  PlugAndOpen();
  keyboard_.SetFirmwareVersion(2, 7);
  keyboard_.FailNth(Kind::kRead, 1);
  BYTE a = 0xEE, b = 0xEE;
  const std::uint64_t start = Now();
  EXPECT_EQ(driver_.GetFirmwareVersion(&a, &b), kCommandFailed);
  EXPECT_EQ(a, 0);  // bytes 2 and 3 of the query as it was written
  EXPECT_EQ(b, 0);
  EXPECT_EQ(Now() - start, 3040u);
}

TEST_F(DeviceCommandTest, DeviceModeQueryTurnsTheKeyboardsSixIntoZero) {
  PlugAndOpen();
  for (BYTE mode : {BYTE{0}, BYTE{3}, BYTE{5}}) {
    keyboard_.SetMode(mode);
    keyboard_.ClearTransfers();
    const std::uint64_t start = Now();
    BYTE got = 0xEE;
    EXPECT_EQ(driver_.GetDeviceMode(&got), kCommandOk);
    EXPECT_EQ(got, mode);
    EXPECT_EQ(Now() - start, 120u);
    const std::vector<HidTransfer> t = keyboard_.Transfers();
    ASSERT_EQ(t.size(), 2u);
    Bytes query(264, 0);
    query[0] = 0x07;
    query[1] = 0x81;
    EXPECT_EQ(t[0].bytes, query);
    EXPECT_EQ(t[1].kind, Kind::kRead);
    EXPECT_EQ(t[1].timeMs, start + 100);
    EXPECT_EQ(t[1].bytes[2], mode == 0 ? 6 : mode);  // what the keyboard answered
  }
}

TEST_F(DeviceCommandTest, DeviceModeQueryReportsAFailedWriteOrRead) {
  PlugAndOpen();
  BYTE mode = 0;
  keyboard_.FailNth(Kind::kWrite, 1);
  EXPECT_EQ(driver_.GetDeviceMode(&mode), kCommandFailed);
  keyboard_.FailNth(Kind::kRead, 1);
  EXPECT_EQ(driver_.GetDeviceMode(&mode), kCommandFailed);
  EXPECT_EQ(driver_.GetDeviceMode(&mode), kCommandOk);
}

// --- The two chunked writes ---

class ChunkedWriteTest : public DeviceTest {
 protected:
  void SetUp() override { PlugAndOpen(); }

  // Checks a header on collection 2 at `start`, then `count` chunks on `usage` 60 ms apart
  // after 200 ms, chunk k carrying expected bytes 6(k-1)..6(k-1)+5.
  void ExpectRun(std::uint64_t start, const Bytes& header, WORD usage, BYTE reportId,
                 std::size_t count, const Bytes& data) {
    const std::vector<HidTransfer> writes = keyboard_.Writes();
    ASSERT_EQ(writes.size(), 1 + count);
    EXPECT_EQ(writes[0].bytes, header);
    EXPECT_EQ(writes[0].usage, 2);
    EXPECT_EQ(writes[0].timeMs, start);
    for (std::size_t k = 1; k <= count; ++k) {
      const HidTransfer& chunk = writes[k];
      Bytes expected = {reportId, static_cast<BYTE>(k)};
      expected.insert(expected.end(), data.begin() + 6 * (k - 1), data.begin() + 6 * k);
      EXPECT_EQ(chunk.bytes, expected) << "chunk " << k;
      EXPECT_EQ(chunk.usage, usage) << "chunk " << k;
      EXPECT_EQ(chunk.timeMs, start + 200 + 60 * (k - 1)) << "chunk " << k;
    }
    EXPECT_EQ(Now(), start + 200 + 60 * count);
  }
};

KEY_MATRIX TestMatrix() {
  KEY_MATRIX matrix;
  for (std::size_t i = 0; i < matrix.size(); ++i) {
    matrix[i] = i < kMatrixCells ? static_cast<BYTE>(i + 1) : 0xEE;  // the spare is never sent
  }
  return matrix;
}

KEY_MACRO TestMacro() {
  KEY_MACRO macro;
  for (std::size_t i = 0; i < macro.size(); ++i)
    macro[i] = static_cast<BYTE>(0x80 ^ i);
  return macro;
}

TEST_F(ChunkedWriteTest, KeyMatrixGoesInTwentyThreeChunks) {
  const KEY_MATRIX matrix = TestMatrix();
  const std::uint64_t start = Now();
  EXPECT_EQ(driver_.WriteKeyMatrix(3, matrix), kCommandOk);
  ExpectRun(start, {0x0A, 0x04, 0x03, 0, 0, 0, 0, 0}, 3, 0x0B, 23,
            Bytes(matrix.begin(), matrix.begin() + kMatrixCells));
  const sim::ModeMemory mode = keyboard_.Memory().modes[3];
  EXPECT_TRUE(std::equal(mode.keyMatrix.begin(), mode.keyMatrix.end(), matrix.begin()));
  EXPECT_EQ(mode.keyMatrixWrites, 1u);
}

TEST_F(ChunkedWriteTest, KeyMacroGoesInFortyOneChunksTheLastPaddedWithZeros) {
  const KEY_MACRO macro = TestMacro();
  const std::uint64_t start = Now();
  EXPECT_EQ(driver_.WriteKeyMacro(2, macro, 45), kCommandOk);
  Bytes data(macro.begin(), macro.end());
  data.resize(41 * 6, 0);
  ExpectRun(start, {0x0A, 0x05, 0x02, 46, 0x01, 0, 0, 0}, 4, 0x0C, 41, data);
  EXPECT_EQ(keyboard_.Writes().back().bytes, (Bytes{0x0C, 41, macro[240], macro[241], 0, 0, 0, 0}));
  const sim::ModeMemory mode = keyboard_.Memory().modes[2];
  EXPECT_EQ(mode.macros.at(45), macro);
  EXPECT_EQ(mode.macroWrites.at(45), 1u);
}

TEST_F(ChunkedWriteTest, ModeZeroSendsNothingButOpensTheLink) {
  driver_.m_bLinkOpen = 0;
  keyboard_.StopMonitor();
  EXPECT_EQ(driver_.WriteKeyMatrix(0, TestMatrix()), kCommandOk);
  EXPECT_EQ(driver_.WriteKeyMacro(0, TestMacro(), 1), kCommandOk);
  EXPECT_TRUE(keyboard_.Writes().empty());
  EXPECT_TRUE(keyboard_.Monitoring());
  EXPECT_EQ(driver_.m_bLinkOpen, 1);
}

TEST_F(ChunkedWriteTest, ALostChunkFailsTheWriteButTheRunGoesOn) {
  keyboard_.FailNth(Kind::kWrite, 6);  // the fifth chunk
  const std::uint64_t start = Now();
  EXPECT_EQ(driver_.WriteKeyMatrix(1, TestMatrix()), kCommandFailed);
  EXPECT_EQ(keyboard_.Writes().size(), 24u);
  EXPECT_EQ(Now(), start + 200 + 23 * 60);
  EXPECT_EQ(keyboard_.Memory().modes[1].keyMatrixWrites, 0u);
}

TEST_F(ChunkedWriteTest, ARefusedHeaderFailsTheWrite) {
  keyboard_.FailNth(Kind::kWrite, 1);
  EXPECT_EQ(driver_.WriteKeyMacro(1, TestMacro(), 0), kCommandFailed);
  EXPECT_EQ(keyboard_.Writes().size(), 42u);
}

TEST_F(ChunkedWriteTest, WithoutTheMatrixCollectionChunksGoToTheLastListedOne) {
  keyboard_.UnplugCollection(3);
  const std::uint64_t start = Now();
  EXPECT_EQ(driver_.WriteKeyMatrix(2, TestMatrix()), kCommandFailed);
  const std::vector<HidTransfer> writes = keyboard_.Writes();
  ASSERT_EQ(writes.size(), 24u);
  EXPECT_TRUE(writes[0].ok);
  for (std::size_t k = 1; k < writes.size(); ++k) {
    EXPECT_EQ(writes[k].deviceId, keyboard_.DeviceId(5));
    EXPECT_FALSE(writes[k].ok);  // collection 5 takes no 0B reports
  }
  EXPECT_EQ(Now(), start + 200 + 23 * 60);
  EXPECT_EQ(keyboard_.Memory().modes[2].keyMatrixWrites, 0u);
}

}  // namespace
}  // namespace kx::device::testing
