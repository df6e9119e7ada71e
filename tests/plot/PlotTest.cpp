// kestrave plot: the picture of a day, read back as XML.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/support/ShellCommand.h"
#include "tests/support/TempFolder.h"

namespace {

// One element of a parsed document: its name, attributes and the text directly in it,
// entities resolved.
struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;
};

// A small checker for what the plot writes: balanced tags, quoted attributes, the five
// entities only, no raw '<' or '&' in text. Fails the test and returns what it read so
// far on the first fault.
class XmlDocument {
public:
    explicit XmlDocument(const std::string& xml) : xml_(xml) { Parse(); }

    std::vector<const Element*> All(const std::string& name, const std::string& cls = "") const {
        std::vector<const Element*> found;
        for (const Element& e : elements) {
            auto c = e.attributes.find("class");
            if (e.name == name && (cls.empty() || (c != e.attributes.end() && c->second == cls))) found.push_back(&e);
        }
        return found;
    }

    std::vector<Element> elements;

private:
    void Parse() {
        if (xml_.compare(0, 5, "<?xml") == 0) at_ = xml_.find("?>") + 2;
        std::vector<size_t> open;
        while (Skip(), at_ < xml_.size()) {
            if (xml_[at_] != '<') {
                const size_t end = xml_.find('<', at_);
                if (open.empty() || end == std::string::npos) return Fail("text outside the root");
                if (!Unescape(xml_.substr(at_, end - at_), &elements[open.back()].text)) return Fail("bad entity");
                at_ = end;
            } else if (xml_.compare(at_, 2, "</") == 0) {
                at_ += 2;
                const std::string name = Name();
                if (open.empty() || elements[open.back()].name != name || xml_[at_] != '>') return Fail("bad close");
                open.pop_back();
                ++at_;
            } else {
                ++at_;
                Element element{Name(), {}, ""};
                while (Skip(), at_ < xml_.size() && xml_[at_] != '>' && xml_[at_] != '/') {
                    const std::string key = Name();
                    if (xml_.compare(at_, 2, "=\"") != 0) return Fail("unquoted attribute");
                    const size_t end = xml_.find('"', at_ + 2);
                    const std::string raw = xml_.substr(at_ + 2, end - at_ - 2);
                    if (end == std::string::npos || raw.find('<') != std::string::npos ||
                        !Unescape(raw, &element.attributes[key])) {
                        return Fail("bad attribute value");
                    }
                    at_ = end + 1;
                }
                elements.push_back(element);
                if (xml_.compare(at_, 2, "/>") == 0) {
                    at_ += 2;
                } else if (at_ < xml_.size()) {
                    open.push_back(elements.size() - 1);
                    ++at_;
                }
            }
        }
        if (!open.empty() || elements.empty()) Fail("unclosed element");
    }
    void Skip() {
        while (at_ < xml_.size() && (xml_[at_] == ' ' || xml_[at_] == '\n')) ++at_;
    }
    std::string Name() {
        const size_t start = at_;
        while (at_ < xml_.size() && (isalnum(static_cast<unsigned char>(xml_[at_])) || xml_[at_] == '-')) ++at_;
        return xml_.substr(start, at_ - start);
    }
    static bool Unescape(const std::string& raw, std::string* out) {
        static const std::map<std::string, char> entities = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '&') {
                *out += raw[i];
                continue;
            }
            const size_t end = raw.find(';', i);
            if (end == std::string::npos || entities.count(raw.substr(i + 1, end - i - 1)) == 0) return false;
            *out += entities.at(raw.substr(i + 1, end - i - 1));
            i = end;
        }
        return true;
    }
    void Fail(const char* why) {
        ADD_FAILURE() << "not well-formed XML: " << why << " at byte " << at_;
        at_ = xml_.size();
    }

    const std::string& xml_;
    size_t at_ = 0;
};

size_t Vertices(const Element& run) {
    size_t count = 0;
    for (char c : run.attributes.at("points")) count += c == ',' ? 1 : 0;
    return count;
}

