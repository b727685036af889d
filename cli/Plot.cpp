#include "Plot.h"

#include "core/FilterResponse.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qtool {

namespace {

constexpr int kWidth = 960;
constexpr int kPanelHeight = 220;
constexpr int kLeft = 70, kRight = 20, kTop = 70, kGap = 40, kBottom = 50;
constexpr int kPlotWidth = kWidth - kLeft - kRight;

std::string escaped(const std::string& text)
{
    std::string s;
    for (char c : text) {
        switch (c) {
        case '&':
            s += "&amp;";
            break;
        case '<':
            s += "&lt;";
            break;
        case '>':
            s += "&gt;";
            break;
        case '"':
            s += "&quot;";
            break;
        default:
            s += c;
        }
    }
    return s;
}

std::string format(const char* pattern, double a, double b = 0.0, double c = 0.0, double d = 0.0)
{
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

// The smallest of 1, 2 and 5 times a power of ten that is at least value.
double niceCeiling(double value)
{
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double step : {1.0, 2.0, 5.0, 10.0})
        if (step * power >= value * (1.0 - 1e-9))
            return step * power;
    return 10.0 * power;
}

// Time ticks: about eight across the page.
double tickStep(double seconds) { return niceCeiling(seconds / 8.0); }

// Everything below -80 dB sits on the floor; the top leaves room for a peak above 0 dB.
constexpr double kFloorDb = -80.0;
double decibels(double level) { return 20.0 * std::log10(level); }
double roundUpToTen(double db) { return 10.0 * std::ceil(db / 10.0 - 1e-9); }

// A value axis: value at the top and bottom of a frame, ticks every step from the bottom.
struct ValueAxis {
    double low, high, step;
    double y(double v, int top, int height) const
    {
        return top + (high - std::clamp(v, low, high)) / (high - low) * height;
    }
};

std::string frame(int top, int height)
{
    return format("<rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" class=\"frame\"/>\n", kLeft, top, kPlotWidth,
                  height);
}

std::string verticalGrid(double x, int top, int height, double label)
{
    return format("<line x1=\"%.1f\" y1=\"%g\" x2=\"%.1f\" y2=\"%g\" class=\"grid\"/>\n", x, top, x, top + height) +
           format("<text x=\"%.1f\" y=\"%g\" class=\"tick\" text-anchor=\"middle\">%g</text>\n", x, top + height + 16,
                  label);
}

std::string valueGrid(const ValueAxis& axis, int top, int height)
{
    std::string svg;
    for (double v = axis.low; v <= axis.high; v += axis.step) { // exact: whole dB, or ±top and 0
        const double y = axis.y(v, top, height);
        svg += format("<line x1=\"%g\" y1=\"%.1f\" x2=\"%g\" y2=\"%.1f\" class=\"grid\"/>\n", kLeft, y,
                      kLeft + kPlotWidth, y);
        svg += format("<text x=\"%g\" y=\"%.1f\" class=\"tick\" text-anchor=\"end\">%g</text>\n", kLeft - 6, y + 4, v);
    }
    return svg;
}

std::string text(double x, double y, const char* cls, const std::string& content, const char* anchor = "start")
{
    return format("<text x=\"%.1f\" y=\"%.1f\" class=\"", x, y) + cls + "\" text-anchor=\"" + anchor + "\">" +
           escaped(content) + "</text>\n";
}

std::string pageStart(int height, const std::string& title, const std::string& caption)
{
    std::string svg = format("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%g\" height=\"%g\" "
                             "viewBox=\"0 0 %g %g\">\n",
                             kWidth, height, kWidth, height);
    svg += "<style>"
           "text{font-family:sans-serif;fill:#222}.title{font-size:18px;font-weight:bold}"
           ".caption,.label,.note{font-size:13px}.note{fill:#b03a2e}.tick{font-size:11px;fill:#555}"
           ".frame{fill:#fafafa;stroke:#999}.grid{stroke:#ddd;stroke-width:1}"
           ".trace{stroke:#1f5fa8;stroke-width:1;fill:none}.response{stroke-width:2}"
           ".mark{stroke:#b03a2e;stroke-width:1.5}.set{stroke:#999;stroke-dasharray:5 4}"
           "</style>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += text(kLeft, 28, "title", title) + text(kLeft, 50, "caption", caption);
    return svg;
}

std::string axisLabel(int height, const char* label)
{
    return text(kLeft + kPlotWidth / 2.0, height - 12, "label", label, "middle") + "</svg>\n";
}

std::string panel(const std::vector<float>& samples, double rate, const ValueAxis& axis, Scale scale, int top,
                  const std::string& name)
{
    const double seconds = static_cast<double>(samples.size()) / rate;
    auto y = [&](double v) { return axis.y(v, top, kPanelHeight); };
    std::string svg = frame(top, kPanelHeight);
    const double step = tickStep(seconds);
    for (double t = 0.0; t <= seconds + 1e-9; t += step)
        svg += verticalGrid(kLeft + t / seconds * kPlotWidth, top, kPanelHeight, t);
    svg += valueGrid(axis, top, kPanelHeight);
    svg += text(kLeft + 8, top + 18, "label", name);

    // One vertical stroke per pixel column from its lowest to its highest sample (in dB, from the
    // floor to its loudest): echoes a single sample wide stay visible however long the response.
    std::string path;
    const std::size_t count = samples.size();
    for (int column = 0; column < kPlotWidth && count > 0; ++column) {
        const std::size_t begin = count * static_cast<std::size_t>(column) / kPlotWidth;
        const std::size_t end = std::max(begin + 1, count * static_cast<std::size_t>(column + 1) / kPlotWidth);
        float low = 0.0f, high = 0.0f;
        for (std::size_t i = begin; i < std::min(end, count); ++i) {
            if (std::isfinite(samples[i])) {
                low = std::min(low, samples[i]);
                high = std::max(high, samples[i]);
            }
        }
        const double x = kLeft + column + 0.5;
        const double y1 = scale == Scale::Linear ? y(low) : y(axis.low);
        const double y2 = scale == Scale::Linear ? y(high) : y(decibels(std::max(-low, high)));
        if (std::fabs(y1 - y2) >= 0.25)
            path += format("M%.1f %.2fV%.2f", x, y1, y2);
    }
    svg += "<path class=\"trace\" d=\"" + path + "\"/>\n";
    return svg;
}

// The filter's page: one tall panel, and a line for the note above it.
constexpr int kLowestHz = 20;
constexpr int kFilterTop = 90, kFilterHeight = 400;

} // namespace

