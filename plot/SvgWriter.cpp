#include "plot/SvgWriter.h"

#include "plot/SpeedScale.h"
#include "plot/SvgText.h"

namespace {

// The longest the scale bar may be, in picture units.
constexpr double kLongestScaleBar = 200.0;

void Point(SvgText& svg, const ScreenPoint& at) { svg.Number(at.x).Text(",").Number(at.y); }

void Header(SvgText& svg, const PlotFrame& frame) {
    svg.Text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"")
        .Number(frame.width, 0)
        .Text("\" height=\"")
        .Number(frame.height, 0)
        .Text("\" viewBox=\"0 0 ")
        .Number(frame.width, 0)
        .Text(" ")
        .Number(frame.height, 0)
        .Text("\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n");
}

// The date, the distance and the first and last point's time as the file has them.
void Title(SvgText& svg, const DayPicture& picture, const DayPlot& plot, const PlotFrame& frame) {
    const TrackPoint& first = picture.points->front();
    const TrackPoint& last = picture.points->back();
    svg.Text("<text class=\"date\" x=\"")
        .Number(frame.left)
        .Text("\" y=\"34\" font-size=\"24\" font-weight=\"bold\">")
        .Escaped(picture.day)
        .Text("</text>\n");
    svg.Text("<text class=\"summary\" x=\"")
        .Number(frame.left)
        .Text("\" y=\"60\" font-size=\"15\">")
        .Number(plot.DistanceKm(), 1)
        .Text(" km travelled, ")
        .Escaped(first.date)
        .Text(" ")
        .Escaped(first.time)
        .Text(" to ")
        .Escaped(last.date)
        .Text(" ")
        .Escaped(last.time)
        .Text(" UTC, ")
        .Integer(static_cast<int>(picture.points->size()))
        .Text(" points</text>\n");
}

// Under each run a dark casing with every point of the run; above it the steps in the
// colour of their speed, steps of one colour in a row joined into one path.
void Track(SvgText& svg, const DayPicture& picture, const DayPlot& plot, const SpeedScale& scale) {
    const std::vector<TrackPoint>& points = *picture.points;
    svg.Text("<g class=\"track\" fill=\"none\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n");
    for (const TrackRun& run : plot.Runs()) {
        svg.Text("<polyline class=\"run\" stroke=\"#303030\" stroke-width=\"5\" points=\"");
        for (size_t i = run.first; i < run.first + run.count; ++i) {
            if (i != run.first) svg.Text(" ");
            Point(svg, plot.Project(points[i].latitude, points[i].longitude));
        }
        svg.Text("\"/>\n");
        if (run.count == 1) {
            const ScreenPoint at = plot.Project(points[run.first].latitude, points[run.first].longitude);
            svg.Text("<circle class=\"lone\" cx=\"")
                .Number(at.x)
                .Text("\" cy=\"")
                .Number(at.y)
                .Text("\" r=\"3\" fill=\"#303030\"/>\n");
        }
        int band = -1;
        for (size_t i = run.first + 1; i < run.first + run.count; ++i) {
            const int next = scale.Band(plot.SpeedKmh(i));
            if (next != band) {
                if (band >= 0) svg.Text("\"/>\n");
                band = next;
                svg.Text("<path class=\"speed\" stroke=\"")
                    .Text(SpeedScale::Colour(band))
                    .Text("\" stroke-width=\"3\" d=\"M");
                Point(svg, plot.Project(points[i - 1].latitude, points[i - 1].longitude));
            }
            svg.Text(" L");
            Point(svg, plot.Project(points[i].latitude, points[i].longitude));
        }
        if (band >= 0) svg.Text("\"/>\n");
    }
    svg.Text("</g>\n");
}

// Where a name goes beside its dot: the first of four corners where it stays inside the
// picture and covers no name placed before, or the first corner when all are taken.
struct LabelBox {
    double left, top, right, bottom;
};

