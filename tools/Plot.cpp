#include "Plot.h"

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

std::string panel(const std::vector<float>& samples, double rate, double scale, int top, const std::string& name)
{
    const double seconds = static_cast<double>(samples.size()) / rate;
    const double middle = top + kPanelHeight / 2.0;
    auto y = [&](double v) { return middle - std::clamp(v / scale, -1.0, 1.0) * (kPanelHeight / 2.0); };
    std::string svg = format("<rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" class=\"frame\"/>\n", kLeft, top,
                             kPlotWidth, kPanelHeight);
    const double step = tickStep(seconds);
    for (double t = 0.0; t <= seconds + 1e-9; t += step) {
        const double x = kLeft + t / seconds * kPlotWidth;
        svg += format("<line x1=\"%.1f\" y1=\"%g\" x2=\"%.1f\" y2=\"%g\" class=\"grid\"/>\n", x, top, x,
                      top + kPanelHeight);
        svg += format("<text x=\"%.1f\" y=\"%g\" class=\"tick\" text-anchor=\"middle\">%g</text>\n", x,
                      top + kPanelHeight + 16, t);
    }
    for (double v : {-scale, 0.0, scale}) {
        svg += format("<line x1=\"%g\" y1=\"%.1f\" x2=\"%g\" y2=\"%.1f\" class=\"grid\"/>\n", kLeft, y(v),
                      kLeft + kPlotWidth, y(v));
        svg +=
            format("<text x=\"%g\" y=\"%.1f\" class=\"tick\" text-anchor=\"end\">%g</text>\n", kLeft - 6, y(v) + 4, v);
    }
    svg += "<text x=\"" + std::to_string(kLeft + 8) + "\" y=\"" + std::to_string(top + 18) + "\" class=\"label\">" +
           escaped(name) + "</text>\n";

    // One vertical stroke per pixel column from its lowest to its highest sample: echoes a
    // single sample wide stay visible however long the response.
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
        const double y1 = y(low), y2 = y(high);
        if (std::fabs(y1 - y2) >= 0.25)
            path += format("M%.1f %.2fV%.2f", x, y1, y2);
    }
    svg += "<path class=\"trace\" d=\"" + path + "\"/>\n";
    return svg;
}

} // namespace

std::string impulseResponseSvg(const Planar& response, double rate, const std::string& title,
                               const std::string& caption)
{
    float peak = 0.0f;
    for (const auto& channel : response)
        for (float s : channel)
            if (std::isfinite(s))
                peak = std::max(peak, std::fabs(s));
    const double scale = niceCeiling(std::max(peak, 1e-6f));
    const int panels = static_cast<int>(response.size());
    const int height = kTop + panels * kPanelHeight + (panels - 1) * kGap + kBottom;

    std::string svg = format("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%g\" height=\"%g\" "
                             "viewBox=\"0 0 %g %g\">\n",
                             kWidth, height, kWidth, height);
    svg += "<style>"
           "text{font-family:sans-serif;fill:#222}.title{font-size:18px;font-weight:bold}"
           ".caption,.label{font-size:13px}.tick{font-size:11px;fill:#555}"
           ".frame{fill:#fafafa;stroke:#999}.grid{stroke:#ddd;stroke-width:1}"
           ".trace{stroke:#1f5fa8;stroke-width:1;fill:none}"
           "</style>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += "<text x=\"" + std::to_string(kLeft) + "\" y=\"28\" class=\"title\">" + escaped(title) + "</text>\n";
    svg += "<text x=\"" + std::to_string(kLeft) + "\" y=\"50\" class=\"caption\">" + escaped(caption) + "</text>\n";
    const char* const names[] = {"Left", "Right"};
    for (int c = 0; c < panels; ++c) {
        const std::string name = c < 2 && panels == 2 ? names[c] : "Output " + std::to_string(c + 1);
        svg += panel(response[static_cast<std::size_t>(c)], rate, scale, kTop + c * (kPanelHeight + kGap), name);
    }
    svg += format("<text x=\"%g\" y=\"%g\" class=\"label\" text-anchor=\"middle\">time (s)</text>\n",
                  kLeft + kPlotWidth / 2.0, height - 12);
    svg += "</svg>\n";
    return svg;
}

} // namespace qtool
