#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/InputPoller.h"
#include "output/MessageCounter.h"
#include "tests/support/ExampleFix.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/FixedOffsetZone.h"
#include "tests/support/RecordingTextBoxes.h"

namespace {

struct RecordingSink : SentenceSink {
    void ProcessSentence(const char* sentence) override { sentences.push_back(sentence); }
    std::vector<std::string> sentences;
};

// Moves on by a fixed step at every reading, like time passing while chunks are fed.
struct SteppingClock : Clock {
    uint32_t TickMs() override { return now += step; }
    uint32_t now = 0;
    uint32_t step = 0;
};

struct PollerRig {
    FakeFileSystem files;
    SteppingClock clock;
    FixedOffsetZone zone;
    RecordingTextBoxes boxes;
    MessageCounter messages;
    RecordingSink sink;
    SentenceAssembler assembler{sink};
    TrackWriter track{files, clock, zone, boxes};
    RouteWriter route{files, clock, zone, boxes, messages};
    FakeSerialDevice serial;
    SerialPort port{serial};
    InputPoller poller{files, clock, port, assembler, track, route, boxes};

    void Replay(const std::string& bytes) {
        files.AddFile(L"\\r.nmea", bytes);
        poller.StartReplay(files.OpenExisting(L"\\r.nmea"), L"\\r.nmea");
    }
    int ReadsUntilDone(int maxTicks) {
        int ticks = 0;
        while (poller.Replaying() && ticks < maxTicks) {
            poller.Poll();
            ++ticks;
        }
        return ticks;
    }
};

TEST(InputPoller, EmptyFileEndsOnTheFirstTick) {
    PollerRig rig;
    rig.Replay("");
    rig.poller.Poll();
    EXPECT_FALSE(rig.poller.Replaying());
    EXPECT_EQ(rig.files.OpenCount(), 0);
    EXPECT_EQ(rig.poller.LastReplayContent(), InputPoller::Content::Empty);
    EXPECT_EQ(rig.boxes.log, L"") << "no \"File processed\" for a file that held nothing";
}

TEST(InputPoller, HalfSecondBudgetSplitsTheFileAcrossTicksWithoutLosingASentence) {
    PollerRig rig;
    rig.clock.step = 300;  // the second chunk of a tick ends past 500 ms
    std::string stream;
    for (int i = 0; stream.size() < 5 * 1024; ++i) stream += "$GPTXT,sentence " + std::to_string(i) + "*00\r\n";
    rig.Replay(stream);
    int ticks = rig.ReadsUntilDone(100);
    // 2 chunks a tick over 5 KiB and a bit: 3 ticks of data, the end is found in the third or fourth.
    EXPECT_GE(ticks, 3);
    EXPECT_LE(ticks, 4);
    size_t expected = 0;
    for (size_t at = 0; (at = stream.find("$GP", at)) != std::string::npos; ++at) ++expected;
    ASSERT_EQ(rig.sink.sentences.size(), expected) << "a sentence split between ticks is assembled whole";
    EXPECT_EQ(rig.sink.sentences.back(), stream.substr(stream.rfind("$GP"), stream.size() - stream.rfind("$GP") - 2));
    EXPECT_EQ(rig.boxes.log, L"File processed\r\n");
}

TEST(InputPoller, AtMostAThousandChunksPerTickAndExactMultiplesEndOnTheEmptyRead) {
    PollerRig rig;
    rig.Replay(std::string(1000 * 1024, 'x'));
    rig.poller.Poll();
    EXPECT_TRUE(rig.poller.Replaying()) << "1000 chunks read, the empty read is the next tick's";
    EXPECT_EQ(rig.files.Calls(FakeFileSystem::Op::Read), 1000);
    rig.poller.Poll();
    EXPECT_FALSE(rig.poller.Replaying());
    EXPECT_EQ(rig.poller.LastReplayContent(), InputPoller::Content::NotNmea);
}

}  // namespace

