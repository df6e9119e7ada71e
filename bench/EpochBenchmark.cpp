// The cost of one epoch of a drive (RMC, GGA, GSA and three GSV sentences) from its
// bytes to the day files: the sentence assembler, pairing and status text, the jump
// filter, pacing, route selection and both writers, on null platform parts.
//
//   kestrave_epoch_bench [Google Benchmark options]   ns per epoch
//   kestrave_epoch_bench --epochs N                   runs N epochs and exits, for
//                                                     counting instructions under callgrind
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/NullPlatform.h"
#include "nmea/SentenceAssembler.h"
#include "output/MessageCounter.h"
#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "processing/FixProcessor.h"
#include "processing/RouteSelector.h"
#include "tests/support/FixedOffsetZone.h"
#include "simulator/NmeaSimulator.h"

namespace {

// One hour of the made-up drive, cut into its one-second epochs: the times, the
// pairing order, the speed and the turns change from epoch to epoch as on the road.
class Drive {
public:
    Drive() {
        SimulatorOptions options;
        options.hours = 1.0;
        NmeaSimulator simulator(options);
        starts_.push_back(0);
        while (simulator.NextEpoch(bytes_)) starts_.push_back(bytes_.size());
    }
    size_t Epochs() const { return starts_.size() - 1; }
    const uint8_t* Bytes(size_t epoch) const {
        return reinterpret_cast<const uint8_t*>(bytes_.data()) + starts_[epoch];
    }
    uint32_t Size(size_t epoch) const { return static_cast<uint32_t>(starts_[epoch + 1] - starts_[epoch]); }
    double BytesPerEpoch() const { return static_cast<double>(bytes_.size()) / static_cast<double>(Epochs()); }

private:
    std::string bytes_;
    std::vector<size_t> starts_;
};

const Drive& TheDrive() {
    static const Drive drive;
    return drive;
}

// The recorder below the shell, wired as the program wires it.
struct Recorder {
    NullFileSystem files;
    StepClock clock;
    FixedOffsetZone zone{60};
    NullTextBoxes boxes;
    MessageCounter messages;
    TrackWriter track{files, clock, zone, boxes};
    RouteWriter routeWriter{files, clock, zone, boxes, messages};
    RouteSelector route{routeWriter};
    int32_t noDataTicks = 0;
    FixProcessor processor{zone, boxes, track, route, noDataTicks};
    SentenceAssembler assembler{processor};

    // One epoch as the input poller hands it on, a read at a time, or byte by byte.
    void Epoch(const Drive& drive, size_t epoch, bool byteByByte) {
        const uint8_t* bytes = drive.Bytes(epoch);
        const uint32_t size = drive.Size(epoch);
        if (byteByByte) {
            for (uint32_t i = 0; i < size; ++i) assembler.FeedByte(bytes[i]);
        } else {
            assembler.Feed(bytes, size);
        }
        clock.now += 1000;
    }
};

void RunEpochs(benchmark::State& state, bool byteByByte) {
    const Drive& drive = TheDrive();
    auto recorder = std::make_unique<Recorder>();
    size_t epoch = 0;
    for (auto _ : state) {
        recorder->Epoch(drive, epoch, byteByByte);
        if (++epoch == drive.Epochs()) epoch = 0;  // the hour starts again
    }
    benchmark::DoNotOptimize(recorder->files.written);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(static_cast<double>(state.iterations()) * drive.BytesPerEpoch()));
}

void BM_Epoch(benchmark::State& state) { RunEpochs(state, false); }
void BM_EpochByteByByte(benchmark::State& state) { RunEpochs(state, true); }
BENCHMARK(BM_Epoch);
BENCHMARK(BM_EpochByteByByte);

// Without Google Benchmark's timing loop, so that two runs under callgrind differ
// by exactly the instructions of the extra epochs.
int RunFixedEpochs(long count) {
    const Drive& drive = TheDrive();
    auto recorder = std::make_unique<Recorder>();
    for (long i = 0; i < count; ++i) recorder->Epoch(drive, static_cast<size_t>(i) % drive.Epochs(), false);
    printf("%ld epochs, %.1f bytes each, %llu bytes written\n", count, drive.BytesPerEpoch(),
           static_cast<unsigned long long>(recorder->files.written));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--epochs") == 0) return RunFixedEpochs(std::atol(argv[2]));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
