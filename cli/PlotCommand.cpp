#include "cli/PlotCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/DayFiles.h"
#include "platform/posix/services/HostPaths.h"
#include "plot/DayTrackReader.h"
#include "plot/RouteReader.h"
#include "plot/SvgWriter.h"

namespace {

// A day at twenty fixes a second is some 120 MB of track.
constexpr size_t kMaxDayFileBytes = 256u << 20;

// Written beside the picture and renamed over it: a half-written picture is worse than none.
int WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::string temporary;
    int error = WriteTemporary(path, bytes, NewFileMode(), &temporary);
    if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0 && !temporary.empty()) unlink(temporary.c_str());
    return error;
}

// The waypoints of the day's route file beside the track, when there is one.
std::vector<Waypoint> ReadRouteBeside(const std::string& track) {
    const std::string path = WithoutExtension(track) + ".rte";
    std::string text;
    const int error = ReadWholeFile(path, kMaxDayFileBytes, &text);
    if (error == ENOENT) return {};
    if (error != 0) {
        fprintf(stderr, "kestrave: cannot read the route file %s: %s; the day is drawn without its waypoints.\n",
                path.c_str(), strerror(error));
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
    ReportSkipped(path, route.skipped, "the other waypoints are drawn.");
    return std::move(route.waypoints);
}

bool PlotDay(const std::string& track, const std::string& svgPath) {
    std::string text;
    const int problem = ReadWholeFile(track, kMaxDayFileBytes, &text);
    if (problem != 0) {
        // The reason in words where the system's would mislead.
        const std::string limit = "it is larger than the " + std::to_string(kMaxDayFileBytes >> 20) +
                                  " MB a day file of plot may have";
        const char* reason = problem == EINVAL ? "it is no plain file (a FIFO or a device)"
                             : problem == EFBIG ? limit.c_str()
                                                : strerror(problem);
        fprintf(stderr, "kestrave: cannot read %s: %s. Check the path.\n", track.c_str(), reason);
        return false;
    }
    if (!EndsWith(track, ".plt")) {
        fprintf(stderr,
                "kestrave: %s is not a track file: its name does not end in .plt. Name a day's .plt file "
                "or a folder of them.\n",
                track.c_str());
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
    ReportSkipped(track, day.skipped, "the other points are drawn.");
    if (day.points.empty()) {
        fprintf(stderr,
                "kestrave: %s holds no track points, so there is nothing to draw. Plot a day on which "
                "the receiver had a fix.\n",
                track.c_str());
        return false;
    }
    const std::vector<Waypoint> waypoints = ReadRouteBeside(track);
    const std::string refused = WhyNotReplace(svgPath, {track, WithoutExtension(track) + ".rte"});
    if (!refused.empty()) {
        fprintf(stderr,
                "kestrave: %s is %s; the picture is never written over it. Choose another path with --out.\n",
                svgPath.c_str(), refused.c_str());
        return false;
    }
    const std::string svg = DrawDaySvg({WithoutExtension(BaseName(track)), &day.points, &waypoints}, PlotFrame());
    const int error = WriteWholeFile(svgPath, svg);
    if (error != 0) {
        fprintf(stderr,
                "kestrave: cannot write the picture %s: %s. Check that its folder exists and may be "
                "written, or choose another with --out.\n",
                svgPath.c_str(), strerror(error));
        return false;
    }
    printf("%s -> %s (%zu points, %zu waypoints)\n", track.c_str(), svgPath.c_str(), day.points.size(),
           waypoints.size());
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
    bool folderNamed = false;
    if (CollectDays(line.files, false, &days, &folderNamed) != 0) return 2;
    // One picture may go to a named file; several need a folder.
    const bool several = days.size() > 1 || folderNamed;
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