namespace {

// A read error is not the end of the file: what came before it is kept, and the log
// says which file stopped short and why, where "File processed" would have been.
TEST(InputPollerReadError, KeepsTheSentencesBeforeItAndNamesTheFileAndTheReason) {
    PollerRig rig;
    rig.Replay("$GPGGA,1*00\r\n$GPGGA,2*00\r\n");
    rig.track.AddPoint(ExampleFix());
    rig.files.readLimit = 14;
    rig.files.FailNext(FakeFileSystem::Op::Read, 5, 1);
    rig.poller.Poll();
    EXPECT_FALSE(rig.poller.Replaying());
    EXPECT_EQ(rig.files.OpenCount(), 0) << "the file is closed";
    EXPECT_EQ(rig.sink.sentences, std::vector<std::string>{"$GPGGA,1*00"});
    EXPECT_TRUE(rig.files.HasFile(L"\\Kestrave\\2009-03-25.plt")) << "the lines so far are flushed";
    EXPECT_EQ(rig.boxes.log.find(L"File processed"), std::wstring::npos) << rig.boxes.log;
    ASSERT_EQ(rig.boxes.appends.size(), 1u) << "one line, once";
    const std::wstring& line = rig.boxes.appends[0].text;
    EXPECT_NE(line.find(L"host:\\r.nmea"), std::wstring::npos) << "the file as the user knows it: " << line;
    EXPECT_NE(line.find(L"error 5"), std::wstring::npos) << "the read's own reason: " << line;
    EXPECT_NE(line.find(L" 14 bytes"), std::wstring::npos) << "how far it got: " << line;
    EXPECT_EQ(rig.poller.ReadErrors(), 1u);
}

TEST(InputPollerReadError, TheReasonIsTheReadsEvenWhenTheFlushAfterItFails) {
    PollerRig rig;
    rig.Replay("$GPGGA,1*00\r\n");
    rig.files.FailNext(FakeFileSystem::Op::Read, 23);
    rig.files.FailNext(FakeFileSystem::Op::Open, 32);
    rig.track.AddPoint(ExampleFix());
    rig.poller.Poll();
    EXPECT_FALSE(rig.poller.Replaying());
    const size_t start = rig.boxes.log.find(L"host:\\r.nmea");
    ASSERT_NE(start, std::wstring::npos) << rig.boxes.log;
    const std::wstring line = rig.boxes.log.substr(start, rig.boxes.log.find(L"\r\n", start) - start);
    EXPECT_NE(line.find(L"error 23"), std::wstring::npos) << line;
    EXPECT_EQ(line.find(L"error 32"), std::wstring::npos) << line;
}

}  // namespace