std::string impulseResponseSvg(const Planar& response, double rate, const std::string& title,
                               const std::string& caption, Scale scale)
{
    float peak = 0.0f;
    for (const auto& channel : response)
        for (float s : channel)
            if (std::isfinite(s))
                peak = std::max(peak, std::fabs(s));
    const double linearTop = niceCeiling(std::max(peak, 1e-6f));
    const double dbTop = std::max(0.0, roundUpToTen(decibels(peak)));
    const ValueAxis axis =
        scale == Scale::Linear ? ValueAxis{-linearTop, linearTop, linearTop} : ValueAxis{kFloorDb, dbTop, 20.0};
    const int panels = static_cast<int>(response.size());
    const int height = kTop + panels * kPanelHeight + (panels - 1) * kGap + kBottom;

    std::string svg = pageStart(height, title, caption);
    const char* const names[] = {"Left", "Right"};
    for (int c = 0; c < panels; ++c) {
        const std::string name = c < 2 && panels == 2 ? names[c] : "Output " + std::to_string(c + 1);
        svg += panel(response[static_cast<std::size_t>(c)], rate, axis, scale, kTop + c * (kPanelHeight + kGap), name);
    }
    return svg + axisLabel(height, scale == Scale::Linear ? "time (s)" : "time (s); level in dB");
}

std::string filterResponseSvg(const quadecho::BlockCoefficients& filter, double rate, const FilterMarks& marks,
                              const std::string& title, const std::string& caption)
{
    const double highest = rate / 2.0, span = std::log(highest / kLowestHz);
    auto x = [&](double hz) { return kLeft + std::log(hz / kLowestHz) / span * kPlotWidth; };
    double db[kPlotWidth + 1], peak = 0.0;
    for (int column = 0; column <= kPlotWidth; ++column) {
        db[column] = quadecho::filterResponseDb(filter, kLowestHz * std::exp(span * column / kPlotWidth), rate);
        peak = std::isfinite(db[column]) ? std::max(peak, db[column]) : peak;
    }
    // Room above the peak for the running mark's label, up to +40 dB: an undamped filter's peak is
    // as high as the sampling happens to hit.
    const double top = std::clamp(roundUpToTen(peak + 5.0), 10.0, 40.0);
    const ValueAxis axis{top - 90.0, top, 10.0};
    const int height = kFilterTop + kFilterHeight + kBottom;

    std::string svg = pageStart(height, title, caption) + text(kLeft, 72, "note", marks.note);
    svg += frame(kFilterTop, kFilterHeight);
    for (double decade = 10.0; decade < highest; decade *= 10.0)
        for (double step : {1.0, 2.0, 5.0})
            if (step * decade >= kLowestHz && step * decade <= highest)
                svg += verticalGrid(x(step * decade), kFilterTop, kFilterHeight, step * decade);
    svg += valueGrid(axis, kFilterTop, kFilterHeight);

    std::string path;
    for (int column = 0; column <= kPlotWidth; ++column)
        path += format(column == 0 ? "M%.1f %.2f" : "L%.1f %.2f", kLeft + column,
                       axis.y(std::isfinite(db[column]) ? db[column] : axis.low, kFilterTop, kFilterHeight));
    svg += "<path class=\"trace response\" d=\"" + path + "\"/>\n";

    // The marks, labelled on the side with room for the text: the running one at the top, above the
    // peak, the set one at the bottom, where the response has fallen away.
    auto mark = [&](double hz, const char* cls, const std::string& label, int labelY) {
        if (!(hz >= kLowestHz && hz <= highest))
            return std::string();
        const double at = x(hz);
        const bool right = at < kLeft + kPlotWidth * 0.7;
        return format("<line x1=\"%.1f\" y1=\"%g\" x2=\"%.1f\" y2=\"%g\" class=\"", at, kFilterTop, at,
                      kFilterTop + kFilterHeight) +
               cls + "\"/>\n" + text(at + (right ? 6 : -6), labelY, "label", label, right ? "start" : "end");
    };
    const bool differs = std::fabs(marks.setHz - marks.runningHz) > 0.5;
    if (differs)
        svg += mark(marks.setHz, "mark set", format("set %.0f Hz", marks.setHz), kFilterTop + kFilterHeight - 8);
    svg += mark(marks.runningHz, "mark", format(differs ? "filter at %.0f Hz" : "cutoff %.0f Hz", marks.runningHz),
                kFilterTop + 18);
    return svg + axisLabel(height, "frequency (Hz), logarithmic; level in dB");
}

} // namespace qtool
