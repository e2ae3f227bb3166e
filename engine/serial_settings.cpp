#include "engine/serial_settings.h"

#include <array>

#include "app/state/app_state.h"

namespace {

struct StandardRate {
    int baud;
    speed_t speed;
};

constexpr std::array<StandardRate, 11> kStandardRates = {{{110, B110},
                                                          {300, B300},
                                                          {600, B600},
                                                          {1200, B1200},
                                                          {2400, B2400},
                                                          {4800, B4800},
                                                          {9600, B9600},
                                                          {19200, B19200},
                                                          {38400, B38400},
                                                          {57600, B57600},
                                                          {115200, B115200}}};

bool Fail(std::string* error, std::string reason) {
    if (error) {
        *error = std::move(reason);
    }
    return false;
}

tcflag_t DataBitsFlag(int bits) {
    switch (bits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

// The flags this program sets, and so compares after the change.
constexpr tcflag_t kControlMask =
    CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CLOCAL | CREAD | HUPCL;
constexpr tcflag_t kInputMask =
    IGNBRK | IXON | IXOFF | IXANY | INPCK | ISTRIP | ICRNL | INLCR | IGNCR | BRKINT | PARMRK;
constexpr tcflag_t kLocalMask = ICANON | ECHO | ECHONL | ISIG | IEXTEN;

}  // namespace

int BaudOfIndex(uint8_t baudIndex) {
    return baudIndex < kBaudRates.size() ? kBaudRates[baudIndex] : 0;
}

bool ApplyLineSettings(const SerialLineSettings& settings, termios* tio, int* customBaud,
                       std::string* error) {
    const int baud = BaudOfIndex(settings.baudIndex);
    if (baud == 0) {
        return Fail(error,
                    "baud index " + std::to_string(settings.baudIndex) + " not in the table");
    }
    if (settings.dataBits < 5 || settings.dataBits > 8) {
        return Fail(error,
                    std::to_string(settings.dataBits) + " data bits (the line takes 5 to 8)");
    }
    if (settings.parityIndex > PARITY_SPACE) {
        return Fail(error,
                    "parity index " + std::to_string(settings.parityIndex) + " not in the table");
    }
    if (settings.stopIndex > STOP_TWO) {
        return Fail(error,
                    "stop index " + std::to_string(settings.stopIndex) + " not in the table");
    }
    // A UART sends 1.5 stop bits only with 5 data bits (where "two" means one and a half).
    if (settings.stopIndex == STOP_ONE_AND_HALF && settings.dataBits != 5) {
        return Fail(error, "1.5 stop bits need 5 data bits; the line has " +
                               std::to_string(settings.dataBits));
    }
    // And with 5 data bits a UART's "two" is one and a half: two stop bits cannot be had there.
    if (settings.stopIndex == STOP_TWO && settings.dataBits == 5) {
        return Fail(error, "2 stop bits need 6 to 8 data bits; with 5 the line sends 1.5");
    }
    if (settings.handshake & HANDSHAKE_DSR_DTR) {
        return Fail(error, "DSR/DTR handshake is not available on this system");
    }

    // Raw bytes in both directions.
    tio->c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                      IXANY | INPCK | IGNPAR);
    // A break (a unit restarting, a cable plugged in) would otherwise arrive as a 0x00 byte in
    // the middle of a reply.
    tio->c_iflag |= IGNBRK;
    tio->c_oflag &= ~OPOST;
    tio->c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // One byte makes a read worth it; with O_NONBLOCK an empty line reads as EAGAIN, so a read
    // of 0 bytes can only mean the line hung up.
    tio->c_cc[VMIN] = 1;
    tio->c_cc[VTIME] = 0;

    tio->c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio->c_cflag |= DataBitsFlag(settings.dataBits) | CREAD | CLOCAL | HUPCL;
    switch (settings.parityIndex) {
        case PARITY_ODD:
            tio->c_cflag |= PARENB | PARODD;
            break;
        case PARITY_EVEN:
            tio->c_cflag |= PARENB;
            break;
        case PARITY_MARK:
            tio->c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case PARITY_SPACE:
            tio->c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    if (settings.parityIndex != PARITY_NONE) {
        tio->c_iflag |= INPCK;
    }
    if (settings.stopIndex != STOP_ONE) {
        tio->c_cflag |= CSTOPB;
    }
    if (settings.handshake & HANDSHAKE_CTS_RTS) {
        tio->c_cflag |= CRTSCTS;
    }
    if (settings.handshake & HANDSHAKE_XON_XOFF) {
        tio->c_iflag |= IXON | IXOFF;
        tio->c_cc[VSTART] = 0x11;
        tio->c_cc[VSTOP] = 0x13;
    }

    *customBaud = baud;
    for (const StandardRate& rate : kStandardRates) {
        if (rate.baud == baud) {
            cfsetispeed(tio, rate.speed);
            cfsetospeed(tio, rate.speed);
            *customBaud = 0;
            break;
        }
    }
    return true;
}

bool LineTookSettings(const termios& wanted, const termios& actual, std::string* error) {
    const tcflag_t control = (wanted.c_cflag ^ actual.c_cflag) & kControlMask;
    if (control & CSIZE) {
        return Fail(error, "data bits");
    }
    if (control & (PARENB | PARODD | CMSPAR)) {
        return Fail(error, "parity");
    }
    if (control & CSTOPB) {
        return Fail(error, "stop bits");
    }
    if (control & CRTSCTS) {
        return Fail(error, "CTS/RTS handshake");
    }
    if (control) {
        return Fail(error, "line control flags");
    }
    if ((wanted.c_iflag ^ actual.c_iflag) & kInputMask) {
        return Fail(error, "input flags (XON/XOFF or parity check)");
    }
    if ((wanted.c_lflag ^ actual.c_lflag) & kLocalMask) {
        return Fail(error, "raw mode");
    }
    return true;
}
