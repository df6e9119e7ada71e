#include "cli/GpxCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/DayFiles.h"
#include "format/GpxText.h"
#include "platform/posix/services/HostPaths.h"
#include "plot/OziGpx.h"

namespace {

// What a converted document says of itself: a Kestrave GPX without it is the logger's.
constexpr char kConvertedDesc[] = "Converted by kestrave gpx from OziExplorer track and route files.";
// The logger's opening, description included, fits in this.
constexpr size_t kOpeningBytes = 4096;

// The document, buffered and written out in pieces: a day of any length takes the same memory.
class GpxSink {
public:
    explicit GpxSink(int fd) : fd_(fd) {}

    void Put(const char* text, size_t size) {
        buffer_.append(text, size);
        if (buffer_.size() >= kFlushBytes) Flush();
    }
    void Put(const char* text) { Put(text, strlen(text)); }
    void Put(const BoundedText& text) { Put(text.Data(), text.Length()); }
    int Flush() {
        if (error_ == 0) error_ = WriteAll(fd_, buffer_.data(), buffer_.size());
        buffer_.clear();
        return error_;
    }

private:
    static constexpr size_t kFlushBytes = 1u << 16;
    int fd_;
    std::string buffer_;
    int error_ = 0;
};

// A day file open for reading line by line, its first line read to tell what it is.
class DayFileLines {
public:
    explicit DayFileLines(const std::string& path) : error_(OpenPlainFile(path, &fd_)) {
        if (error_ == 0) lines_ = std::make_unique<FileLines>(fd_);
        if (error_ == 0 && !lines_->Next(&first_, &firstEnded_)) error_ = lines_->Error();
    }
    ~DayFileLines() {
        if (fd_ >= 0) close(fd_);
    }
    int Error() const { return error_; }
    const std::string& First() const { return first_; }
    // Every line, the first again included; false at the end.
    bool Next(std::string* line, bool* ended) {
        if (!firstGiven_) {
            firstGiven_ = true;
            *line = first_;
            *ended = firstEnded_;
            return true;
        }
        return lines_->Next(line, ended);
    }
    int ReadError() const { return lines_->Error(); }

private:
    int fd_ = -1;
    int error_;
    std::unique_ptr<FileLines> lines_;
    std::string first_;
    bool firstEnded_ = false;
    bool firstGiven_ = false;
};

// The reason in words where the system's would mislead.
const char* Reason(int error) { return error == EINVAL ? "it is no plain file (a FIFO or a device)" : strerror(error); }

std::string RouteBeside(const std::string& track) { return WithoutExtension(track) + ".rte"; }
std::string LiveGpxBeside(const std::string& track) { return WithoutExtension(track) + ".gpx"; }
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}
// Where a path leads, whether or not a file is there yet.
std::string Resolved(const std::string& path) { return AbsoluteHostPath(FolderOf(path)) + "/" + BaseName(path); }

// True for a track file that can be converted; says why not otherwise.
bool CheckTrack(const std::string& track) {
    if (!EndsWith(track, ".plt")) {
        fprintf(stderr,
                "kestrave: %s is not a track file: its name does not end in .plt. Name a day's .plt file "
                "or a folder of them.\n",
                track.c_str());
        return false;
    }
    const DayFileLines file(track);
    if (file.Error() != 0) {
        fprintf(stderr, "kestrave: cannot read %s: %s. Check the path.\n", track.c_str(), Reason(file.Error()));
        return false;
    }
    if (!IsTrackFileText(file.First())) {
        fprintf(stderr,
                "kestrave: %s is not an OziExplorer track file: it does not start with \"OziExplorer Track "
                "Point File\". Name a day's .plt file as kestrave writes them.\n",
                track.c_str());
        return false;
    }
    return true;
}

// True when the file at path is a GPX day file the logger wrote: it starts like every
// Kestrave GPX and is no conversion.
bool IsLoggerGpx(const std::string& path) {
    std::string head;
    // Only the opening is wanted: a larger file is read no further than a chunk.
    ReadWholeFile(path, kOpeningBytes, &head);
    head.resize(std::min(head.size(), kOpeningBytes));
    return StartsWith(head, kGpxSignature) && head.find(kConvertedDesc) == std::string::npos;
}

