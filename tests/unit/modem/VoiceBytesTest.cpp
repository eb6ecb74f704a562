// The exact bytes of the voice streams on a bare pty: framing, shielding and
// event codes, where the far end is written by hand.
#include "HostPort.h"
#include "TempHome.h"

#include "modem/CommDriver.h"

#include <gtest/gtest.h>

namespace {

std::string Bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v)
        s.push_back(static_cast<char>(b));
    return s;
}

class VoiceBytes : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.IsOpen());
        drv.Profile().Load(".Custom");
        ASSERT_NE(drv.OpenDevice(pty.SlavePath(), 115200), CCommDriver::kInvalidHandle);
        drv.m_bInitialized = true; // as after InitModem; no modem answers here
    }
    void Gsm(int framing) {
        drv.Profile().nCompression = 128;
        drv.Profile().nCompressionFrameGSM = framing;
        drv.Profile().nCompressionUnFrameGSM = 1;
    }
    std::string Receive(int size, uint32_t timeoutMs, bool events, unsigned char* ev) {
        std::string buf(static_cast<size_t>(size), '\0');
        int n = drv.ReceiveVoice(reinterpret_cast<unsigned char*>(buf.data()), size, timeoutMs,
                                 events, ev);
        return buf.substr(0, static_cast<size_t>(n));
    }

    TempHome home;
    PtyPair pty;
    CCommDriver drv;
};

TEST_F(VoiceBytes, TransmitFramesGsmAndShieldsDle) {
    Gsm(1);
    std::string data;
    for (int i = 0; i < 66; ++i)
        data.push_back(static_cast<char>(i == 5 ? 0x10 : 0x40 + i));
    EXPECT_EQ(drv.TransmitVoice(reinterpret_cast<const unsigned char*>(data.data()), 66, false), 0);
    std::string want = Bytes({0xFE, 0xFE}) + data.substr(0, 5) + Bytes({0x10}) +
                       data.substr(5, 28) + Bytes({0x00, 0xA5, 0xA5, 0xFE, 0xFE}) +
                       data.substr(33) + Bytes({0x00, 0xA5, 0xA5});
    EXPECT_EQ(pty.ReadBytes(want.size(), 10000), want);

    // Without framing only the shielding remains; a long block goes out in
    // pieces but byte for byte the same.
    drv.Profile().nCompression = 8;
    drv.Settings().iMaxBlockWrites = 16;
    std::string pcm(100, '\x10');
    drv.TransmitVoice(reinterpret_cast<const unsigned char*>(pcm.data()), 100, false);
    EXPECT_EQ(pty.ReadBytes(200, 10000), std::string(200, '\x10'));
}

TEST_F(VoiceBytes, TransmitReportsEventCodesAndIgnoresNoise) {
    drv.Profile().nCompression = 8;
    const unsigned char data[300] = {};
    pty.Send(Bytes({'x', 0x10, 's', 0x10, 'b'}));
    EXPECT_EQ(drv.TransmitVoice(data, sizeof data, true), 'b');
    EXPECT_EQ(drv.m_nLastEvent, 'b');
    pty.ReadBytes(300, 10000);
    pty.Send(Bytes({0x10, 'q'}));
    EXPECT_EQ(drv.TransmitVoice(data, sizeof data, true), 0) << "silence is no event here";
}

TEST_F(VoiceBytes, ReceiveUnframesGsmAndKeepsLookalikes) {
    Gsm(1);
    std::string f1(33, '\x21'), f2(33, '\x42');
    f1[3] = 0x00; // 00 A5 not followed by A5 is data
    f1[4] = static_cast<char>(0xA5);
    f1[10] = 0x10; // shielded below
    std::string wire = Bytes({0x13, 0xFE, 0xFE}) + f1.substr(0, 10) + Bytes({0x10, 0x10}) +
                       f1.substr(11) + Bytes({0x00, 0xA5, 0xA5, 0xFE, 0xFE}) + f2 +
                       Bytes({0x00, 0xA5, 0xA5, 0xFE, 0xFE});
    pty.Send(wire);
    unsigned char ev = 0;
    EXPECT_EQ(Receive(66, 10000, true, &ev), f1 + f2);
}

TEST_F(VoiceBytes, ReceiveWithoutFramingKeepsThePartOfAFrame) {
    Gsm(0);
    std::string data;
    for (int i = 0; i < 66; ++i)
        data.push_back(static_cast<char>(0x30 + i % 50));
    pty.Send(data.substr(0, 40));
    unsigned char ev = 0;
    EXPECT_EQ(Receive(100, 300, true, &ev), data.substr(0, 33));
    pty.Send(data.substr(40));
    EXPECT_EQ(Receive(100, 300, true, &ev), data.substr(33, 33))
        << "the 7 bytes held back start the next frame";
}

TEST_F(VoiceBytes, ReceiveSeparatesDleCodes) {
    drv.Profile().nCompression = 8;
    pty.Send(Bytes({1, 2, 0x10, 0x10, 3, 0x10, 'X', 4, 0x10, '7', 5}));
    unsigned char ev = 0;
    EXPECT_EQ(Receive(100, 10000, true, &ev), Bytes({1, 2, 0x10, 3, 4}));
    EXPECT_EQ(ev, '7');
    // Without event checking codes are dropped and the data goes on.
    pty.Send(Bytes({0x10, 'b', 6, 7}));
    EXPECT_EQ(Receive(3, 10000, false, &ev), Bytes({5, 6, 7}));
    // The buffer never overflows, whatever arrives.
    pty.Send(std::string(5000, '\x10'));
    std::string got = Receive(10, 10000, true, &ev);
    EXPECT_EQ(got, std::string(10, '\x10'));
}

} // namespace
