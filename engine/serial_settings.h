// The line settings of a serial port and how they become termios flags: the rate, data bits,
// parity, stop bits and handshake the System's settings name, in raw mode, with the modem lines
// followed by the program (CLOCAL) and DTR dropped on the last close (HUPCL).
//
// Pure functions; any thread.
#pragma once

#include <termios.h>

#include <cstdint>
#include <string>

// Handshake bits.
constexpr uint8_t HANDSHAKE_DSR_DTR = 0x01;
constexpr uint8_t HANDSHAKE_CTS_RTS = 0x02;
constexpr uint8_t HANDSHAKE_XON_XOFF = 0x04;

// Parity indexes (the stored settings).
constexpr uint8_t PARITY_NONE = 0;
constexpr uint8_t PARITY_ODD = 1;
constexpr uint8_t PARITY_EVEN = 2;
constexpr uint8_t PARITY_MARK = 3;
constexpr uint8_t PARITY_SPACE = 4;

// Stop-bit indexes.
constexpr uint8_t STOP_ONE = 0;
constexpr uint8_t STOP_ONE_AND_HALF = 1;
constexpr uint8_t STOP_TWO = 2;

struct SerialLineSettings {
    uint8_t baudIndex = 6;
    uint8_t dataBits = 8;
    uint8_t parityIndex = PARITY_NONE;
    uint8_t stopIndex = STOP_ONE;
    uint8_t handshake = 0;
};

// The line rate of `baudIndex` in the console's baud table; 0 when the index is outside it.
int BaudOfIndex(uint8_t baudIndex);

// Changes `tio` (as read from the line) to the settings. `customBaud` is set to the rate when
// it has no POSIX speed constant (the caller sets it through termios2), else to 0. False, with
// the reason in `error`, when the line cannot run with these settings.
bool ApplyLineSettings(const SerialLineSettings& settings, termios* tio, int* customBaud,
                       std::string* error);

// Compares the flags the line reports after the change with those asked for (a line may take
// some and quietly drop others). False, with what differs in `error`.
bool LineTookSettings(const termios& wanted, const termios& actual, std::string* error);
