#pragma once

#include "device/RowCodec.h"

#include <QtGlobal>

class DeviceImage;
class ParameterTable;
struct MemoryImage;

// The controller's parameter memory (768 bytes) holds every item of parameter rows 1..55 at the
// row's address, in the row's storage format (ParameterTable::Format):
//   1 byte; 7 sensor type byte; 0 and 9 word (low byte first);
//   2 output percentage: a signed byte of the image kept as a word of tenths;
//   3, 4, 5, 8 temperatures and temperature differences: tenths of a degree Celsius;
//   6 heating current of a second or third device: one byte, scaled by the CT ratio;
//   99 not in the memory image (device ID, software version).
// The setpoints (row 0) are not carried. Bytes 638..639 hold the CRC of bytes 0..637, 640..735
// the parameter-block table, 736..767 are unused (0xFF).
namespace MemoryImageLayout {
constexpr int CrcStart = 638; // low byte; the high byte follows
constexpr int UnusedStart = 736;
constexpr int Dimension = 0x21C;               // row 32: bit 0 set = degrees Fahrenheit
constexpr int ControllerConfiguration = 0x1E0; // row 27, one word per channel
constexpr int AlarmFunction = 0x1F8;           // row 35, one byte per channel
constexpr int Attributes = 0x27D;              // row 31
} // namespace MemoryImageLayout

// Whether the program shows temperatures in tenths of a degree Fahrenheit while the memory
// image holds Celsius: the dimension byte says Fahrenheit and the attributes byte describes a
// module with temperature inputs (linear inputs carry no temperatures). Both directions take
// the two bytes from the data they convert, so a memory image reads back as it was written.
bool memoryImageInFahrenheit(int dimension, int attributes);

// Encodes parameter rows 1..55 of the device image into the memory image: bytes 0..639 are
// cleared first and 736..767 set to 0xFF; the parameter-block table (640..735) and the CRC are
// left to their own functions. A value is rounded half to even after its conversion and must
// then fit its byte or word; temperatures may be raw words (negative ones in two's complement)
// or signed numbers. A value that does not fit refuses the whole encoding: the memory image is
// unchanged and *refusal names row, column and value. A CT ratio of 0 or less gives byte 0
// for the scaled heating currents.
bool encodeMemoryImage(const ParameterTable& table, const DeviceImage& image, MemoryImage& memory,
                       WriteRefusal* refusal = nullptr);

// Decodes parameter rows 1..55 from the memory image into the device image, as a read from the
// controller would give them (bytes, unsigned words, negative values in two's complement). The
// setpoints are left as they are. A sensor type the firmware does not know becomes 0 (above 16,
// or above 12 before firmware 0x46).
void decodeMemoryImage(const ParameterTable& table, const MemoryImage& memory, int firmwareVersion,
                       DeviceImage& image);

// The CRC of bytes 0..637 (CRC-16/MODBUS), the one stored at 638 (low) and 639 (high), and
// storing it there.
quint16 memoryImageCrc(const MemoryImage& memory);
quint16 storedMemoryImageCrc(const MemoryImage& memory);
void storeMemoryImageCrc(MemoryImage& memory);
