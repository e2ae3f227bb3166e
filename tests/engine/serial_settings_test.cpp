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

TEST(SerialSettingsTest, StopBitsAreWhatTheUartSendsWithThatManyDataBits) {
    // CSTOPB gives 1.5 stop bits with 5 data bits and 2 with more.
    Applied a = Apply(Line(5, PARITY_NONE, STOP_ONE_AND_HALF));
    ASSERT_TRUE(a.ok);
    EXPECT_TRUE(a.tio.c_cflag & CSTOPB);
    for (uint8_t bits : {6, 7, 8}) {
        a = Apply(Line(bits, PARITY_NONE, STOP_ONE_AND_HALF));
        EXPECT_FALSE(a.ok);
        EXPECT_EQ(a.error, "1.5 stop bits need 5 data bits; the line has " + std::to_string(bits));
        a = Apply(Line(bits, PARITY_NONE, STOP_TWO));
        ASSERT_TRUE(a.ok) << a.error;
        EXPECT_TRUE(a.tio.c_cflag & CSTOPB);
    }
    a = Apply(Line(5, PARITY_NONE, STOP_TWO));
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.error, "2 stop bits need 6 to 8 data bits; with 5 the line sends 1.5");
    EXPECT_TRUE(Apply(Line(5, PARITY_NONE, STOP_ONE)).ok);
}

TEST(SerialSettingsTest, BreaksAreIgnoredNotReadAsZeroBytes) {
    const Applied a = Apply(SerialLineSettings{});
    ASSERT_TRUE(a.ok);
    EXPECT_TRUE(a.tio.c_iflag & IGNBRK);
    EXPECT_FALSE(a.tio.c_iflag & (BRKINT | PARMRK));
    termios dropped = a.tio;
    dropped.c_iflag &= ~IGNBRK;
    std::string error;
    EXPECT_FALSE(LineTookSettings(a.tio, dropped, &error));
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

TEST(SerialSettingsTest, NoDsrDtrHandshakeIsPretended) {
    SerialLineSettings s;
    s.handshake = HANDSHAKE_DSR_DTR;
    Applied a = Apply(s);
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
