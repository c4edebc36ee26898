#pragma once

// The logger's 768-byte memory image and the frames of its serial protocol.
// Every part of the program that reads or builds an image or a frame (the
// reply decoder, the image builder, the data file, the logger simulator)
// takes its offsets and formats from here.
//
// Image (addresses 0x000-0x2FF)
//
//   0x000-0x0FF  block 0: configuration
//   0x100-0x1FF  internal-sensor calibration table
//   0x200-0x2FF  external-probe calibration table (sensor flags at 0x285)
//
// Block 0, layout 1 (firmware version words up to 0x119): every field is
// big-endian. Layout 2 (above 0x119): the same offsets, built big-endian and
// then turned little-endian at the fields of kSwap16 and kSwap32. The version
// word stays big-endian in both layouts, so a reader can choose the layout.
//
//   offset size  field
//   0x00   u16   firmware version word
//   0x02   u16   model word
//   0x04   u32   configuration word
//   0x08   u32   password word (low 16 bits password, marker 0x0A5A in 16-27)
//   0x0C   u32   interval, seconds
//   0x10   u32   start at, logger seconds since 2000-01-01
//   0x14   u32   stop at, logger seconds
//   0x18   u32   start delay, seconds
//   0x1C   u32   stop after this many readings
//   0x20   u32   memory size, bytes
//   0x24   u16   trip number
//   0x26   u16   maximum trips (9999 unlimited)
//   0x28   u32   readings recorded
//   0x2C   u32   alarm status (always big-endian)
//   0x30   4xi16 internal thresholds HH H L LL, hundredths
//   0x38   4xi16 external thresholds
//   0x40   4xi16 humidity thresholds
//   0x48   3xu16 consecutive alarm delays (internal, external, humidity)
//   0x4E   3xu16 total alarm delays
//   0x54   3xi16 lowest values, hundredths
//   0x5A   3xi16 highest values, hundredths
//   0x60   i8    range low, whole degrees Celsius
//   0x61   i8    range high
//   0x62   u8    battery, percent
//   0x63   u8    unit programmed (0 Celsius, 1 Fahrenheit)
//   0x64   i8    time zone programmed, hours
//   0x65   u8    memory flags (bit 0: the memory holds the 768-byte header)
//   0x70   16    product code
//   0x80   32    description
//   0xA0   16    serial number
//   0xB0   32    comment
//   0xD0   16    configured by
//
// Calibration table (256 bytes): range low and high (i8 each), low range
// (i16), low division (i16), 124 points (i16), then a 16-bit sum of the
// bytes before it.
//
// Frames: "." + command (2 upper-case hex digits) + parameters (upper-case
// hex) + CR LF. A line of 16 dots goes before command 0x00. Replies carry the
// command's code:
//
//   command          sent                         reply
//   0x00 wake        ".00"                        ".00"
//   0x01 identify    ".01"                        ".01" version(4) model(4) serial(32 hex)
//   0x03 read        ".03" addr(4) len(4)         ".03" addr(4) data(hex), one per 64 bytes
//   0x04 write       ".04" addr(4) len(2) data    the same frame, echoed
//   0x06 clock       ".06" (read) or value(8)     ".06" seconds(8)
//   0x07 commit      ".07"                        ".07" echoed
//   0x0B alarms      ".0B"                        ".0B" status(8), from the test jig;
//                                                a logger need not answer it
//   0x0C end         ".0C"                        ".03" frames of the whole image
//   0x0F download    ".0F"                        blocks, then the last ".0F"
//   0x11 init        ".11"                        ".11" echoed
//
// A download block is ".10" count(4) CR LF followed by count raw bytes
// (big-endian readings), then ".0F" index(4, or 8 from version 0x115) CR LF:
// the index of the block's first reading. The last reply is ".0F" with index
// FFFF (FFFFFFFF from 0x115) followed by count(8) start(8) end(8) and the
// roll-over offset(8): the index of the oldest reading, 0 without roll-over.
// A download reads the alarm status word (0x2C, 4 bytes) just before it.

