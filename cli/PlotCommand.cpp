#include "cli/PlotCommand.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "format/BoundedText.h"
#include "platform/posix/HostPaths.h"
#include "plot/DayTrackReader.h"
#include "plot/RouteReader.h"
#include "plot/SvgWriter.h"

namespace {

bool EndsWith(const std::string& text, const char* end) {
    const size_t length = strlen(end);
    return text.size() >= length && text.compare(text.size() - length, length, end) == 0;
}

std::string WithoutExtension(const std::string& path) { return path.substr(0, path.size() - 4); }

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The whole file into bytes; false with errno set when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    char chunk[65536];
    size_t got = 0;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    const int error = ferror(file) ? errno : 0;
    fclose(file);
    errno = error;
    return error == 0;
}

// The file at once, or an error: a half-written picture is worse than none.
int WriteWholeFile(const std::string& path, const std::string& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) return errno;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && fflush(file) == 0;
    const int error = written ? 0 : errno;
    if (fclose(file) != 0 && error == 0) return errno;
    return error;
}

// The .plt files in a folder, by name, which is by date.
bool ListDays(const std::string& folder, std::vector<std::string>& days) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (EndsWith(name, ".plt") && IsHostFile(folder + "/" + name)) days.push_back(folder + "/" + name);
    }
    closedir(dir);
    std::sort(days.begin(), days.end());
    return true;
}

// "file: N lines skipped, the first is line L" when a file had lines that could not be read.
void ReportSkipped(const std::string& path, int count, int firstLine, const char* what) {
    if (count == 0) return;
    fprintf(stderr, "kestrave: %s: skipped %d malformed or cut-off line%s (the first is line %d); %s\n", path.c_str(),
            count, count == 1 ? "" : "s", firstLine, what);
}

// The waypoints of the day's route file beside the track, when there is one.
std::vector<Waypoint> ReadRouteBeside(const std::string& track) {
    const std::string path = WithoutExtension(track) + ".rte";
    if (!IsHostFile(path)) return {};
    std::string text;
    if (!ReadWholeFile(path, text)) {
        fprintf(stderr, "kestrave: cannot read the route file %s: %s; the day is drawn without its waypoints.\n",
                path.c_str(), strerror(errno));
        return {};
    }
    if (!IsRouteFileText(text)) {
        fprintf(stderr,
                "kestrave: %s is not an OziExplorer route file (its first line says otherwise); the day is drawn "
                "without its waypoints.\n",
                path.c_str());
        return {};
    }
    DayRoute route = ReadDayRoute(text);
    ReportSkipped(path, route.skippedLines, route.firstSkippedLine, "the other waypoints are drawn.");
    return std::move(route.waypoints);
}

bool PlotDay(const std::string& track, const std::string& svgPath) {
    const int problem = CheckReadableFile(track);
    if (problem != 0) {
        fprintf(stderr, "kestrave: cannot read %s: %s. Check the path.\n", track.c_str(), strerror(problem));
        return false;
    }
    if (!EndsWith(track, ".plt")) {
        fprintf(stderr,
                "kestrave: %s is not a track file: its name does not end in .plt. Name a day's .plt file "
                "or a folder of them.\n",
                track.c_str());
        return false;
    }
    std::string text;
    if (!ReadWholeFile(track, text)) {
        fprintf(stderr, "kestrave: cannot read %s: %s. Check the path.\n", track.c_str(), strerror(errno));
        return false;
    }
    if (!IsTrackFileText(text)) {
        fprintf(stderr,
                "kestrave: %s is not an OziExplorer track file: it does not start with \"OziExplorer Track "
                "Point File\". Name a day's .plt file as kestrave writes them.\n",
                track.c_str());
        return false;
    }
    const DayTrack day = ReadDayTrack(text);
    ReportSkipped(track, day.skippedLines, day.firstSkippedLine, "the other points are drawn.");
    if (day.points.empty()) {
        fprintf(stderr,
                "kestrave: %s holds no track points, so there is nothing to draw. Plot a day on which "
                "the receiver had a fix.\n",
                track.c_str());
        return false;
    }
    const std::vector<Waypoint> waypoints = ReadRouteBeside(track);
    const std::string svg = DrawDaySvg({WithoutExtension(BaseName(track)), &day.points, &waypoints}, PlotFrame());
    const int error = WriteWholeFile(svgPath, svg);
    if (error != 0) {
        fprintf(stderr,
                "kestrave: cannot write the picture %s: %s. Check that its folder exists and may be "
                "written, or choose another with --out.\n",
                svgPath.c_str(), strerror(error));
        return false;
    }
    char summary[160];
    BoundedText line(summary, sizeof summary);
    line.Integer(static_cast<int32_t>(day.points.size())).Text(" points, ");
    line.Integer(static_cast<int32_t>(waypoints.size())).Text(" waypoints");
    printf("%s -> %s (%s)\n", track.c_str(), svgPath.c_str(), summary);
    return true;
}

// Where a day's picture goes: beside its track, into the --out folder, or to the --out file.
std::string PicturePath(const std::string& track, const std::string& out, bool outIsFolder) {
    if (out.empty()) return WithoutExtension(track) + ".svg";
    if (outIsFolder) return out + "/" + WithoutExtension(BaseName(track)) + ".svg";
    return out;
}

}  // namespace

int RunPlot(const CommandLine& line) {
    std::vector<std::string> days;
    for (const std::string& path : line.files) {
        if (!IsHostFolder(path)) {
            days.push_back(path);
            continue;
        }
        const size_t before = days.size();
        if (!ListDays(path, days)) {
            fprintf(stderr, "kestrave: cannot list the folder %s: %s. Check the path.\n", path.c_str(),
                    strerror(errno));
            return 2;
        }
        if (days.size() == before) {
            fprintf(stderr,
                    "kestrave: the folder %s holds no .plt day file. Name the folder that kestrave wrote "
                    "the day files into.\n",
                    path.c_str());
            return 2;
        }
    }
    // One picture may go to a named file; several need a folder.
    const bool several = days.size() > 1 || IsHostFolder(line.files.front());
    const bool outIsFolder = !line.outDir.empty() && (several || IsHostFolder(line.outDir));
    if (several && !line.outDir.empty()) {
        if (IsHostFile(line.outDir)) {
            fprintf(stderr, "kestrave: --out %s is a file, but there are several days to draw. Name a folder.\n",
                    line.outDir.c_str());
            return 2;
        }
        const int error = MakeHostFolder(line.outDir);
        if (error != 0) {
            fprintf(stderr, "kestrave: cannot make the folder %s: %s. Make it, or choose another with --out.\n",
                    line.outDir.c_str(), strerror(error));
            return 2;
        }
    }
    bool allDrawn = true;
    for (const std::string& day : days) {
        if (!PlotDay(day, PicturePath(day, line.outDir, outIsFolder))) allDrawn = false;
    }
    return allDrawn ? 0 : 1;
}
