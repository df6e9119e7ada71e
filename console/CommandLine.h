#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// What the user asked for on the command line.
struct CommandLine {
    enum class Mode { Window, Log, Replay, Simulate, Plot, Gpx, Help, Version };

    Mode mode = Mode::Window;
    std::vector<std::string> files;  // replay: the recordings, in order; plot, gpx: day files and folders
    std::string outDir;              // write the day files straight into this folder; plot, gpx: the file or folder
    std::string rootDir;             // the host folder that stands for the device root "\"
    std::string configDir;           // where settings.reg lives
    std::string statusLog;           // every status box text goes here
    std::string device;              // log and the terminal program: a tty bound to the port
    bool gpsd = false;               // log and the terminal program: read gpsd instead of a tty
    std::string gpsdServer;          // with gpsd: HOST[:PORT]; empty = localhost:2947
    int64_t speed = 0;               // log: baud rate; 0 = from the settings
    bool quiet = false;              // log: status texts only when their kind changes
    bool gpsOnly = false;            // read "$GP" sentences alone, whatever the settings say
    bool noGpx = false;              // write no GPX day file, whatever the settings say
    int64_t warnAfter = -1;          // seconds of silence before the log says so; -1 = from the settings
    bool fixRollover = false;        // replay: move dates a GPS week rollover put back up to today
    uint32_t seed = 1;               // simulate
    std::string simulateOut;         // simulate --out FILE; with --pty, a copy of the bytes sent
    uint32_t minutes = 0;            // simulate: length of the drive; 0 = the whole default drive
    bool pty = false;                // simulate --pty
    double speedUp = 1.0;            // simulate --pty: this many times faster than real time
};

// Parses argv; on a mistake returns false and sets error to a sentence that says
// what is wrong and what to do.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error);

// --help: the commands, then every option of the table by group.
void PrintUsage(FILE* out);