const char kTrackHeader[] =
    "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
    "0,3,255,Track-2026-01-14,0,0,0,255\r\n0          \r\n";
const char kRouteHeader[] =
    "OziExplorer Route File Version 1.0\r\nWGS 84\r\nReserved 1\r\nReserved 2\r\nR,0,R0,,255\r\n"
    "R,1,R260114,Track 14.01.2026,16711680\r\n";

// A track line at latitude 52 + thousandths / 1000, seconds after 10:00:00 UTC.
std::string TrackLine(int thousandths, int seconds, int segment = 0) {
    char line[120];
    snprintf(line, sizeof line, "%.8f, 13.00000000,%d, 100.00, %.8f, 14.01.26, 10:%02d:%02d\r\n",
             52.0 + thousandths / 1000.0, segment, 46036.0 + (36000 + seconds) / 86400.0, seconds / 60, seconds % 60);
    return line;
}

class PlotTest : public ::testing::Test {
protected:
    ShellOutcome Plot(const std::string& args) { return Kestrave("plot " + args); }
    TempFolder temp;
    const std::string dir = temp.path;
};

// The bundled drive: every point of the track file is a vertex, every waypoint a named dot.
TEST_F(PlotTest, TheExampleDayHasEveryPointAndEveryWaypoint) {
    const std::string drive = std::string(KESTRAVE_SOURCE_DIR) + "/examples/drive.nmea";
    ASSERT_EQ(Kestrave("replay '" + drive + "' --out '" + dir + "' --config '" + dir + "/config'").exitCode, 0);
    const ShellOutcome run = Plot("'" + dir + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* day : {"2026-01-14", "2026-01-15"}) {
        const std::string svg = temp.Read(std::string(day) + ".svg");
        const XmlDocument doc(svg);
        size_t vertices = 0;
        for (const Element* polyline : doc.All("polyline", "run")) vertices += Vertices(*polyline);
        const std::string plt = temp.Read(std::string(day) + ".plt");
        size_t lines = 0;
        for (size_t at = 0; (at = plt.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
        EXPECT_EQ(vertices, lines - 6) << day;

        std::vector<std::string> names;
        const std::string rte = temp.Read(std::string(day) + ".rte");
        for (size_t at = 0; (at = rte.find("\nW,", at)) != std::string::npos; ++at) {
            names.push_back(rte.substr(at + 13, 6));  // "\nW,1,  1,  1," then the name
        }
        std::vector<std::string> labels;
        for (const Element* label : doc.All("text", "label")) labels.push_back(label->text);
        EXPECT_EQ(labels, names) << day;
        EXPECT_FALSE(names.empty());
        EXPECT_NE(doc.All("text", "date")[0]->text.find(day), std::string::npos);
    }
}

// Silence over five minutes and the file's own segment mark both end a line, and the
// distance counts only steps within a line.
TEST_F(PlotTest, GapsAndSegmentMarksBreakTheTrack) {
    // 111.2 m in 10 s (40 km/h), then after 6 minutes 333.6 m in 10 s (120.1 km/h), then
    // a marked new segment.
    temp.Write("2026-01-14.plt", std::string(kTrackHeader) + TrackLine(0, 0) + TrackLine(1, 10) + TrackLine(2, 20) +
                                     TrackLine(3, 380) + TrackLine(6, 390) + TrackLine(7, 395, 1) + TrackLine(8, 405));
    const ShellOutcome run = Plot("'" + dir + "/2026-01-14.plt' --out '" + dir + "/day.svg'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string svg = temp.Read("day.svg");
    const XmlDocument doc(svg);
    const std::vector<const Element*> runs = doc.All("polyline", "run");
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(Vertices(*runs[0]), 3u);
    EXPECT_EQ(Vertices(*runs[1]), 2u);
    EXPECT_EQ(Vertices(*runs[2]), 2u);
    // Steps of 111.2 m: 2 + 3 + 1, none across a break.
    EXPECT_NE(doc.All("text", "summary")[0]->text.find("0.7 km travelled, 14.01.26 10:00:00 to 14.01.26 10:06:45 UTC"),
              std::string::npos);
    const std::vector<const Element*> speeds = doc.All("path", "speed");
    ASSERT_GE(speeds.size(), 2u);
    EXPECT_NE(speeds[0]->attributes.at("stroke"), speeds[1]->attributes.at("stroke"));
    // Six bands of 20 km/h stop just short of 120.1 km/h: the next round width is 25.
    EXPECT_NE(svg.find(">150+</text>"), std::string::npos);
    EXPECT_FALSE(temp.Exists("2026-01-14.svg"));
}

// Cut-off and garbled lines are skipped and counted once; names are escaped.
TEST_F(PlotTest, MalformedLinesAreSkippedAndNamesEscaped) {
    const std::string good = TrackLine(0, 0) + TrackLine(1, 10) + TrackLine(2, 20);
    temp.Write("2026-01-14.plt", std::string(kTrackHeader) + TrackLine(0, 0) + "garbage\r\n" + TrackLine(1, 10) +
                                     "95.0, 13.0,0, 1.0, 46036.5, 14.01.26, 12:00:00\r\n" +
                                     "nan, 13.0,0, 1.0, 46036.5, 14.01.26, 12:00:00\r\n" + TrackLine(2, 20) +
                                     TrackLine(3, 30).substr(0, 50));
    temp.Write("2026-01-14.rte", std::string(kRouteHeader) +
                                     "W,1,  1,  1,A&B <\"x\">'s,52.0,13.0,46036.4,0,1,3,0,65535,,0,0, \r\n"
                                     "W,1,  2,  2,RKJ002,52.00");
    const ShellOutcome run = Plot("'" + dir + "/2026-01-14.plt'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("2026-01-14.plt: skipped 4 malformed or cut-off lines (the first is line 8)"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("2026-01-14.rte: skipped 1 malformed or cut-off line (the first is line 8)"),
              std::string::npos)
        << run.output;
    const std::string svg = temp.Read("2026-01-14.svg");
    const XmlDocument doc(svg);
    ASSERT_EQ(doc.All("polyline", "run").size(), 1u);
    EXPECT_EQ(Vertices(*doc.All("polyline", "run")[0]), 3u);
    ASSERT_EQ(doc.All("text", "label").size(), 1u);
    EXPECT_EQ(doc.All("text", "label")[0]->text, "A&B <\"x\">'s");
    EXPECT_NE(svg.find(">A&amp;B &lt;&quot;x&quot;&gt;&apos;s</text>"), std::string::npos);
}

// Each refusal names the path and the reason, and nothing half-made is left.
TEST_F(PlotTest, ProblemsNameThePathAndTheReason) {
    temp.Write("notes.plt", "shopping list\n");
    temp.Write("empty.plt", std::string(kTrackHeader));
    temp.Write("day.txt", std::string(kTrackHeader) + TrackLine(0, 0));
    temp.Write("good.plt", std::string(kTrackHeader) + TrackLine(0, 0));
    const struct {
        std::string args;
        std::string says;
    } cases[] = {
        {"'" + dir + "/missing.plt'", "cannot read " + dir + "/missing.plt: No such file or directory"},
        {"'" + dir + "/notes.plt'", dir + "/notes.plt is not an OziExplorer track file"},
        {"'" + dir + "/empty.plt'", dir + "/empty.plt holds no track points"},
        {"'" + dir + "/day.txt'", dir + "/day.txt is not a track file: its name does not end in .plt"},
        {"'" + dir + "/good.plt' --out '" + dir + "/no/such/x.svg'",
         "cannot write the picture " + dir + "/no/such/x.svg: No such file or directory"},
    };
    for (const auto& c : cases) {
        const ShellOutcome run = Plot(c.args);
        EXPECT_EQ(run.exitCode, 1) << c.args;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
    }
    EXPECT_FALSE(temp.Exists("notes.svg") || temp.Exists("empty.svg") || temp.Exists("day.svg"));
    EXPECT_NE(Plot("").output.find("plot needs a day's track file"), std::string::npos);
    // A folder of days goes into an --out folder, made if missing.
    EXPECT_EQ(Plot("'" + dir + "/' --out '" + dir + "/pictures'").exitCode, 1);
    EXPECT_TRUE(temp.Exists("pictures/good.svg"));
}

// The picture is renamed into place: never over a device or a FIFO, nor over
// the day files being drawn; a link is replaced and its target left alone.
TEST_F(PlotTest, ThePictureNeverReplacesADeviceAFifoOrItsOwnInput) {
    const std::string track = std::string(kTrackHeader) + TrackLine(0, 0) + TrackLine(1, 10);
    temp.Write("day.plt", track);
    temp.Write("day.rte", std::string(kRouteHeader));
    ASSERT_EQ(mkfifo((dir + "/pipe.svg").c_str(), 0600), 0);
    const bool device = mknod((dir + "/null.svg").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    ASSERT_EQ(link((dir + "/day.plt").c_str(), (dir + "/hard.svg").c_str()), 0);
    const struct {
        const char* out;
        std::string says;
    } cases[] = {
        {"pipe.svg", "pipe.svg is a FIFO; the picture is never written over it"},
        {"null.svg", "null.svg is a device; the picture is never written over it"},
        {"day.plt", "day.plt is the file being read, " + dir + "/day.plt"},
        {"day.rte", "day.rte is the file being read, " + dir + "/day.rte"},
        {"hard.svg", "hard.svg is the file being read, " + dir + "/day.plt"},
    };
    for (const auto& c : cases) {
        if (!device && std::string(c.out) == "null.svg") continue;  // mknod needs root
        const ShellOutcome run = Plot("'" + dir + "/day.plt' --out '" + dir + "/" + c.out + "'");
        EXPECT_EQ(run.exitCode, 1) << c.out << ": " << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
    }
    EXPECT_EQ(temp.Read("day.plt"), track);
    struct stat info {};
    ASSERT_EQ(stat((dir + "/pipe.svg").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    temp.Write("target.txt", "kept\n");
    ASSERT_EQ(symlink("target.txt", (dir + "/link.svg").c_str()), 0);
    EXPECT_EQ(Plot("'" + dir + "/day.plt' --out '" + dir + "/link.svg'").exitCode, 0);
    EXPECT_EQ(temp.Read("target.txt"), "kept\n");
    EXPECT_EQ(temp.Read("link.svg").rfind("<?xml", 0), 0u) << "the link is replaced by the picture";
}

// A track whose lines end in LF or in CR alone is read as one in CR LF.
TEST_F(PlotTest, LinesEndingInCrOrLfAloneAreRead) {
    const std::string crlf = std::string(kTrackHeader) + TrackLine(0, 0) + TrackLine(1, 10) + TrackLine(2, 20);
    for (const char* end : {"\n", "\r"}) {
        std::string text = crlf;
        for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; ++at) text.replace(at, 2, end);
        temp.Write("day.plt", text);
        const ShellOutcome run = Plot("'" + dir + "/day.plt'");
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find("(3 points, 0 waypoints)"), std::string::npos) << run.output;
    }
}

// A fifo in a day file's place is refused at once, not waited on for a writer.
TEST_F(PlotTest, AFifoIsRefusedWithoutWaiting) {
    ASSERT_EQ(mkfifo((dir + "/pipe.plt").c_str(), 0600), 0);
    const ShellOutcome run = Plot("'" + dir + "/pipe.plt'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("cannot read " + dir + "/pipe.plt: it is no plain file (a FIFO or a device)"),
              std::string::npos)
        << run.output;
}

}  // namespace