namespace MemoryMap {

constexpr int ImageSize = 768;
constexpr int BlockSize = 256;
constexpr int InternalTable = 0x100;
constexpr int ExternalTable = 0x200;

constexpr int Version = 0x00;
constexpr int Model = 0x02;
constexpr int Config = 0x04;
constexpr int Password = 0x08;
constexpr int Interval = 0x0C;
constexpr int StartAt = 0x10;
constexpr int StopAt = 0x14;
constexpr int StartDelay = 0x18;
constexpr int StopReadingCount = 0x1C;
constexpr int MemorySize = 0x20;
constexpr int Trip = 0x24;
constexpr int MaxTrip = 0x26;
constexpr int RecordedCount = 0x28;
constexpr int AlarmStatus = 0x2C;
constexpr int ThresholdsInternal = 0x30;
constexpr int ThresholdsExternal = 0x38;
constexpr int ThresholdsHumidity = 0x40;
constexpr int ConsecutiveDelays = 0x48;
constexpr int TotalDelays = 0x4E;
constexpr int LowestValues = 0x54;
constexpr int HighestValues = 0x5A;
constexpr int RangeLow = 0x60;
constexpr int RangeHigh = 0x61;
constexpr int Battery = 0x62;
constexpr int UnitProgrammed = 0x63;
constexpr int TimeZoneProgrammed = 0x64;
constexpr int MemoryFlags = 0x65;
constexpr int ProductCode = 0x70;
constexpr int Description = 0x80;
constexpr int SerialNumber = 0xA0;
constexpr int Comment = 0xB0;
constexpr int ConfiguredBy = 0xD0;
constexpr int SensorFlags = 645;

constexpr int ProductCodeLength = 16;
constexpr int DescriptionLength = 32;
constexpr int SerialNumberLength = 16;
constexpr int CommentLength = 32;
constexpr int ConfiguredByLength = 16;

constexpr quint8 MemoryHasHeader = 0x01;

// Firmware versions.
constexpr quint16 LastInternalOnlyVersion = 0x114;  // and 32-bit readings in data files
constexpr quint16 LastLayout1Version = 0x119;
constexpr quint16 FirstLongIndexVersion = 0x115;

// Fields turned little-endian in layout 2.
constexpr int kSwap16[] = {
    Model, Trip, MaxTrip,
    ThresholdsInternal, ThresholdsInternal + 2, ThresholdsInternal + 4, ThresholdsInternal + 6,
    ThresholdsExternal, ThresholdsExternal + 2, ThresholdsExternal + 4, ThresholdsExternal + 6,
    ThresholdsHumidity, ThresholdsHumidity + 2, ThresholdsHumidity + 4, ThresholdsHumidity + 6,
    ConsecutiveDelays, ConsecutiveDelays + 2, ConsecutiveDelays + 4,
    TotalDelays, TotalDelays + 2, TotalDelays + 4,
    LowestValues, LowestValues + 2, LowestValues + 4,
    HighestValues, HighestValues + 2, HighestValues + 4,
};
constexpr int kSwap32[] = {
    Config, Password, Interval, StartAt, StopAt, StartDelay, StopReadingCount,
    MemorySize, RecordedCount,
};

// Serial protocol command codes.
namespace Command {
constexpr int Wake = 0x00;
constexpr int Identify = 0x01;
constexpr int ReadMemory = 0x03;
constexpr int WriteMemory = 0x04;
constexpr int Clock = 0x06;
constexpr int Commit = 0x07;
constexpr int Command0A = 0x0A;
constexpr int AlarmStatus = 0x0B;
constexpr int End = 0x0C;
constexpr int Download = 0x0F;
constexpr int RawBlock = 0x10;
constexpr int FactoryInit = 0x11;
}

constexpr int MaxWriteFrameBytes = 16;
constexpr int ReadReplyBytes = 64;
constexpr const char *WakeLine = "................\r\n";

}
