// Writes the LV2 bundle's metadata, manifest.ttl, quadecho.ttl and presets.ttl, into the folder
// given: built and run with the bundle, so that every port's symbol, range, default and unit comes
// from the one parameter table, every name from the identity texts and every preset from the
// factory programs.
#include "InlineDisplay.h"
#include "Ports.h"
#include "core/FactoryPrograms.h"
#include "core/Identity.h"
#include "generate/Generate.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

namespace {

using namespace quadecho;
using namespace quadecho::lv2;

// Shortest text that reads back as the same float, always with a decimal point or an exponent, as
// Turtle's decimals and doubles have.
std::string number(float value)
{
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value)
            break;
    }
    std::string result = text;
    if (result.find_first_of(".e") == std::string::npos)
        result += ".0";
    return result;
}

// The unit a host shows beside the value, in LV2's vocabulary where it has one; the pan has a
// unit of our own, whose symbol is the label the 2.4 module shows.
const char* unitOf(Unit unit)
{
    switch (unit) {
    case Unit::Milliseconds:
        return "units:ms";
    case Unit::Hertz:
        return "units:hz";
    case Unit::Percent:
        return "units:pc";
    case Unit::LinearGain:
        return "units:coef";
    case Unit::Pan:
        return "<#pan>";
    default:
        return nullptr;
    }
}

std::string presetUri(const FactoryProgram& program) { return std::string(kLv2Uri) + "#" + factorySlug(program.name); }

void writeManifest(std::FILE* out)
{
    std::fprintf(out,
                 "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                 "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                 "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n\n"
                 "<%s>\n"
                 "    a lv2:Plugin ;\n"
                 "    lv2:binary <%s> ;\n"
                 "    rdfs:seeAlso <quadecho.ttl> .\n",
                 kLv2Uri, kBinary);
    for (const FactoryProgram& program : kFactoryPrograms)
        std::fprintf(out,
                     "\n<%s>\n"
                     "    a pset:Preset ;\n"
                     "    lv2:appliesTo <%s> ;\n"
                     "    rdfs:seeAlso <presets.ttl> .\n",
                     presetUri(program).c_str(), kLv2Uri);
}

// The factory programs, every port's value given: a preset is the whole setting.
void writePresets(std::FILE* out)
{
    std::fprintf(out, "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                      "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                      "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n");
    for (const FactoryProgram& program : kFactoryPrograms) {
        float values[kNumParams];
        factoryValues(program, values);
        std::fprintf(out,
                     "\n<%s>\n"
                     "    a pset:Preset ;\n"
                     "    lv2:appliesTo <%s> ;\n"
                     "    rdfs:label \"%s\"",
                     presetUri(program).c_str(), kLv2Uri, program.name);
        for (int i = 0; i < kNumParams; ++i)
            std::fprintf(out, " ;\n    lv2:port [ lv2:symbol \"%s\" ; pset:value %s ]", kParameters[i].symbol,
                         number(values[i]).c_str());
        std::fprintf(out, " .\n");
    }
}

