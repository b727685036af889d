// A host that sends what no host should: values outside every range, not-a-number and infinite
// values and samples, rate changes without a suspend, texts past their limits. Whatever it sends,
// every access stays inside the effect's memory (the sanitizer builds check that, and leaks after
// effClose), texts stay within what a host lends, and the output is finite again one line length
// after the values are back in range.
#include "EffectHost.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kMax = std::numeric_limits<float>::max();
constexpr float kDenormal = std::numeric_limits<float>::denorm_min() * 3.0f;

const float kHostileValues[] = {kNaN, kInf, -kInf, 1e30f, -1e30f, kMax, -kMax, kDenormal, -kDenormal, -0.5f, 1.5f};

std::string show(float v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
    return text;
}

// Everything audible and as hard on the loop as the ranges allow: all taps fed back at twice
// unity, an undamped filter half band-pass and half high-pass, full drive and sweep.
void busyButInRange(EffectHost& host)
{
    for (int tap = 0; tap < 4; ++tap) {
        host.set(4 * tap, 0.01f + 0.1f * static_cast<float>(tap)); // 20, 220, 420, 620 ms
        host.set(4 * tap + 1, static_cast<float>(tap) / 3.0f);
        host.set(4 * tap + 2, 1.0f);
        host.set(4 * tap + 3, 1.0f);
    }
    host.set(16, 0.5f);
    host.set(17, 0.7f);
    host.set(18, 1.0f);
    host.setReal(19, 2.5f);
    host.set(20, 1.0f);
    host.set(21, 1.0f);
    host.set(22, 1.0f);
}

using Sequence = std::function<void(EffectHost&)>;

struct HostileRow {
    std::string name;
    Sequence hostile;
};

std::vector<HostileRow> hostileRows()
{
    std::vector<HostileRow> rows;
    for (float v : kHostileValues) {
        rows.push_back({"every parameter at " + show(v), [v](EffectHost& host) {
                            for (VstInt32 i = 0; i < kNumParams; ++i)
                                host.set(i, v);
                            host.render(noise(3000, 11), {333});
                        }});
    }
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        rows.push_back({"parameter " + std::to_string(i) + " through every hostile value", [i](EffectHost& host) {
                            for (float v : kHostileValues) {
                                host.set(i, v);
                                host.render(noise(700, static_cast<unsigned>(i)), {256});
                            }
                        }});
    }
    rows.push_back({"samples that are not numbers, infinite, huge or denormal", [](EffectHost& host) {
                        const float samples[] = {kNaN, kInf, -kInf, 1e30f, -kMax, kDenormal};
                        Stereo input(6000);
                        for (std::size_t i = 0; i < input.size(); ++i) {
                            input.left[i] = samples[i % 6];
                            input.right[i] = samples[(i / 7) % 6];
                        }
                        host.render(input, {512, 7});
                        host.render(input, {4096}, Callback::Accumulating, true);
                    }});
    rows.push_back({"hostile values and samples together, in place", [](EffectHost& host) {
                        for (VstInt32 i = 0; i < kNumParams; ++i)
                            host.set(i, kHostileValues[i % std::size(kHostileValues)]);
                        Stereo input = noise(5000, 12);
                        input.left[100] = kNaN;
                        input.right[2000] = kInf;
                        host.render(input, {64}, Callback::Replacing, true);
                    }});
    rows.push_back({"rates that size no line, without a suspend", [](EffectHost& host) {
                        for (float rate : {kNaN, 1e7f, -kInf, 0.0f, 0.5f}) {
                            host.setSampleRate(rate, false);
                            host.set(17, kInf);
                            host.render(noise(1000, 13), {100});
                        }
                        host.setSampleRate(8000.0f, false);
                    }});
    rows.push_back({"a rate of one sample per second, without a suspend", [](EffectHost& host) {
                        host.setSampleRate(1.0f, false);
                        host.set(18, -1e30f);
                        host.render(noise(3000, 14), {1, 4096});
                        host.setSampleRate(8000.0f, false);
                    }});
    return rows;
}

TEST(HostileHost, OutputIsFiniteAgainOneLineLengthAfterValuesAreBackInRange)
{
    constexpr std::size_t kLine = 16000; // two seconds at 8000 Hz
    for (const HostileRow& row : hostileRows()) {
        SCOPED_TRACE(row.name);
        EffectHost host;
        host.setSampleRate(8000.0f);
        busyButInRange(host);
        host.render(noise(4000, 1), {512});
        row.hostile(host);
        busyButInRange(host);
        host.render(noise(kLine, 2), {512});
        EXPECT_TRUE(allFinite(host.render(noise(kLine, 3), {512})));
    }
}

