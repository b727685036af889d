// The factory bank: eight programs that show what the delay does, each written as the real values
// that differ from the parameter table's defaults. The bank and program files and the LV2 presets
// are generated from these rows; the effect's own programs still start as the defaults.
#pragma once

#include "Parameters.h"

#include <cctype>
#include <span>
#include <string>

namespace quadecho {

struct ProgramSetting {
    Param index;
    float value; // in the parameter's own unit
};

struct FactoryProgram {
    const char* name; // at most 24 characters, as hosts show program names
    std::span<const ProgramSetting> settings;
};

namespace factory {

// One echo 110 ms after the note, in the middle, under the dry signal: rockabilly vocals.
inline constexpr ProgramSetting kSlapback[] = {
    {kTap1Time, 110.0f}, {kTap1Pan, 0.0f},      {kTap1Level, 0.7f},  {kTap2Level, 0.0f},  {kTap3Level, 0.0f},
    {kTap4Level, 0.0f},  {kTap4Feedback, 0.0f}, {kWetDryMix, 0.35f}, {kFilterType, 0.5f}, {kFilterCutoff, 3000.0f}};

// Quarter notes at 120 BPM, left then right, each pair a little quieter and darker.
inline constexpr ProgramSetting kPingPong[] = {
    {kTap1Time, 500.0f}, {kTap1Pan, -1.0f},      {kTap1Level, 0.9f},      {kTap2Time, 1000.0f}, {kTap2Pan, 1.0f},
    {kTap2Level, 0.9f},  {kTap2Feedback, 50.0f}, {kTap3Level, 0.0f},      {kTap4Level, 0.0f},   {kTap4Feedback, 0.0f},
    {kWetDryMix, 0.4f},  {kFilterType, 0.3f},    {kFilterCutoff, 2500.0f}};

// Dotted eighths at 120 BPM (375 ms) repeating, with a quieter quarter-note echo beside them.
inline constexpr ProgramSetting kDottedEighth[] = {{kTap1Time, 375.0f},    {kTap1Pan, 0.0f},    {kTap1Level, 0.8f},
                                                   {kTap1Feedback, 45.0f}, {kTap2Time, 500.0f}, {kTap2Pan, -0.5f},
                                                   {kTap2Level, 0.35f},    {kTap3Level, 0.0f},  {kTap4Level, 0.0f},
                                                   {kTap4Feedback, 0.0f},  {kWetDryMix, 0.4f}};

// Two short copies panned apart, no repeats: a mono source made wide.
inline constexpr ProgramSetting kWideDoubler[] = {
    {kTap1Time, 17.0f}, {kTap1Pan, -1.0f},  {kTap1Level, 0.7f}, {kTap2Time, 29.0f},    {kTap2Pan, 1.0f},
    {kTap2Level, 0.7f}, {kTap3Level, 0.0f}, {kTap4Level, 0.0f}, {kTap4Feedback, 0.0f}, {kWetDryMix, 0.5f}};

// Band-passed repeats through the saturating clipper, spreading out from the middle.
inline constexpr ProgramSetting kDubSpiral[] = {
    {kTap1Time, 375.0f}, {kTap1Pan, 0.0f},      {kTap1Level, 0.8f},   {kTap1Feedback, 45.0f}, {kTap2Time, 750.0f},
    {kTap2Pan, -0.7f},   {kTap2Level, 0.5f},    {kTap3Time, 1125.0f}, {kTap3Pan, 0.7f},       {kTap3Level, 0.5f},
    {kTap4Level, 0.0f},  {kTap4Feedback, 0.0f}, {kWetDryMix, 0.45f},  {kFilterType, 2.0f},    {kFilterCutoff, 800.0f},
    {kFilterQ, 0.2f},    {kSaturation, 3.0f}};

// Four long taps feeding back through a low-pass, spread across the field: a soft cloud.
inline constexpr ProgramSetting kAmbientWash[] = {
    {kTap1Time, 290.0f},  {kTap1Pan, -0.8f},   {kTap1Feedback, 20.0f},   {kTap1Level, 0.5f},
    {kTap2Time, 470.0f},  {kTap2Pan, 0.8f},    {kTap2Feedback, 20.0f},   {kTap2Level, 0.5f},
    {kTap3Time, 710.0f},  {kTap3Pan, -0.4f},   {kTap3Feedback, 15.0f},   {kTap3Level, 0.5f},
    {kTap4Time, 1130.0f}, {kTap4Pan, 0.4f},    {kTap4Feedback, 15.0f},   {kTap4Level, 0.5f},
    {kWetDryMix, 0.5f},   {kFilterType, 1.0f}, {kFilterCutoff, 1200.0f}, {kFilterQ, 0.05f}};

// Repeats that lose their lows and highs into a resonant peak, one pass after another; automate
// the sweep to move it.
inline constexpr ProgramSetting kSweepEcho[] = {
    {kTap1Time, 250.0f}, {kTap1Pan, -0.3f},   {kTap1Level, 0.8f},      {kTap1Feedback, 40.0f}, {kTap2Time, 500.0f},
    {kTap2Pan, 0.3f},    {kTap2Level, 0.6f},  {kTap3Level, 0.0f},      {kTap4Level, 0.0f},     {kTap4Feedback, 0.0f},
    {kWetDryMix, 0.45f}, {kFilterType, 1.6f}, {kFilterCutoff, 300.0f}, {kFilterQ, 0.3f},       {kFilterSweep, 0.4f}};

} // namespace factory

inline constexpr FactoryProgram kFactoryPrograms[] = {
    {"Slapback", factory::kSlapback},           {"Ping-Pong 1/4 120 BPM", factory::kPingPong},
    {"Dotted Eighth", factory::kDottedEighth},  {"Wide Doubler", factory::kWideDoubler},
    {"Dub Spiral", factory::kDubSpiral},        {"Ambient Wash", factory::kAmbientWash},
    {"Filter Sweep Echo", factory::kSweepEcho}, {"Defaults", {}},
};

// A program's values in parameter order: the table's defaults, then its settings.
inline void factoryValues(const FactoryProgram& program, float (&values)[kNumParams]) noexcept
{
    defaultValues(values);
    for (const ProgramSetting& s : program.settings)
        values[s.index] = s.value;
}

// "Ping-Pong 1/4 120 BPM" as "ping-pong-1-4-120-bpm": for file names and LV2 preset URIs.
inline std::string factorySlug(const char* name)
{
    std::string slug;
    for (; *name; ++name)
        if (std::isalnum(static_cast<unsigned char>(*name)))
            slug += static_cast<char>(std::tolower(static_cast<unsigned char>(*name)));
        else if (!slug.empty() && slug.back() != '-')
            slug += '-';
    return slug;
}

} // namespace quadecho
