// A hostile host: one fresh instance per input, driven only through its record with a sequence of
// calls decoded from the input bytes, then closed. Memory errors, undefined behaviour and leaks
// are the sanitizers' business; the checks here catch what they cannot see (text written past
// what a host's buffer holds, output written for an empty block). The same function replays the
// corpus in the ordinary test builds, so the decoding reads bytes only: every processor decodes
// an input alike.
#include "ByteReader.h"
#include "testing/EffectHost.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

using namespace quadecho;
using namespace quadecho::testhost;

namespace {

using fuzz::ByteReader;

constexpr float kDenormal = std::numeric_limits<float>::denorm_min() * 3.0f;

// Values a host should never send and values at the edges of every range.
const float kHostileValues[] = {0.0f,    -0.0f,   1.0f,      0.5f,       -1.0f,
                                2.0f,    kNaN,    -kNaN,     kInf,       -kInf,
                                1e30f,   -1e30f,  kDenormal, -kDenormal, std::numeric_limits<float>::max(),
                                -0.001f, 1.0001f, 1e-30f};
const float kSampleRates[] = {0.0f, -44100.0f, kNaN, 1.0f,     8000.0f,    44100.0f,  192000.0f,
                              1e7f, kInf,      0.5f, 48000.0f, 1536000.0f, 1536001.0f};
const VstInt32 kBlockSizes[] = {0, 1, 7, 4096, -1, 64, 1 << 30, INT32_MIN};
const VstInt32 kFrames[] = {0, 1, 7, 4096, 64, 513, -1, INT32_MIN};
const VstInt32 kLargeOpcodes[] = {101, 127, 128, 255, 1000, 65536, INT32_MAX, INT32_MIN, -100};

float value(ByteReader& in)
{
    const std::uint8_t selector = in.byte();
    if (selector % 2 == 0)
        return kHostileValues[(selector / 2) % std::size(kHostileValues)];
    return std::bit_cast<float>(in.u32());
}

VstInt32 index(ByteReader& in)
{
    const std::uint8_t selector = in.byte();
    if (selector < 0xc0)
        return static_cast<VstInt32>(selector % 32) - 4; // -4..27: around the 23 parameters
    return static_cast<VstInt32>(in.u32());
}

VstInt32 opcode(ByteReader& in)
{
    const std::uint8_t selector = in.byte();
    if (selector < 106)
        return static_cast<VstInt32>(selector) - 5; // -5..100
    return kLargeOpcodes[selector % std::size(kLargeOpcodes)];
}

VstIntPtr integer(ByteReader& in)
{
    switch (in.byte() % 4) {
    case 0:
        return static_cast<std::int8_t>(in.byte());
    case 1:
        return static_cast<std::int32_t>(in.u32());
    case 2:
        return static_cast<VstIntPtr>(in.u64());
    default:
        return in.byte() & 1;
    }
}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "hostile host: %s\n", what);
    std::abort();
}

// No text or record the effect answers with is longer than this; hosts commonly lend 64 bytes
// or a little more.
constexpr std::size_t kMostWritten = 64;

class Host {
public:
    Host() : e(effect.record()), buffer(kBufferSize), arrangement(kBufferSize) {}

    void close()
    {
        if (effect.close() != 1)
            fail("effClose did not answer 1");
    }

    // The host's buffer: zeroed, optionally starting with a terminated text from the input.
    void* lend(ByteReader& in)
    {
        std::memset(buffer.data(), 0, buffer.size());
        textLength = 0;
        switch (in.byte() % 4) {
        case 0:
            return nullptr;
        case 3:
            textLength = text(in, buffer.data());
            break;
        default:
            break;
        }
        return buffer.data();
    }

    // Whatever the call, nothing past the longest answer (or the host's own text) is touched.
    void checkBuffer() const
    {
        static const char zeros[kBufferSize] = {};
        const std::size_t from = std::max(kMostWritten, textLength + 1);
        if (std::memcmp(buffer.data() + from, zeros, buffer.size() - from) != 0)
            fail("wrote past the longest text a host lends");
    }

    void dispatch(ByteReader& in, VstInt32 op)
    {
        const VstInt32 idx = index(in);
        VstIntPtr val = integer(in);
        const float opt = value(in);
        void* ptr = lend(in);
        switch (op) {
        case effSetSpeakerArrangement:
        case effGetSpeakerArrangement:
            // These take a pointer in value: a host passes a record or nothing, never a number.
            std::memset(arrangement.data(), 0, arrangement.size());
            val = (val & 1) ? reinterpret_cast<VstIntPtr>(arrangement.data()) : 0;
            break;
        case effSetChunk:
            // value is the size of the block at ptr.
            val = ptr ? std::min<VstIntPtr>(val < 0 ? -(val + 1) : val, kBufferSize) : 0;
            break;
        default:
            break;
        }
        e->dispatcher(e, op, idx, val, ptr, opt);
        if (ptr)
            checkBuffer();
    }

    void setParameter(ByteReader& in)
    {
        const VstInt32 idx = index(in);
        const float v = value(in);
        onAudioThread([&] { e->setParameter(e, idx, v); }); // as hosts that automate call it
    }

    void getParameter(ByteReader& in) { e->getParameter(e, index(in)); }

    void setProgram(ByteReader& in)
    {
        e->dispatcher(e, effSetProgram, 0, static_cast<std::int8_t>(in.byte()), nullptr, 0.0f);
    }