bool Overlaps(const LabelBox& a, const LabelBox& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Characters, not bytes, decide the width; about 6 units each at font size 11.
double LabelWidth(const std::string& name) {
    double characters = 0.0;
    for (char c : name) characters += (static_cast<unsigned char>(c) & 0xC0) == 0x80 ? 0.0 : 1.0;
    return characters * 6.2;
}

void Waypoints(SvgText& svg, const DayPicture& picture, const DayPlot& plot, const PlotFrame& frame) {
    struct Corner {
        double dx, dy;
        bool before;  // the name ends at the dot rather than starting there
    };
    const Corner corners[] = {{6.0, -5.0, false}, {6.0, 13.0, false}, {-6.0, -5.0, true}, {-6.0, 13.0, true}};
    std::vector<LabelBox> placed;
    svg.Text("<g class=\"waypoints\" font-size=\"11\">\n");
    for (const Waypoint& waypoint : *picture.waypoints) {
        const ScreenPoint at = plot.Project(waypoint.latitude, waypoint.longitude);
        const double width = LabelWidth(waypoint.name);
        const Corner* chosen = &corners[0];
        LabelBox box{};
        for (const Corner& corner : corners) {
            const double x = at.x + corner.dx;
            const LabelBox candidate{corner.before ? x - width : x, at.y + corner.dy - 9.0,
                                     corner.before ? x : x + width, at.y + corner.dy + 2.0};
            bool free = candidate.left >= 0.0 && candidate.right <= frame.width;
            for (const LabelBox& other : placed) free = free && !Overlaps(candidate, other);
            if (free || &corner == &corners[0]) {
                chosen = &corner;
                box = candidate;
            }
            if (free) break;
        }
        placed.push_back(box);
        svg.Text("<circle class=\"waypoint\" cx=\"")
            .Number(at.x)
            .Text("\" cy=\"")
            .Number(at.y)
            .Text("\" r=\"3.5\" fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"1.5\"/>\n");
        // A white halo keeps the name legible over the track.
        svg.Text("<text class=\"label\" x=\"")
            .Number(at.x + chosen->dx)
            .Text("\" y=\"")
            .Number(at.y + chosen->dy)
            .Text(chosen->before ? "\" text-anchor=\"end\"" : "\"")
            .Text(" stroke=\"#ffffff\" stroke-width=\"3\" paint-order=\"stroke\">")
            .Escaped(waypoint.name)
            .Text("</text>\n");
    }
    svg.Text("</g>\n");
}

void Legend(SvgText& svg, const SpeedScale& scale, const PlotFrame& frame) {
    const double top = frame.height - 62.0;
    const double box = 48.0;
    svg.Text("<g class=\"legend\" font-size=\"12\">\n<text x=\"")
        .Number(frame.left)
        .Text("\" y=\"")
        .Number(top - 8.0)
        .Text("\">Speed (km/h)</text>\n");
    for (int band = 0; band < SpeedScale::kBands; ++band) {
        const double x = frame.left + band * box;
        svg.Text("<rect x=\"")
            .Number(x)
            .Text("\" y=\"")
            .Number(top)
            .Text("\" width=\"")
            .Number(box)
            .Text("\" height=\"12\" fill=\"")
            .Text(SpeedScale::Colour(band))
            .Text("\"/>\n");
        svg.Text("<text x=\"")
            .Number(x)
            .Text("\" y=\"")
            .Number(top + 28.0)
            .Text("\" text-anchor=\"middle\">")
            .Number(band * scale.BandWidth(), 0)
            .Text("</text>\n");
    }
    svg.Text("<text x=\"")
        .Number(frame.left + SpeedScale::kBands * box)
        .Text("\" y=\"")
        .Number(top + 28.0)
        .Text("\" text-anchor=\"middle\">")
        .Number(SpeedScale::kBands * scale.BandWidth(), 0)
        .Text("+</text>\n</g>\n");
}

// The longest of 1, 2 or 5 times a power of ten kilometres that fits the bar's room.
double RoundScaleKm(double metresPerUnit) {
    const double longestKm = kLongestScaleBar * metresPerUnit / 1000.0;
    double best = 0.001;
    for (double decade = 0.001; decade <= longestKm; decade *= 10.0) {
        for (double step : {1.0, 2.0, 5.0}) {
            if (step * decade <= longestKm) best = step * decade;
        }
    }
    return best;
}

void ScaleBar(SvgText& svg, const DayPlot& plot, const PlotFrame& frame) {
    const double km = RoundScaleKm(plot.MetresPerUnit());
    const double length = km * 1000.0 / plot.MetresPerUnit();
    const double right = frame.width - frame.right;
    const double y = frame.height - 40.0;
    svg.Text("<g class=\"scale\" font-size=\"12\" stroke=\"#000000\" stroke-width=\"2\">\n<path fill=\"none\" d=\"M")
        .Number(right - length)
        .Text(",")
        .Number(y - 6.0)
        .Text(" V")
        .Number(y)
        .Text(" H")
        .Number(right)
        .Text(" V")
        .Number(y - 6.0)
        .Text("\"/>\n<text stroke=\"none\" x=\"")
        .Number(right - length / 2.0)
        .Text("\" y=\"")
        .Number(y - 10.0)
        .Text("\" text-anchor=\"middle\">");
    // Round lengths print without trailing zeros: 0.5 km, 2 km.
    svg.Number(km, km >= 1.0 ? 0 : km >= 0.1 ? 1 : km >= 0.01 ? 2 : 3).Text(" km</text>\n</g>\n");
}

void NorthArrow(SvgText& svg, const PlotFrame& frame) {
    const double x = frame.width - frame.right - 12.0;
    svg.Text("<g class=\"north\">\n<path d=\"M")
        .Number(x)
        .Text(",20 L")
        .Number(x + 9.0)
        .Text(",48 L")
        .Number(x)
        .Text(",41 L")
        .Number(x - 9.0)
        .Text(",48 Z\" fill=\"#000000\"/>\n<text x=\"")
        .Number(x)
        .Text("\" y=\"64\" font-size=\"14\" font-weight=\"bold\" text-anchor=\"middle\">N</text>\n</g>\n");
}

}  // namespace

std::string DrawDaySvg(const DayPicture& picture, const PlotFrame& frame) {
    const DayPlot plot(*picture.points, *picture.waypoints, frame);
    const SpeedScale scale(plot.MaxSpeedKmh());
    SvgText svg;
    Header(svg, frame);
    Title(svg, picture, plot, frame);
    Track(svg, picture, plot, scale);
    Waypoints(svg, picture, plot, frame);
    Legend(svg, scale, frame);
    ScaleBar(svg, plot, frame);
    NorthArrow(svg, frame);
    svg.Text("</svg>\n");
    return svg.Document();
}