namespace {

TEST(InputPollerSerial, OpensOnTheFirstTickAndReadsUntilNothingIsWaiting) {
    PollerRig rig;
    rig.port.portNumber = 3;
    rig.serial.Feed("$GPGGA,1*00\r\n$GPG");
    rig.poller.Poll();
    EXPECT_EQ(rig.boxes.status, L"COM3 opening...\r\n");
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_EQ(rig.sink.sentences, std::vector<std::string>{"$GPGGA,1*00"});
    rig.serial.Feed("GA,2*00\r\n");
    rig.poller.Poll();
    EXPECT_EQ(rig.serial.Calls(FakeSerialDevice::Op::Open), 1) << "an open port is read again, not reopened";
    EXPECT_EQ(rig.sink.sentences.back(), "$GPGGA,2*00") << "a sentence split across ticks";
}

// A fast receiver is not outrun: a tick reads until the port has nothing more, up to
// a cap far above any receiver's second, and says once when even that leaves more.
TEST(InputPollerSerial, ATickReadsWhatThePortHoldsAndSaysOnceWhenItCannot) {
    PollerRig rig;
    rig.serial.Feed(std::string(20 * 1024, 'x'));
    rig.poller.Poll();
    EXPECT_EQ(rig.serial.Calls(FakeSerialDevice::Op::Read), 21) << "twenty full chunks, then an empty read";
    EXPECT_TRUE(rig.boxes.log.empty());

    rig.serial.Feed(std::string((InputPoller::kMaxSerialReadsPerTick + 40) * InputPoller::kChunkBytes, 'x'));
    rig.poller.Poll();
    EXPECT_EQ(rig.serial.Calls(FakeSerialDevice::Op::Read), 21 + InputPoller::kMaxSerialReadsPerTick);
    EXPECT_NE(rig.boxes.log.find(L"The receiver sends faster than Kestrave reads: 262144 bytes"), std::wstring::npos)
        << std::string(rig.boxes.log.begin(), rig.boxes.log.end());
    rig.serial.Feed(std::string(InputPoller::kMaxSerialReadsPerTick * InputPoller::kChunkBytes, 'x'));
    rig.poller.Poll();
    EXPECT_EQ(rig.boxes.log.find(L"faster"), rig.boxes.log.rfind(L"faster")) << "once a run";
}

TEST(InputPollerSerial, NoPortMeansNothingAndAReplayLeavesTheOpenPortAlone) {
    PollerRig none;
    none.port.portNumber = SerialPort::kNoPort;
    none.poller.Poll();
    EXPECT_EQ(none.serial.Calls(FakeSerialDevice::Op::Open), 0);
    EXPECT_TRUE(none.boxes.status.empty());

    PollerRig rig;
    rig.poller.Poll();
    rig.Replay("$GPGGA,r*00\r\n");
    rig.serial.Feed("$GPGGA,s*00\r\n");
    rig.poller.Poll();
    EXPECT_EQ(rig.sink.sentences, std::vector<std::string>{"$GPGGA,r*00"});
    EXPECT_TRUE(rig.port.IsOpen());
    rig.poller.Poll();
    EXPECT_EQ(rig.sink.sentences.back(), "$GPGGA,s*00");
    EXPECT_EQ(rig.serial.Calls(FakeSerialDevice::Op::Open), 1);
}

}  // namespace

namespace {

using SerialOp = FakeSerialDevice::Op;

// How the port moves between closed and open from tick to tick.
TEST(InputPollerPortState, AFailedOpenStaysClosedAndIsRetriedOnTheNextTick) {
    PollerRig rig;
    rig.serial.Fail(SerialOp::SetLineSettings);
    rig.poller.Poll();
    rig.poller.Poll();
    EXPECT_EQ(rig.boxes.status,
              L"COM1 opening...\r\nCOM-port open error (4)!\r\nCOM1 opening...\r\nCOM-port open error (4)!\r\n");
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.serial.IsOpen());
    EXPECT_EQ(rig.serial.Calls(SerialOp::Open), 2);
    EXPECT_EQ(rig.serial.Calls(SerialOp::Read), 0) << "a port that failed to open is not read";

    rig.serial.Heal(SerialOp::SetLineSettings);
    rig.serial.Feed("$GPGGA,1*00\r\n");
    rig.poller.Poll();
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_EQ(rig.sink.sentences, std::vector<std::string>{"$GPGGA,1*00"}) << "read in the tick that opened it";
    EXPECT_EQ(rig.serial.strayCalls, 0);
}

TEST(InputPollerPortState, AReadErrorClosesThePortAndTheNextTickReopensIt) {
    PollerRig rig;
    rig.poller.Poll();
    rig.serial.InjectReadError();
    rig.serial.calls.clear();
    rig.poller.Poll();
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.serial.IsOpen());
    EXPECT_EQ(rig.serial.calls, (std::vector<SerialOp>{SerialOp::Read, SerialOp::Close}))
        << "closed at once, no further reads that tick";
    EXPECT_EQ(rig.boxes.status, L"COM-port read error!\r\n") << "the last fix on screen is no longer current";

    rig.poller.Poll();
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_EQ(rig.serial.Calls(SerialOp::Open), 1);
    EXPECT_EQ(rig.boxes.status, L"COM-port read error!\r\nCOM1 opening...\r\n");
    EXPECT_EQ(rig.serial.strayCalls, 0);
}