// Empty when the document may be written at out; otherwise why not, said in full.
std::string WhyNotWrite(const std::string& out, const std::vector<std::string>& tracks) {
    std::vector<std::string> inputs;
    for (const std::string& track : tracks) {
        if (Resolved(out) == Resolved(LiveGpxBeside(track))) {
            return out + " is the GPX day file that kestrave's logger keeps beside " + track;
        }
        inputs.push_back(track);
        inputs.push_back(RouteBeside(track));
    }
    const std::string refused = WhyNotReplace(out, inputs);
    if (!refused.empty()) return out + " is " + refused;
    if (IsLoggerGpx(out)) return out + " is a GPX day file that kestrave's logger wrote";
    return "";
}

// "<rte>" with each waypoint of the route file beside the track, when there is one.
void PutRoute(const std::string& track, GpxSink& out) {
    const std::string path = RouteBeside(track);
    DayFileLines file(path);
    if (file.Error() == ENOENT) return;
    if (file.Error() != 0 || !IsRouteFileText(file.First())) {
        fprintf(stderr, "kestrave: %s is %s; the day is converted without its route.\n", path.c_str(),
                file.Error() != 0 ? (std::string("unreadable: ") + Reason(file.Error())).c_str()
                                  : "not an OziExplorer route file (its first line says otherwise)");
        return;
    }
    char head[512];
    BoundedText start(head, sizeof head);
    start.Text("<rte>\r\n<name>");
    AppendXmlText(start, ("Route-" + WithoutExtension(BaseName(track))).c_str());
    start.Text("</name>\r\n");
    out.Put(start);
    SkippedLines skipped;
    size_t count = 0;
    std::vector<char> room;
    ReadBodyLines([&](std::string* line, bool* ended) { return file.Next(line, ended); }, kRouteHeaderLines,
                  &skipped, [&](const std::string& line, bool) {
                      Waypoint waypoint{};
                      bool isWaypoint = false;
                      if (!ReadRouteLine(line, &waypoint, &isWaypoint)) return false;
                      if (!isWaypoint) return true;
                      // Each name character may become a six-character entity.
                      room.resize(waypoint.name.size() * 6 + 256);
                      BoundedText point(room.data(), room.size());
                      AppendGpxRoutePoint(point, GpxPointOf(waypoint), waypoint.name.c_str());
                      out.Put(point);
                      ++count;
                      return true;
                  });
    out.Put("</rte>\r\n");
    if (file.ReadError() != 0) {
        fprintf(stderr, "kestrave: reading %s stopped: %s; the waypoints before are converted.\n", path.c_str(),
                strerror(file.ReadError()));
    }
    ReportSkipped(path, skipped, "the other waypoints are converted.");
}

// "<trk>" with every point of the track file GPX can hold, a segment for each the file
// marks. False when the file could not be read to its end.
bool PutTrack(const std::string& track, GpxSink& out, size_t* points) {
    DayFileLines file(track);
    char head[512];
    BoundedText start(head, sizeof head);
    // Named as the logger names the day's track, so that the two documents match.
    start.Text("<trk>\r\n<name>");
    AppendXmlText(start, ("Track-" + WithoutExtension(BaseName(track))).c_str());
    start.Text("</name>\r\n").String(kGpxSegmentOpen);
    out.Put(start);
    SkippedLines skipped;
    size_t leftOut = 0;
    bool first = true;
    ReadBodyLines([&](std::string* line, bool* ended) { return file.Next(line, ended); }, kTrackHeaderLines,
                  &skipped, [&](const std::string& line, bool ended) {
                      TrackPoint point{};
                      if (!ReadTrackPoint(line, ended, &point)) return false;
                      const GpxPoint gpx = GpxPointOf(point);
                      if (!GpxCanHold(gpx)) {
                          ++leftOut;
                          return true;
                      }
                      char room[1024];
                      BoundedText text(room, sizeof room);
                      if (point.startsSegment && !first) text.String(kGpxSegmentBreak);
                      AppendGpxPoint(text, gpx);
                      out.Put(text);
                      first = false;
                      ++*points;
                      return true;
                  });
    out.Put("</trkseg>\r\n</trk>\r\n");
    ReportSkipped(track, skipped, "the other points are converted.");
    if (leftOut > 0) {
        fprintf(stderr,
                "kestrave: %s: %zu point%s left out: GPX cannot hold %s time (a leap second, or no date at "
                "all); the track file keeps %s.\n",
                track.c_str(), leftOut, leftOut == 1 ? "" : "s", leftOut == 1 ? "its" : "their",
                leftOut == 1 ? "it" : "them");
    }
    const int error = file.Error() != 0 ? file.Error() : file.ReadError();
    if (error != 0) {
        fprintf(stderr, "kestrave: cannot read %s to its end: %s. The GPX holds the points before.\n",
                track.c_str(), Reason(error));
    }
    return error == 0;
}

