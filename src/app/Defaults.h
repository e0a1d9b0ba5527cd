#pragma once

class DeviceImage;
struct Identification;
struct MemoryImage;

// Identification start-up values (device type Q7400, feature A0, module variant 3, firmware
// 0x99 so every firmware-dependent function is offered until a controller has been read) and
// the unused tail of the memory image (bytes 736..767 = 0xFF). The parameter-block table
// (640..735) is filled separately with the default raw block.
void SetStartupValues(Identification& identification, MemoryImage& memory);

// The default offline configuration: every cell 0, usable control parameters for channels
// 1..8, heating outputs of channels 1..8 on terminals 1..8 and their cooling outputs on
// terminals 9..16, software version 0x99, CT ratio 1000, interface 2, logger cycle 10, and the
// attributes value 16. Also sets FirmwareVersion to 0x99.
void LoadDefaultConfiguration(DeviceImage& image, Identification& identification);