TEST(InputPollerPortState, APortChangeClosesAtOnceAndTheNextTickOpensTheNewPort) {
    PollerRig rig;
    rig.poller.Poll();
    rig.port.SelectPort(5);
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.serial.IsOpen());
    EXPECT_EQ(rig.serial.Calls(SerialOp::Open), 1) << "the change itself does not reopen";

    rig.poller.Poll();
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_EQ(rig.serial.openedNames, (std::vector<std::wstring>{L"COM1:", L"COM5:"}));
    EXPECT_EQ(rig.boxes.status, L"COM1 opening...\r\nCOM5 opening...\r\n");
    EXPECT_EQ(rig.serial.strayCalls, 0);
}

TEST(InputPollerPortState, ASpeedChangeClosesAtOnceAndTheNextTickOpensAtTheNewSpeed) {
    PollerRig rig;
    rig.poller.Poll();
    EXPECT_EQ(rig.serial.driverSettings.baudRate, 4800u);
    rig.port.SelectSpeed(9600);
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.serial.IsOpen());

    rig.poller.Poll();
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_EQ(rig.serial.driverSettings.baudRate, 9600u);
    EXPECT_EQ(rig.serial.openedNames, (std::vector<std::wstring>{L"COM1:", L"COM1:"}));
    EXPECT_EQ(rig.boxes.status, L"COM1 opening...\r\nCOM1 opening...\r\n");
    EXPECT_EQ(rig.serial.strayCalls, 0);
}

}  // namespace

namespace {

int Count(const std::wstring& text, const std::wstring& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + what.size())) ++count;
    return count;
}

// Why the port does not open goes to the log box once per cause, while the status box
// repeats the numbered error every tick.
TEST(InputPollerOpenCause, OneLinePerCauseAgainAfterAChangeOrAnOpenInBetween) {
    PollerRig rig;
    rig.serial.Fail(SerialOp::Open, 13);
    rig.serial.openFailure = L"Permission denied on /dev/ttyACM0: join dialout";
    for (int tick = 0; tick < 3; ++tick) rig.poller.Poll();
    EXPECT_EQ(Count(rig.boxes.status, L"COM-port open error (1)!\r\n"), 3) << "the design's message every tick";
    EXPECT_EQ(rig.boxes.log, L"Permission denied on /dev/ttyACM0: join dialout\r\n");

    rig.serial.openFailure = L"/dev/ttyACM0 is in use by process 7 (gpsd)";
    rig.poller.Poll();
    rig.poller.Poll();
    rig.serial.openFailure = L"/dev/ttyACM0 is in use by process 8 (gpsd)";
    rig.poller.Poll();
    EXPECT_EQ(rig.boxes.log,
              L"Permission denied on /dev/ttyACM0: join dialout\r\n"
              L"/dev/ttyACM0 is in use by process 7 (gpsd)\r\n"
              L"/dev/ttyACM0 is in use by process 8 (gpsd)\r\n");

    rig.serial.Heal(SerialOp::Open);
    rig.poller.Poll();
    ASSERT_TRUE(rig.port.IsOpen());
    rig.serial.InjectReadError();
    rig.poller.Poll();
    rig.serial.Fail(SerialOp::Open, 16);
    rig.poller.Poll();
    rig.poller.Poll();
    EXPECT_EQ(Count(rig.boxes.log, L"/dev/ttyACM0 is in use by process 8 (gpsd)\r\n"), 2)
        << "the same cause after an open is told again, once: " << rig.boxes.log;
}

