// Turning the stored line settings into termios flags.
#include <gtest/gtest.h>

#include "engine/serial_settings.h"

namespace {

struct Applied {
    bool ok;
    termios tio;
    int customBaud;
    std::string error;
};

Applied Apply(const SerialLineSettings& settings) {
    Applied result{};
    cfmakeraw(&result.tio);
    result.tio.c_lflag |= ICANON | ECHO;
    result.ok = ApplyLineSettings(settings, &result.tio, &result.customBaud, &result.error);
    return result;
}

SerialLineSettings Line(uint8_t dataBits, uint8_t parity, uint8_t stop) {
    SerialLineSettings s;
    s.dataBits = dataBits;
    s.parityIndex = parity;
    s.stopIndex = stop;
    return s;
}

TEST(SerialSettingsTest, ParityDataAndStopBits) {
    struct Case {
        uint8_t parity;
        tcflag_t flags;
    };
    for (const Case& c :
         {Case{PARITY_NONE, 0u}, Case{PARITY_ODD, PARENB | PARODD}, Case{PARITY_EVEN, PARENB},
          Case{PARITY_MARK, PARENB | CMSPAR | PARODD}, Case{PARITY_SPACE, PARENB | CMSPAR}}) {
        Applied a = Apply(Line(7, c.parity, STOP_TWO));
        ASSERT_TRUE(a.ok) << a.error;
        EXPECT_EQ(a.tio.c_cflag & (PARENB | PARODD | CMSPAR), c.flags);
        EXPECT_EQ(a.tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
        EXPECT_TRUE(a.tio.c_cflag & CSTOPB);
        EXPECT_EQ((a.tio.c_iflag & INPCK) != 0, c.parity != PARITY_NONE);
        EXPECT_FALSE(a.tio.c_lflag & (ICANON | ECHO));
        EXPECT_EQ(a.tio.c_cc[VMIN], 1);
    }
}

TEST(SerialSettingsTest, OneAndAHalfStopBitsOnlyWithFiveDataBits) {
    Applied a = Apply(Line(5, PARITY_NONE, STOP_ONE_AND_HALF));
    ASSERT_TRUE(a.ok);
    EXPECT_TRUE(a.tio.c_cflag & CSTOPB);
    for (uint8_t bits : {6, 7, 8}) {
        a = Apply(Line(bits, PARITY_NONE, STOP_ONE_AND_HALF));
        EXPECT_FALSE(a.ok);
        EXPECT_EQ(a.error, "1.5 stop bits need 5 data bits; the line has " + std::to_string(bits));
    }
}

TEST(SerialSettingsTest, OutOfTableSettingsAreRefused) {
    EXPECT_FALSE(Apply(Line(9, PARITY_NONE, STOP_ONE)).ok);
    EXPECT_FALSE(Apply(Line(4, PARITY_NONE, STOP_ONE)).ok);
    EXPECT_FALSE(Apply(Line(8, 5, STOP_ONE)).ok);
    EXPECT_FALSE(Apply(Line(8, PARITY_NONE, 3)).ok);
    SerialLineSettings s;
    s.baudIndex = 15;
    EXPECT_FALSE(Apply(s).ok);
}

TEST(SerialSettingsTest, HandshakesAndRates) {
    SerialLineSettings s;
    s.handshake = HANDSHAKE_CTS_RTS | HANDSHAKE_XON_XOFF;
    s.baudIndex = 12;  // 115200
    Applied a = Apply(s);
    ASSERT_TRUE(a.ok);
    EXPECT_TRUE(a.tio.c_cflag & CRTSCTS);
    EXPECT_TRUE(a.tio.c_iflag & IXON);
    EXPECT_TRUE(a.tio.c_iflag & IXOFF);
    EXPECT_EQ(a.tio.c_cc[VSTART], 0x11);
    EXPECT_EQ(a.tio.c_cc[VSTOP], 0x13);
    EXPECT_EQ(cfgetospeed(&a.tio), B115200);
    EXPECT_EQ(a.customBaud, 0);

    for (uint8_t index : {7, 10, 13, 14}) {  // 14400, 56000, 128000, 256000
        s.baudIndex = index;
        EXPECT_EQ(Apply(s).customBaud, BaudOfIndex(index));
    }

    s.handshake = HANDSHAKE_DSR_DTR;
    a = Apply(s);
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.error, "DSR/DTR handshake is not available on this system");
}

TEST(SerialSettingsTest, AFlagTheLineDroppedIsNamed) {
    Applied wanted = Apply(Line(7, PARITY_EVEN, STOP_ONE));
    ASSERT_TRUE(wanted.ok);
    std::string error;
    EXPECT_TRUE(LineTookSettings(wanted.tio, wanted.tio, &error));

    termios actual = wanted.tio;
    actual.c_cflag = (actual.c_cflag & ~CSIZE) | CS8;
    EXPECT_FALSE(LineTookSettings(wanted.tio, actual, &error));
    EXPECT_EQ(error, "data bits");
    actual = wanted.tio;
    actual.c_cflag &= ~PARENB;
    EXPECT_FALSE(LineTookSettings(wanted.tio, actual, &error));
    EXPECT_EQ(error, "parity");
    actual = wanted.tio;
    actual.c_iflag |= ICRNL;
    EXPECT_FALSE(LineTookSettings(wanted.tio, actual, &error));
}

}  // namespace