void writePorts(std::FILE* out)
{
    const char* const audioNames[kAudioPorts] = {"Left input", "Right input", "Left output", "Right output"};
    for (std::uint32_t port = 0; port < kAudioPorts; ++port) {
        const bool input = port < kOutL;
        std::fprintf(out,
                     "    lv2:port [\n"
                     "        a lv2:AudioPort , lv2:%sPort ;\n"
                     "        lv2:index %u ;\n"
                     "        lv2:symbol \"%s\" ;\n"
                     "        lv2:name \"%s\" ;\n"
                     "        pg:group <#%s> ;\n"
                     "        lv2:designation pg:%s\n"
                     "    ] ;\n",
                     input ? "Input" : "Output", port, kAudioSymbols[port], audioNames[port], input ? "in" : "out",
                     port % 2 == 0 ? "left" : "right");
    }
    for (int i = 0; i < kNumParams; ++i) {
        const ParameterFacts& row = kParameters[i];
        std::fprintf(out,
                     "    lv2:port [\n"
                     "        a lv2:InputPort , lv2:ControlPort ;\n"
                     "        lv2:index %u ;\n"
                     "        lv2:symbol \"%s\" ;\n"
                     "        lv2:name \"%s\" ;\n"
                     "        lv2:default %s ;\n"
                     "        lv2:minimum %s ;\n"
                     "        lv2:maximum %s",
                     kFirstControl + static_cast<std::uint32_t>(i), kParameters[i].symbol, row.name,
                     number(row.defaultValue).c_str(), number(row.minValue).c_str(), number(row.maxValue).c_str());
        if (const char* unit = unitOf(row.unit))
            std::fprintf(out, " ;\n        units:unit %s", unit);
        if (scalingOf(row.unit) == Scaling::Logarithmic)
            std::fprintf(out, " ;\n        lv2:portProperty pprops:logarithmic");
        else if (scalingOf(row.unit) == Scaling::Rounded)
            std::fprintf(out, " ;\n        lv2:portProperty lv2:integer");
        if (i == kFilterType) {
            for (std::size_t point = 0; point < std::size(kFilterTypeNames); ++point)
                std::fprintf(out, " ;\n        lv2:scalePoint [ rdfs:label \"%s\" ; rdf:value %s ]",
                             kFilterTypeNames[point], number(static_cast<float>(point)).c_str());
        }
        std::fprintf(out, "\n    ]%s\n", i + 1 < kNumParams ? " ;" : " .");
    }
}

void writePlugin(std::FILE* out)
{
    std::fprintf(out,
                 "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                 "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                 "@prefix idisp: <%s> .\n"
                 "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                 "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
                 "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
                 "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                 "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                 "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n\n"
                 "idisp:interface\n"
                 "    a lv2:ExtensionData .\n\n"
                 "idisp:queue_draw\n"
                 "    a lv2:Feature .\n\n"
                 "<#pan>\n"
                 "    a units:Unit ;\n"
                 "    rdfs:label \"pan\" ;\n"
                 "    units:symbol \"%s\" ;\n"
                 "    units:render \"%%.2f\" .\n\n"
                 "<#project>\n"
                 "    a doap:Project ;\n"
                 "    doap:name \"%s\" ;\n"
                 "    doap:maintainer [ a foaf:Organization ; foaf:name \"%s\" ] .\n\n"
                 "<#in>\n"
                 "    a pg:StereoGroup , pg:InputGroup ;\n"
                 "    lv2:symbol \"in\" ;\n"
                 "    rdfs:label \"Input\" .\n\n"
                 "<#out>\n"
                 "    a pg:StereoGroup , pg:OutputGroup ;\n"
                 "    lv2:symbol \"out\" ;\n"
                 "    rdfs:label \"Output\" .\n\n"
                 "<%s>\n"
                 "    a lv2:Plugin , lv2:DelayPlugin ;\n"
                 "    doap:name \"%s\" ;\n"
                 "    lv2:project <#project> ;\n"
                 "    lv2:minorVersion %d ;\n"
                 "    lv2:microVersion %d ;\n"
                 "    lv2:optionalFeature lv2:hardRTCapable , idisp:queue_draw ;\n"
                 "    lv2:extensionData idisp:interface ;\n",
                 kInlineDisplayPrefix, unitLabel(Unit::Pan), kProductString, kVendorName, kLv2Uri, kEffectName,
                 kVersion.minor, kVersion.patch);
    writePorts(out);
}

} // namespace

int main(int argc, char** argv)
{
    return quadecho::generate::writeInto(
        argc, argv, "BUNDLE_FOLDER",
        {{"manifest.ttl", writeManifest}, {"quadecho.ttl", writePlugin}, {"presets.ttl", writePresets}});
}