TEST(InputPollerOpenCause, AFailedLaterStepIsExplainedAfterItsOwnNumber) {
    PollerRig rig;
    rig.serial.Fail(SerialOp::SetupQueues, 25);
    rig.serial.openFailure = L"/tmp/x is not a serial device.";
    rig.poller.Poll();
    EXPECT_EQ(rig.boxes.status, L"COM1 opening...\r\nCOM-port open error (2)!\r\n");
    ASSERT_EQ(rig.boxes.appends.size(), 3u);
    EXPECT_EQ(rig.boxes.appends.back().control, kLogBox) << "the words come after the number";
    EXPECT_EQ(rig.boxes.appends.back().text, L"/tmp/x is not a serial device.\r\n");
}

TEST(InputPollerOpenCause, ADeviceWithoutWordsOrNoPortAddsNoLine) {
    PollerRig silent;
    silent.serial.Fail(SerialOp::Open);
    silent.poller.Poll();
    EXPECT_TRUE(silent.boxes.log.empty()) << silent.boxes.log;

    PollerRig negative;
    negative.port.portNumber = -7;
    negative.serial.openFailure = L"stale words of an earlier open";
    negative.poller.Poll();
    EXPECT_EQ(negative.boxes.status, L"COM-7 opening...\r\nCOM-port open error (1)!\r\n");
    EXPECT_TRUE(negative.boxes.log.empty()) << "no device was asked: " << negative.boxes.log;
}

// Bytes without sentences for five ticks are most likely a wrong speed.
TEST(InputPollerNoSentenceHint, OnceAfterFiveTicksOfBytesAndAgainOnlyAfterASentence) {
    PollerRig rig;
    rig.port.portSpeed = 4800;
    for (int tick = 1; tick <= 4; ++tick) {
        rig.serial.Feed("\x93\xf0\x11garbled\r\n");
        rig.poller.Poll();
    }
    EXPECT_TRUE(rig.boxes.log.empty()) << "four ticks are not yet a pattern";
    for (int tick = 5; tick <= 9; ++tick) {
        rig.serial.Feed("\x93\xf0\x11garbled\r\n");
        rig.poller.Poll();
    }
    EXPECT_EQ(Count(rig.boxes.log, L"Bytes arrive on COM1"), 1) << rig.boxes.log;
    EXPECT_NE(rig.boxes.log.find(L"no NMEA sentence at 4800 baud: is the speed right? Receivers usually send at 9600 "
                                 L"or 4800; choose another speed."),
              std::wstring::npos)
        << rig.boxes.log;

    rig.serial.Feed("$GPGGA,1*00\r\n");
    rig.poller.Poll();
    for (int tick = 0; tick < 4; ++tick) {
        rig.serial.Feed("garbled");
        rig.poller.Poll();
    }
    EXPECT_EQ(Count(rig.boxes.log, L"Bytes arrive"), 1) << "a sentence starts the count again";
    rig.serial.Feed("garbled");
    rig.poller.Poll();
    EXPECT_EQ(Count(rig.boxes.log, L"Bytes arrive"), 2) << "and after it the hint may come again";
}

TEST(InputPollerNoSentenceHint, QuietTicksAndSentencesSplitAcrossTicksAreNoReason) {
    PollerRig quiet;
    for (int tick = 0; tick < 10; ++tick) quiet.poller.Poll();
    EXPECT_TRUE(quiet.boxes.log.empty()) << "no bytes, nothing to say beyond the design's No data";

    PollerRig slow;
    const std::string sentence = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    // A sentence in three pieces over three ticks, again and again: two ticks of
    // every three hand nothing on, yet sentences keep coming.
    for (int round = 0; round < 5; ++round) {
        for (size_t at = 0; at < sentence.size(); at += 25) {
            slow.serial.Feed(sentence.substr(at, 25));
            slow.poller.Poll();
        }
    }
    EXPECT_EQ(slow.sink.sentences.size(), 5u);
    EXPECT_TRUE(slow.boxes.log.empty()) << slow.boxes.log;
}

}  // namespace