// One document of the days: every route before every track, as GPX 1.1 orders them.
bool PutDocument(const std::vector<std::string>& tracks, GpxSink& out, FILE* say, const std::string& target) {
    const std::string first = WithoutExtension(BaseName(tracks.front()));
    const std::string last = WithoutExtension(BaseName(tracks.back()));
    const std::string name = "Kestrave " + first + (tracks.size() > 1 ? " to " + last : "");
    std::vector<char> room(name.size() * 6 + 2048);
    BoundedText opening(room.data(), room.size());
    AppendGpxOpening(opening, name.c_str(), kConvertedDesc);
    out.Put(opening);
    for (const std::string& track : tracks) PutRoute(track, out);
    bool whole = true;
    for (const std::string& track : tracks) {
        size_t points = 0;
        whole = PutTrack(track, out, &points) && whole;
        fprintf(say, "%s -> %s (%zu points)\n", track.c_str(), target.c_str(), points);
    }
    out.Put("</gpx>\r\n");
    return whole;
}

// Written beside its place and renamed over it: a half-written document is worse than none.
bool WriteDocument(const std::vector<std::string>& tracks, const std::string& path) {
    const std::string refused = WhyNotWrite(path, tracks);
    if (!refused.empty()) {
        fprintf(stderr, "kestrave: %s; the conversion is never written over it. Choose another path with --out.\n",
                refused.c_str());
        return false;
    }
    std::string temporary;
    int fd = -1;
    int error = CreateTemporary(path, NewFileMode(), &temporary, &fd);
    bool whole = true;
    if (error == 0) {
        GpxSink out(fd);
        whole = PutDocument(tracks, out, stdout, path);
        error = out.Flush();
        const int finished = FinishTemporary(fd);
        if (error == 0) error = finished;
    }
    if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        if (!temporary.empty()) unlink(temporary.c_str());
        fprintf(stderr,
                "kestrave: cannot write the GPX %s: %s. Check that its folder exists and may be written, or "
                "choose another with --out.\n",
                path.c_str(), strerror(error));
        return false;
    }
    return whole;
}

}  // namespace

int RunGpx(const CommandLine& line) {
    std::vector<std::string> named;
    bool folderNamed = false;
    if (CollectDays(line.files, true, &named, &folderNamed) != 0) return 2;
    std::vector<std::string> tracks;
    for (const std::string& track : named) {
        if (CheckTrack(track)) tracks.push_back(track);
    }
    bool all = tracks.size() == named.size();
    if (tracks.empty()) return 1;
    if (line.outDir.empty()) {
        GpxSink out(STDOUT_FILENO);
        all = PutDocument(tracks, out, stderr, "standard output") && all;
        const int error = out.Flush();
        if (error != 0) {
            fprintf(stderr, "kestrave: cannot write the GPX to standard output: %s. Check where it goes, or "
                    "write it to a file with --out.\n", strerror(error));
            return 1;
        }
        return all ? 0 : 1;
    }
    if (!IsHostFolder(line.outDir)) return WriteDocument(tracks, line.outDir) && all ? 0 : 1;
    for (const std::string& track : tracks) {
        // The logger's folder holds its live GPX of each day, under the very name.
        if (AbsoluteHostPath(line.outDir) == AbsoluteHostPath(FolderOf(track))) {
            fprintf(stderr,
                    "kestrave: --out %s is the folder of %s, where kestrave's logger keeps its GPX day files; "
                    "the conversion is never written there. Name another folder, or a file with --out FILE.gpx.\n",
                    line.outDir.c_str(), track.c_str());
            all = false;
            continue;
        }
        const std::string path = line.outDir + "/" + WithoutExtension(BaseName(track)) + ".gpx";
        all = WriteDocument({track}, path) && all;
    }
    return all ? 0 : 1;
}