TEST(HostileHost, RateChangedWithoutSuspendKeepsEveryReadInTheLine)
{
    struct Case {
        const char* name;
        float lineRate; // the rate the line is sized for, on resume
        float hostRate; // set afterwards, without a suspend
        float normalisedTime;
        std::size_t echoAt;
    };
    const Case cases[] = {
        {"a rate four times higher", 44100.0f, 192000.0f, 1.0f, 88200},
        {"the highest rate a line is sized for", 44100.0f, 1536000.0f, 0.06f, 88200},
        {"a higher rate, time still inside the line", 44100.0f, 48000.0f, 0.9f, 86400},
        {"a rate that sizes no line computes with the line's", 44100.0f, 1e7f, 1.0f, 88200},
        {"an infinite rate", 44100.0f, kInf, 1.0f, 88200},
        {"a negative rate", 44100.0f, -48000.0f, 0.5f, 44100},
        {"a time from beyond the table", 8000.0f, 44100.0f, 1e30f, 16000},
        {"a lower rate in a longer line", 192000.0f, 8000.0f, 1.0f, 16000},
        {"one sample per second", 8000.0f, 1.0f, 1.0f, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EffectHost host;
        host.setSampleRate(c.lineRate);
        for (int tap = 1; tap < 4; ++tap)
            host.setReal(4 * tap + 3, 0.0f);
        host.setReal(14, 0.0f);
        host.set(0, c.normalisedTime);
        host.setSampleRate(c.hostRate, false);
        // Past the end of the line and around again, in blocks that straddle the wrap.
        const Stereo out = host.render(impulse(c.echoAt + 20000, 0, 0.5f, 0.5f), {4096, 7, 1});
        EXPECT_EQ(firstNonZero(out.left), c.echoAt);
        EXPECT_TRUE(allFinite(out));
    }
}

// Each text a host asks for is terminated within the length the interface allows for it, and
// nothing past that length is touched, whatever the index and whatever value it shows.
TEST(HostileHost, TextsStayWithinTheirLimits)
{
    struct Text {
        VstInt32 opcode;
        std::size_t limit; // bytes, terminator included
    };
    const Text texts[] = {{effGetParamName, 16},
                          {effGetParamLabel, 8},
                          {effGetParamDisplay, 24},
                          {effGetProgramName, 32},
                          {effGetProgramNameIndexed, 32}};
    const VstInt32 indexes[] = {INT32_MIN, -1, 0, 16, 17, 19, 22, 23, 1000, INT32_MAX};
    EffectHost host;
    const std::string longName(200, 'n');
    host.dispatch(effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
    for (float v : kHostileValues) {
        for (VstInt32 i = 0; i < kNumParams; ++i)
            host.set(i, v);
        for (const Text& t : texts) {
            for (VstInt32 index : indexes) {
                SCOPED_TRACE(::testing::Message() << "opcode " << t.opcode << ", index " << index << ", value " << v);
                char buffer[256];
                std::memset(buffer, 0x7f, sizeof buffer);
                host.dispatch(t.opcode, index, 0, buffer);
                // An answer of nothing (a program that does not exist) leaves the buffer alone.
                if (buffer[0] != 0x7f) {
                    ASSERT_NE(std::memchr(buffer, 0, t.limit), nullptr);
                }
                for (std::size_t b = t.limit; b < sizeof buffer; ++b)
                    ASSERT_EQ(buffer[b], 0x7f) << "byte " << b;
            }
        }
    }
}

VstIntPtr VSTCALLBACK answeringHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// effClose ends the instance whatever came before; the leak checker of the address sanitizer
// build sees anything it leaves behind.
TEST(HostileHost, CloseAfterAnySequenceFreesEverything)
{
    using Steps = std::function<void(AEffect*)>;
    auto dispatch = [](AEffect* e, VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) { return e->dispatcher(e, op, index, value, ptr, opt); };
    struct Case {
        const char* name;
        Steps steps;
    };
    const Case cases[] = {
        {"nothing", [](AEffect*) {}},
        {"the line sized again and again",
         [&](AEffect* e) {
             for (float rate : {8000.0f, 1536000.0f, 1.0f, 192000.0f, kNaN, 44100.0f}) {
                 dispatch(e, effMainsChanged, 0, 0);
                 dispatch(e, effSetSampleRate, 0, 0, nullptr, rate);
                 dispatch(e, effMainsChanged, 0, 1);
             }
         }},
        {"suspended and never resumed, rate raised",
         [&](AEffect* e) {
             dispatch(e, effMainsChanged, 0, 1);
             dispatch(e, effMainsChanged, 0, 0);
             dispatch(e, effSetSampleRate, 0, 0, nullptr, 96000.0f);
         }},
        {"programs renamed and switched",
         [&](AEffect* e) {
             char name[] = "a name well beyond the thirty-one characters a program keeps";
             for (VstIntPtr p : {7, 8, -1, 3}) {
                 dispatch(e, effSetProgram, 0, p);
                 dispatch(e, effSetProgramName, 0, 0, name);
             }
         }},
        {"every opcode with a zeroed buffer",
         [&](AEffect* e) {
             std::vector<char> buffer(4096);
             for (VstInt32 op = -5; op <= 100; ++op) {
                 if (op == effClose)
                     continue;
                 std::fill(buffer.begin(), buffer.end(), 0);
                 dispatch(e, op, 1, 0, buffer.data(), 1.0f);
             }
         }},
        {"hostile values, then blocks of every size",
         [&](AEffect* e) {
             for (VstInt32 i = 0; i < kNumParams; ++i)
                 e->setParameter(e, i, kHostileValues[i % std::size(kHostileValues)]);
             std::vector<float> l(4096, 0.5f), r(4096, -0.5f);
             float* io[2] = {l.data(), r.data()};
             for (VstInt32 frames : {0, 1, 7, 4096}) {
                 e->processReplacing(e, io, io, frames);
                 e->process(e, io, io, frames);
             }
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AEffect* e = VSTPluginMain(answeringHost);
        ASSERT_NE(e, nullptr);
        c.steps(e);
        EXPECT_EQ(dispatch(e, effClose), 1);
    }
}

} // namespace
