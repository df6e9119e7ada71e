#include "console/CommandLine.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char kUsageText[] =
    "Usage: kestrave [--device PATH | --gpsd [HOST[:PORT]]] [--gps-only]\n"
    "  or:  kestrave log [--device PATH | --gpsd [HOST[:PORT]]] [--speed BAUD] [--quiet] [--gps-only]\n"
    "  or:  kestrave replay FILE... [--gps-only]\n"
    "  or:  kestrave simulate --out FILE [--seed N] [--minutes M]\n"
    "  or:  kestrave simulate --pty [--speed-up N] [--seed N] [--minutes M] [--out FILE]\n"
    "  or:  kestrave plot DAY.plt|FOLDER... [--out FILE.svg|DIR]\n"
    "\n"
    "Commands:\n"
    "  (none)             the terminal program: live logging with a status screen\n"
    "  log                live logging from the GPS receiver, without a screen; --quiet prints\n"
    "                     log lines and changes of state only (port, fix, new day file): the way\n"
    "                     to run it unattended\n"
    "  replay             replay recorded NMEA files into the day files, as fast as possible\n"
    "  simulate           a made-up GPS receiver, into a file or a pseudo-terminal (with --pty,\n"
    "                     --out FILE keeps a copy of the bytes sent)\n"
    "  plot               an SVG picture of each day: the track coloured by speed, the route's\n"
    "                     waypoints, distance and times; beside each .plt by default\n"
    "\n"
    "Input (log and the terminal program):\n"
    "  --device PATH      read the receiver on this tty, whatever port is selected\n"
    "  --gpsd [HOST[:PORT]]\n"
    "                     read the sentences gpsd relays instead of a tty (default localhost:2947);\n"
    "                     the setting GpsdServer does the same without the option\n"
    "\n"
    "Common options:\n"
    "  --out DIR          write the day files straight into DIR\n"
    "  --root DIR         the folder that stands for the device root \"\\\" (default: your home folder)\n"
    "  --config DIR       where settings.reg is kept (default: $XDG_CONFIG_HOME/kestrave)\n"
    "  --status-log FILE  append every status text to FILE, each followed by a line \"----\"\n"
    "  --gps-only         read only \"$GP\" sentences, as receivers of GPS alone send them\n"
    "                     (default: every satellite system's RMC and GGA: $GN, $GL, $GA, $GB, $BD,\n"
    "                     $GQ, $GI)\n"
    "  --help, --version\n";

