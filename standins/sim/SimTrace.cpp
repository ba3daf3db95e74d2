#include "standins/sim/SimTrace.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "common/Geodesy.h"

namespace vorl::standin {

SimTrace::SimTrace(std::optional<std::filesystem::path> file, bool keepInMemory) : keepInMemory_(keepInMemory) {
    if (file) {
        stream_.open(*file, std::ios::binary | std::ios::trunc);
        if (!stream_) throw std::runtime_error("Failed to write file " + file->string());
    }
}

void SimTrace::add(nlohmann::json entry) {
    if (stream_.is_open()) stream_ << entry.dump() << '\n' << std::flush;
    if (keepInMemory_) entries_.push_back(std::move(entry));
}

namespace {

std::string lf_escapeXml(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

std::string gf_renderSvgMap(const std::vector<MapObject>& objects) {
    constexpr double kSize = 800.0;
    constexpr double kMargin = 40.0;
    double minLat = std::numeric_limits<double>::max(), maxLat = -minLat, minLon = minLat, maxLon = -minLat;
    for (const MapObject& object : objects)
        for (const TrackPoint& p : object.track) {
            minLat = std::min(minLat, p.lat);
            maxLat = std::max(maxLat, p.lat);
            minLon = std::min(minLon, p.lon);
            maxLon = std::max(maxLon, p.lon);
        }
    if (minLat > maxLat) minLat = maxLat = minLon = maxLon = 0.0;
    // Equal scales north-south and east-west at the middle latitude; at least 1 NM across.
    const double cosLat = std::cos(gf_degToRad((minLat + maxLat) / 2.0));
    const double spanNm = std::max({(maxLat - minLat) * 60.0, (maxLon - minLon) * 60.0 * cosLat, 1.0});
    const double scale = (kSize - 2.0 * kMargin) / spanNm;
    const double midLat = (minLat + maxLat) / 2.0, midLon = (minLon + maxLon) / 2.0;
    const auto x = [&](const TrackPoint& p) { return kSize / 2.0 + (p.lon - midLon) * 60.0 * cosLat * scale; };
    const auto y = [&](const TrackPoint& p) { return kSize / 2.0 - (p.lat - midLat) * 60.0 * scale; };

    std::string svg = fmt::format(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"{0}\" height=\"{0}\" viewBox=\"0 0 {0} {0}\">\n"
        "<rect width=\"100%\" height=\"100%\" fill=\"#f4f6f8\"/>\n"
        "<text x=\"10\" y=\"20\" font-family=\"sans-serif\" font-size=\"12\">{1:.2f} NM across, north up</text>\n",
        kSize, spanNm);
    for (const MapObject& object : objects) {
        if (object.track.empty()) continue;
        const char* colour = object.user ? "#d03030" : "#2060c0";
        std::string points;
        for (const TrackPoint& p : object.track) points += fmt::format("{:.1f},{:.1f} ", x(p), y(p));
        svg += fmt::format("<polyline fill=\"none\" stroke=\"{}\" stroke-width=\"1.5\" points=\"{}\"/>\n", colour, points);
        const TrackPoint& last = object.track.back();
        svg += fmt::format("<circle cx=\"{:.1f}\" cy=\"{:.1f}\" r=\"{}\" fill=\"{}\"/>\n", x(last), y(last),
                           object.user ? 6 : 4, colour);
        svg += fmt::format("<text x=\"{:.1f}\" y=\"{:.1f}\" font-family=\"sans-serif\" font-size=\"10\">{}</text>\n",
                           x(last) + 6, y(last) - 6, lf_escapeXml(object.label));
    }
    svg += "</svg>\n";
    return svg;
}

} // namespace vorl::standin