    void setSampleRate(ByteReader& in)
    {
        const std::uint8_t how = in.byte();
        const float rate = how & 4 ? std::bit_cast<float>(in.u32()) : in.pick(kSampleRates);
        if (how & 1)
            e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
        if (how & 8)
            e->dispatcher(e, effSetBlockSizeAndSampleRate, 0, in.pick(kBlockSizes), nullptr, rate);
        else
            e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, rate);
        if (how & 2)
            e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    }

    void setBlockSize(ByteReader& in) { e->dispatcher(e, effSetBlockSize, 0, in.pick(kBlockSizes), nullptr, 0.0f); }

    void mainsChanged(ByteReader& in)
    {
        e->dispatcher(e, effMainsChanged, 0, static_cast<std::int8_t>(in.byte()), nullptr, 0.0f);
    }

    void renameProgram(ByteReader& in)
    {
        std::memset(buffer.data(), 0, buffer.size());
        textLength = text(in, buffer.data());
        e->dispatcher(e, effSetProgramName, 0, 0, buffer.data(), 0.0f);
        readText(effGetProgramName, 0, 32);
    }

    void readTexts(ByteReader& in)
    {
        const VstInt32 idx = index(in);
        readText(effGetParamName, idx, 16);
        readText(effGetParamLabel, idx, kMostWritten);
        readText(effGetParamDisplay, idx, kMostWritten);
        readText(effGetProgramNameIndexed, idx, 32);
    }

    void process(ByteReader& in)
    {
        const std::uint8_t how = in.byte();
        const VstInt32 frames = in.pick(kFrames);
        if (framesLeft < std::max(frames, 0))
            return;
        framesLeft -= std::max(frames, 0);

        // A short pattern of samples from the input, repeated over the block.
        float pattern[16];
        const std::size_t count = in.byte() % 17;
        for (std::size_t i = 0; i < count; ++i)
            pattern[i] = value(in);

        // Exactly as many samples as the block has (one for an empty or negative block, which
        // must stay untouched), so that any access past the end is a heap overflow.
        const std::size_t size = frames > 0 ? static_cast<std::size_t>(frames) : 1;
        std::vector<float> channels[4];
        for (int c = 0; c < 4; ++c) {
            channels[c].resize(size);
            for (std::size_t i = 0; i < size; ++i)
                channels[c][i] = count ? pattern[(i + c) % count] : 0.0f;
        }
        const float leftover = how & 4 ? kNaN : 0.25f;
        if (!(how & 2)) {
            std::fill(channels[2].begin(), channels[2].end(), leftover);
            std::fill(channels[3].begin(), channels[3].end(), leftover);
        }
        const std::vector<float> before = channels[2];

        float* inputs[2] = {channels[0].data(), channels[1].data()};
        float* outputs[2] = {channels[2].data(), channels[3].data()};
        float** in2 = how & 2 ? outputs : inputs; // in place: the outputs hold the input
        if ((how & 0x30) == 0x30)
            outputs[(how >> 6) & 1] = nullptr;
        onAudioThread([&] { (how & 1 ? e->process : e->processReplacing)(e, in2, outputs, frames); });

        if (frames <= 0 && std::memcmp(before.data(), channels[2].data(), sizeof(float)) != 0)
            fail("an empty or negative block wrote output");
    }

    int framesLeft = kMostFrames;

private:
    // Larger than any record or text of the interface.
    static constexpr std::size_t kBufferSize = 2048;
    // Enough frames to run through a line at the lower rates (16000 samples at 8000 Hz), few
    // enough that processing does not slow the fuzzer down.
    static constexpr int kMostFrames = 1 << 15;

    // Takes up to 255 bytes from the input as a text, up to the first zero byte, and
    // terminates it. Returns its length.
    static std::size_t text(ByteReader& in, char* to)
    {
        const std::size_t length = in.byte();
        std::size_t used = 0;
        bool ended = false;
        for (std::size_t i = 0; i < length; ++i) {
            const char c = static_cast<char>(in.byte());
            ended = ended || c == 0;
            if (!ended)
                to[used++] = c;
        }
        to[used] = 0;
        return used;
    }

    void readText(VstInt32 op, VstInt32 idx, std::size_t limit)
    {
        std::memset(buffer.data(), 0, buffer.size());
        textLength = 0;
        e->dispatcher(e, op, idx, 0, buffer.data(), 0.0f);
        checkBuffer();
        if (std::memchr(buffer.data(), 0, limit) == nullptr)
            fail("a text is longer than its limit");
    }

    EffectHost effect;
    AEffect* e;
    std::vector<char> buffer;
    std::vector<char> arrangement;
    std::size_t textLength = 0;
};

enum Operation : std::uint8_t {
    kDispatch,
    kSetParameter,
    kGetParameter,
    kSetProgram,
    kSetSampleRate,
    kSetBlockSize,
    kProcess,
    kRenameProgram,
    kReadTexts,
    kMainsChanged,
    kOperationCount
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    Host host;
    while (!in.done()) {
        switch (in.byte() % kOperationCount) {
        case kDispatch: {
            const VstInt32 op = opcode(in);
            if (op == effClose) {
                host.close(); // the end of the sequence: nothing may touch the instance after it
                return 0;
            }
            host.dispatch(in, op);
            break;
        }
        case kSetParameter:
            host.setParameter(in);
            break;
        case kGetParameter:
            host.getParameter(in);
            break;
        case kSetProgram:
            host.setProgram(in);
            break;
        case kSetSampleRate:
            host.setSampleRate(in);
            break;
        case kSetBlockSize:
            host.setBlockSize(in);
            break;
        case kProcess:
            host.process(in);
            break;
        case kRenameProgram:
            host.renameProgram(in);
            break;
        case kReadTexts:
            host.readTexts(in);
            break;
        case kMainsChanged:
            host.mainsChanged(in);
            break;
        }
    }
    host.close();
    return 0;
}
