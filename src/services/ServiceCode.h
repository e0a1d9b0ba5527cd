#pragma once

#include <QDate>
#include <QString>

class DeviceServices;

// The service code of a day: the decimal number the password window accepts on that date. It
// depends on the date alone (day of month, month, day of week and day of year; the year only
// decides whether February has 29 days), so every PC shows the same code on the same day, and
// it differs between any two consecutive days. The program keeps no code; it builds it from
// the PC's date whenever it needs it.
QString serviceCode(const QDate& date);

// The service command the code unlocks: link preparation, 0x3C with the byte 0x77, then the
// firmware version is read again (the status bar shows it). False when the controller did not
// answer.
bool sendServiceCommand(DeviceServices& services);