namespace {

bool ParseUnsigned(const char* text, uint64_t limit, uint64_t* value) {
    if (text == nullptr || *text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed > limit) return false;
    *value = parsed;
    return true;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error) {
    int i = 1;
    if (i < argc && argv[i][0] != '-') {
        std::string word = argv[i++];
        if (word == "log") {
            line.mode = CommandLine::Mode::Log;
        } else if (word == "replay") {
            line.mode = CommandLine::Mode::Replay;
        } else if (word == "simulate") {
            line.mode = CommandLine::Mode::Simulate;
        } else if (word == "plot") {
            line.mode = CommandLine::Mode::Plot;
        } else {
            error = "unknown command '" + word + "'. Use log, replay, simulate or plot; see kestrave --help.";
            return false;
        }
    }
    const CommandLine::Mode mode = line.mode;
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needValue = [&](const char* what) {
            if (value == nullptr || value[0] == '\0') {
                error = arg + " needs " + what + "; see kestrave --help.";
                return false;
            }
            ++i;
            return true;
        };
        // A whole number from low to high, or a sentence naming what was given instead.
        auto needNumber = [&](const char* what, const char* wanted, uint64_t low, uint64_t high, uint64_t* number) {
            if (!needValue(what)) return false;
            if (ParseUnsigned(value, high, number) && *number >= low) return true;
            error = arg + " needs " + wanted + ", not '" + std::string(value) + "'.";
            return false;
        };
        if (arg == "--help" || arg == "-h") {
            line.mode = CommandLine::Mode::Help;
            return true;
        } else if (arg == "--version") {
            line.mode = CommandLine::Mode::Version;
            return true;
        } else if (arg == "--out") {
            if (!needValue(mode == CommandLine::Mode::Simulate ? "a file name"
                           : mode == CommandLine::Mode::Plot   ? "a file name or a folder"
                                                               : "a folder")) return false;
            (mode == CommandLine::Mode::Simulate ? line.simulateOut : line.outDir) = value;
        } else if (arg == "--root" && mode != CommandLine::Mode::Plot) {
            if (!needValue("a folder")) return false;
            line.rootDir = value;
        } else if (arg == "--config" && mode != CommandLine::Mode::Plot) {
            if (!needValue("a folder")) return false;
            line.configDir = value;
        } else if (arg == "--status-log" && mode != CommandLine::Mode::Plot) {
            if (!needValue("a file name")) return false;
            line.statusLog = value;
        } else if (arg == "--device" && (mode == CommandLine::Mode::Log || mode == CommandLine::Mode::Window)) {
            if (!needValue("a tty path such as /dev/ttyUSB0")) return false;
            line.device = value;
        } else if (arg == "--gpsd" && (mode == CommandLine::Mode::Log || mode == CommandLine::Mode::Window)) {
            line.gpsd = true;
            // The address is optional: a next word that is an option is not one.
            if (value != nullptr && value[0] != '-') {
                line.gpsdServer = value;
                ++i;
            }
        } else if (arg == "--quiet" && mode == CommandLine::Mode::Log) {
            line.quiet = true;
        } else if (arg == "--speed" && mode == CommandLine::Mode::Log) {
            uint64_t baud = 0;
            if (!needNumber("a baud rate", "a baud rate such as 4800 or 9600", 1, 4000000, &baud)) return false;
            line.speed = static_cast<int64_t>(baud);
        } else if (arg == "--seed" && mode == CommandLine::Mode::Simulate) {
            uint64_t seed = 0;
            if (!needNumber("a number", "a whole number from 0 to 4294967295", 0, 0xFFFFFFFFu, &seed)) return false;
            line.seed = static_cast<uint32_t>(seed);
        } else if (arg == "--minutes" && mode == CommandLine::Mode::Simulate) {
            uint64_t minutes = 0;
            if (!needNumber("a number of minutes", "a whole number from 1 to 14400", 1, 14400, &minutes)) return false;
            line.minutes = static_cast<uint32_t>(minutes);
        } else if (arg == "--gps-only" && mode != CommandLine::Mode::Simulate && mode != CommandLine::Mode::Plot) {
            line.gpsOnly = true;
        } else if (arg == "--pty" && mode == CommandLine::Mode::Simulate) {
            line.pty = true;
        } else if (arg == "--speed-up" && mode == CommandLine::Mode::Simulate) {
            if (!needValue("a factor")) return false;
            char* end = nullptr;
            double factor = strtod(value, &end);
            if (*end != '\0' || !(factor >= 1.0 && factor <= 100000.0)) {
                error = "--speed-up needs a factor from 1 to 100000, not '" + std::string(value) + "'.";
                return false;
            }
            line.speedUp = factor;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = mode == CommandLine::Mode::Plot
                        ? "plot takes no option '" + arg + "'; only --out FILE.svg or --out DIR. See kestrave --help."
                        : "unknown option '" + arg + "' here; see kestrave --help.";
            return false;
        } else if (mode == CommandLine::Mode::Replay || mode == CommandLine::Mode::Plot) {
            line.files.push_back(arg);
        } else {
            error = "unexpected argument '" + arg + "'; see kestrave --help.";
            return false;
        }
    }
    if (line.gpsd && !line.device.empty()) {
        error = "--device and --gpsd both name the input; give one of them.";
        return false;
    }
    if (mode == CommandLine::Mode::Replay && line.files.empty()) {
        error = "replay needs at least one NMEA file, for example: kestrave replay examples/drive.nmea";
        return false;
    }
    if (mode == CommandLine::Mode::Plot && line.files.empty()) {
        error = "plot needs a day's track file or a folder of them, for example: kestrave plot out/2026-01-14.plt";
        return false;
    }
    if (mode == CommandLine::Mode::Simulate && !line.pty && line.simulateOut.empty()) {
        error = "simulate needs --out FILE (a recording) or --pty (a live receiver).";
        return false;
    }
    if (mode == CommandLine::Mode::Simulate && !line.pty && line.speedUp != 1.0) {
        error = "--speed-up paces the live receiver; it goes with --pty (a file is written at once).";
        return false;
    }
    return true;
}
