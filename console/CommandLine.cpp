#include "console/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <cstdlib>
#include <cstring>

namespace {

using Mode = CommandLine::Mode;

// Which commands an option goes with: a bit per mode.
constexpr unsigned Bit(Mode mode) { return 1u << static_cast<unsigned>(mode); }
constexpr unsigned kLive = Bit(Mode::Window) | Bit(Mode::Log);
constexpr unsigned kRunning = kLive | Bit(Mode::Replay);
constexpr unsigned kReadBack = Bit(Mode::Plot) | Bit(Mode::Gpx);
constexpr unsigned kAll = kRunning | Bit(Mode::Simulate) | kReadBack;

// What follows an option: nothing, a word, a word that may be left out, a whole number
// from low to high, or a factor from low to high.
enum class Takes { Nothing, Word, MaybeWord, Whole, Factor };

struct Value {
    const char* text;  // the word; null when none was given
    uint64_t whole;
    double factor;
};

struct Option {
    const char* name;
    unsigned modes;
    Takes takes;
    const char* needs;   // what a missing or wrong value should have been
    uint64_t low, high;  // Whole and Factor
    void (*set)(CommandLine& line, const Value& value);
    const char* shown;   // the option as --help shows it; null: not shown on its own
    const char* help;    // lines after the first start with "\n"
    const char* group;
};

constexpr const char* kInput = "Input (log and the terminal program):";
constexpr const char* kLog = "Logging (log):";
constexpr const char* kReplay = "Replay (replay):";
constexpr const char* kSimulate = "Simulation (simulate):";
constexpr const char* kCommon = "Common options:";

const Option kOptions[] = {
    {"--device", kLive, Takes::Word, "a tty path such as /dev/ttyUSB0", 0, 0,
     [](CommandLine& l, const Value& v) { l.device = v.text; }, "--device PATH",
     "read the receiver on this tty, whatever port is selected", kInput},
    {"--gpsd", kLive, Takes::MaybeWord, nullptr, 0, 0,
     [](CommandLine& l, const Value& v) {
         l.gpsd = true;
         if (v.text != nullptr) l.gpsdServer = v.text;
     },
     "--gpsd [HOST[:PORT]]",
     "read the sentences gpsd relays instead of a tty (default localhost:2947);\n"
     "the setting GpsdServer does the same without the option",
     kInput},
    {"--speed", Bit(Mode::Log), Takes::Whole, "a baud rate such as 4800 or 9600", 1, 4000000,
     [](CommandLine& l, const Value& v) { l.speed = static_cast<int64_t>(v.whole); }, "--speed BAUD",
     "open the port at this speed instead of the stored one", kLog},
    {"--warn-after", kLive, Takes::Whole, "a number of seconds from 0 to 86400", 0, 86400,
     [](CommandLine& l, const Value& v) { l.warnAfter = static_cast<int64_t>(v.whole); }, "--warn-after SECONDS",
     "say in the log when no data, or no fix, came for this long (default 300;\n"
     "0: never); the setting WarnAfter does the same without the option",
     kInput},
    {"--quiet", Bit(Mode::Log), Takes::Nothing, nullptr, 0, 0, [](CommandLine& l, const Value&) { l.quiet = true; },
     "--quiet", "print log lines and changes of state only (port, fix, new day file)", kLog},
    {"--fix-rollover", Bit(Mode::Replay), Takes::Nothing, nullptr, 0, 0,
     [](CommandLine& l, const Value&) { l.fixRollover = true; }, "--fix-rollover",
     "move dates that a receiver's GPS week rollover put 1024 weeks (or a multiple)\n"
     "back up to today, as live logging always does",
     kReplay},
    {"--pty", Bit(Mode::Simulate), Takes::Nothing, nullptr, 0, 0, [](CommandLine& l, const Value&) { l.pty = true; },
     "--pty", "a live receiver on a pseudo-terminal, whose path is printed", kSimulate},
    {"--speed-up", Bit(Mode::Simulate), Takes::Factor, "a factor from 1 to 100000", 1, 100000,
     [](CommandLine& l, const Value& v) { l.speedUp = v.factor; }, "--speed-up N",
     "with --pty: send N times faster than real time", kSimulate},
    {"--seed", Bit(Mode::Simulate), Takes::Whole, "a whole number from 0 to 4294967295", 0, 0xFFFFFFFFu,
     [](CommandLine& l, const Value& v) { l.seed = static_cast<uint32_t>(v.whole); }, "--seed N",
     "another made-up drive for another number", kSimulate},
    {"--minutes", Bit(Mode::Simulate), Takes::Whole, "a whole number from 1 to 14400", 1, 14400,
     [](CommandLine& l, const Value& v) { l.minutes = static_cast<uint32_t>(v.whole); }, "--minutes M",
     "the length of the drive", kSimulate},
    {"--out", Bit(Mode::Simulate), Takes::Word, "a file name", 0, 0,
     [](CommandLine& l, const Value& v) { l.simulateOut = v.text; }, "--out FILE",
     "the recording to write; with --pty, a copy of the bytes sent", kSimulate},
    {"--out", kReadBack, Takes::Word, "a file name or a folder", 0, 0,
     [](CommandLine& l, const Value& v) { l.outDir = v.text; }, nullptr, nullptr, nullptr},
    {"--out", kRunning, Takes::Word, "a folder", 0, 0, [](CommandLine& l, const Value& v) { l.outDir = v.text; },
     "--out DIR", "write the day files straight into DIR", kCommon},
    {"--root", kRunning | Bit(Mode::Simulate), Takes::Word, "a folder", 0, 0,
     [](CommandLine& l, const Value& v) { l.rootDir = v.text; }, "--root DIR",
     "the folder that stands for the device root \"\\\" (default: your home folder)", kCommon},
    {"--config", kRunning | Bit(Mode::Simulate), Takes::Word, "a folder", 0, 0,
     [](CommandLine& l, const Value& v) { l.configDir = v.text; }, "--config DIR",
     "where settings.reg is kept (default: $XDG_CONFIG_HOME/kestrave)", kCommon},
    {"--status-log", kRunning | Bit(Mode::Simulate), Takes::Word, "a file name", 0, 0,
     [](CommandLine& l, const Value& v) { l.statusLog = v.text; }, "--status-log FILE",
     "append every status text to FILE, each followed by a line \"----\"", kCommon},
    {"--gps-only", kRunning, Takes::Nothing, nullptr, 0, 0, [](CommandLine& l, const Value&) { l.gpsOnly = true; },
     "--gps-only",
     "read only \"$GP\" sentences, as receivers of GPS alone send them\n"
     "(default: every satellite system's RMC and GGA: $GN, $GL, $GA, $GB, $BD,\n"
     "$GQ, $GI)",
     kCommon},
    {"--no-gpx", kRunning, Takes::Nothing, nullptr, 0, 0, [](CommandLine& l, const Value&) { l.noGpx = true; },
     "--no-gpx",
     "write no GPX day file beside the track and route files for this run;\n"
     "the setting WriteGpx = 0 does the same for good",
     kCommon},
    {"--help", kAll | Bit(Mode::Window), Takes::Nothing, nullptr, 0, 0,
     [](CommandLine& l, const Value&) { l.mode = Mode::Help; }, "--help, -h", "show this text", kCommon},
    {"-h", kAll, Takes::Nothing, nullptr, 0, 0, [](CommandLine& l, const Value&) { l.mode = Mode::Help; }, nullptr,
     nullptr, nullptr},
    {"--version", kAll, Takes::Nothing, nullptr, 0, 0, [](CommandLine& l, const Value&) { l.mode = Mode::Version; },
     "--version", "show the version", kCommon},
};

const struct {
    const char* word;
    Mode mode;
    bool takesFiles;
    const char* onlyOption;  // the one option of a command that takes a single one
} kCommands[] = {{"log", Mode::Log, false, nullptr},
                 {"replay", Mode::Replay, true, nullptr},
                 {"simulate", Mode::Simulate, false, nullptr},
                 {"plot", Mode::Plot, true, "--out FILE.svg or --out DIR"},
                 {"gpx", Mode::Gpx, true, "--out FILE.gpx or --out DIR"}};

// Rules that take the whole line: when the first holds, the line is refused with the second.
const struct {
    bool (*broken)(const CommandLine& line);
    const char* error;
} kWholeLineRules[] = {
    {[](const CommandLine& l) { return l.gpsd && !l.device.empty(); },
     "--device and --gpsd both name the input; give one of them."},
    {[](const CommandLine& l) { return l.mode == Mode::Replay && l.files.empty(); },
     "replay needs at least one NMEA file, for example: kestrave replay examples/drive.nmea"},
    {[](const CommandLine& l) { return l.mode == Mode::Plot && l.files.empty(); },
     "plot needs a day's track file or a folder of them, for example: kestrave plot out/2026-01-14.plt"},
    {[](const CommandLine& l) { return l.mode == Mode::Gpx && l.files.empty(); },
     "gpx needs a day's track file or a folder of them, for example: kestrave gpx out/2026-01-14.plt"},
    {[](const CommandLine& l) { return l.mode == Mode::Simulate && !l.pty && l.simulateOut.empty(); },
     "simulate needs --out FILE (a recording) or --pty (a live receiver)."},
    {[](const CommandLine& l) { return l.mode == Mode::Simulate && !l.pty && l.speedUp != 1.0; },
     "--speed-up paces the live receiver; it goes with --pty (a file is written at once)."},
};

const Option* Find(const std::string& name, Mode mode) {
    for (const Option& option : kOptions) {
        if (name == option.name && (option.modes & Bit(mode))) return &option;
    }
    return nullptr;
}

bool InRange(const Option& option, const char* text, Value* value) {
    if (text == nullptr || *text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    if (option.takes == Takes::Factor) {
        value->factor = strtod(text, &end);
        return *end == '\0' && value->factor >= option.low && value->factor <= option.high;
    }
    value->whole = strtoull(text, &end, 10);
    return errno == 0 && *end == '\0' && value->whole >= option.low && value->whole <= option.high;
}

// Reads the option's value from argv[*i + 1] on, moving *i past what it took.
bool TakeValue(const Option& option, int argc, const char* const* argv, int* i, Value* value, std::string& error) {
    const char* next = *i + 1 < argc ? argv[*i + 1] : nullptr;
    value->text = nullptr;
    if (option.takes == Takes::Nothing) return true;
    if (option.takes == Takes::MaybeWord) {
        // The address is optional: a next word that is an option is not one.
        if (next != nullptr && next[0] != '-') value->text = argv[++*i];
        return true;
    }
    if (next == nullptr || next[0] == '\0') {
        error = std::string(option.name) + " needs " + option.needs + "; see kestrave --help.";
        return false;
    }
    value->text = argv[++*i];
    if (option.takes == Takes::Word || InRange(option, next, value)) return true;
    error = std::string(option.name) + " needs " + option.needs + ", not '" + next + "'.";
    return false;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error) {
    int i = 1;
    if (i < argc && argv[i][0] != '-') {
        const std::string word = argv[i++];
        const auto* command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                           [&](const auto& c) { return word == c.word; });
        if (command == std::end(kCommands)) {
            error = "unknown command '" + word + "'. Use log, replay, simulate, plot or gpx; see kestrave --help.";
            return false;
        }
        line.mode = command->mode;
    }
    const Mode mode = line.mode;
    const auto* command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                       [&](const auto& c) { return mode == c.mode; });
    const bool named = command != std::end(kCommands);
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (const Option* option = Find(arg, mode)) {
            Value value{};
            if (!TakeValue(*option, argc, argv, &i, &value, error)) return false;
            option->set(line, value);
            if (line.mode == Mode::Help || line.mode == Mode::Version) return true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = named && command->onlyOption != nullptr
                        ? std::string(command->word) + " takes no option '" + arg + "'; only " + command->onlyOption +
                              ". See kestrave --help."
                        : "unknown option '" + arg + "' here; see kestrave --help.";
            return false;
        } else if (named && command->takesFiles) {
            line.files.push_back(arg);
        } else {
            error = "unexpected argument '" + arg + "'; see kestrave --help.";
            return false;
        }
    }
    for (const auto& rule : kWholeLineRules) {
        if (rule.broken(line)) {
            error = rule.error;
            return false;
        }
    }
    return true;
}

void PrintUsage(FILE* out) {
    fputs("Usage: kestrave [--device PATH | --gpsd [HOST[:PORT]]] [--gps-only] [--warn-after SECONDS]\n"
          "  or:  kestrave log [--device PATH | --gpsd [HOST[:PORT]]] [--speed BAUD] [--quiet] [--gps-only]\n"
          "                    [--warn-after SECONDS]\n"
          "  or:  kestrave replay FILE... [--fix-rollover] [--gps-only]\n"
          "  or:  kestrave simulate --out FILE [--seed N] [--minutes M]\n"
          "  or:  kestrave simulate --pty [--speed-up N] [--seed N] [--minutes M] [--out FILE]\n"
          "  or:  kestrave plot DAY.plt|FOLDER... [--out FILE.svg|DIR]\n"
          "  or:  kestrave gpx DAY.plt|FOLDER... [--out FILE.gpx|DIR]\n"
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
          "  gpx                the track and route files of each day as GPX 1.1, every time to the\n"
          "                     second; one document on standard output or in --out FILE.gpx, or\n"
          "                     one YYYY-MM-DD.gpx per day in the folder --out DIR (never the\n"
          "                     logger's own folder: its live GPX day files are never replaced)\n",
          out);
    for (const char* group : {kInput, kLog, kReplay, kSimulate, kCommon}) {
        fprintf(out, "\n%s\n", group);
        for (const Option& option : kOptions) {
            if (option.shown == nullptr || option.group != group) continue;
            // A long option stands on a line of its own, its help below.
            if (strlen(option.shown) > 18) fprintf(out, "  %s\n%21s", option.shown, "");
            else fprintf(out, "  %-18s ", option.shown);
            for (const char* p = option.help; *p != '\0'; ++p) {
                fputc(*p, out);
                if (*p == '\n') fprintf(out, "%21s", "");
            }
            fputc('\n', out);
        }
    }
}
