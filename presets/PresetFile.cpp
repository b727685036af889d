#include "PresetFile.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace quadecho::presets {

namespace {

constexpr std::int32_t kChunkMagic = fourCharCode('C', 'c', 'n', 'K');
constexpr std::int32_t kProgramMagic = fourCharCode('F', 'x', 'C', 'k');
constexpr std::int32_t kBankMagic = fourCharCode('F', 'x', 'B', 'k');
constexpr std::int32_t kProgramChunkMagic = fourCharCode('F', 'P', 'C', 'h');
constexpr std::int32_t kBankChunkMagic = fourCharCode('F', 'B', 'C', 'h');

// Bytes before a program's values (magic, size, kind, version, ID, effect version, count, name),
// and before a bank's programs (magic, size, kind, version, ID, effect version, count, reserved).
constexpr std::size_t kProgramHeader = 7 * 4 + kPresetNameBytes;
constexpr std::size_t kBankHeader = 7 * 4 + 128;
constexpr std::size_t kSizeFieldEnd = 8; // the size field counts the bytes after it

std::size_t programBytes(std::size_t numParams) { return kProgramHeader + 4 * numParams; }

void put(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xff);
}

void putProgram(std::string& out, const PresetProgram& program, const PresetTarget& target, int number)
{
    if (program.values.size() != static_cast<std::size_t>(target.numParams))
        throw PresetError("program " + std::to_string(number) + " has " + std::to_string(program.values.size()) +
                          " values; the effect has " + std::to_string(target.numParams) + " parameters");
    put(out, static_cast<std::uint32_t>(kChunkMagic));
    put(out, static_cast<std::uint32_t>(programBytes(program.values.size()) - kSizeFieldEnd));
    put(out, static_cast<std::uint32_t>(kProgramMagic));
    put(out, 1);
    put(out, static_cast<std::uint32_t>(target.uniqueId));
    put(out, static_cast<std::uint32_t>(target.version));
    put(out, static_cast<std::uint32_t>(target.numParams));
    char name[kPresetNameBytes] = {};
    std::memcpy(name, program.name.data(), std::min(program.name.size(), kPresetNameBytes - 1));
    out.append(name, kPresetNameBytes);
    for (std::size_t i = 0; i < program.values.size(); ++i) {
        const float v = program.values[i];
        if (!(v >= 0.0f && v <= 1.0f))
            throw PresetError("program " + std::to_string(number) + ", parameter " + std::to_string(i) + ": " +
                              std::to_string(v) + " is not a normalised value (0..1)");
        put(out, std::bit_cast<std::uint32_t>(v));
    }
}

// Fields read in order from a checked span of the file.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes(bytes) {}
    std::int32_t next()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | static_cast<unsigned char>(bytes[at++]);
        return static_cast<std::int32_t>(v);
    }
    std::string_view take(std::size_t n) { return bytes.substr((at += n) - n, n); }

private:
    std::string_view bytes;
    std::size_t at = 0;
};

std::string quoted(std::int32_t code) { return "'" + fourCharText(code) + "'"; }

// The record's kind after the checks every record shares: its magic, its size field against the
// bytes it has, the chunk kinds this effect cannot read.
std::int32_t checkedKind(Reader& in, std::size_t available, const std::string& what)
{
    const std::int32_t magic = in.next();
    if (magic != kChunkMagic)
        throw PresetError(what + " is not a program or bank file: it starts with " + quoted(magic) + ", not 'CcnK'");
    const std::int64_t size = static_cast<std::uint32_t>(in.next());
    if (size != static_cast<std::int64_t>(available - kSizeFieldEnd))
        throw PresetError(what + "'s size field says " + std::to_string(size) + " bytes follow it, but " +
                          std::to_string(available - kSizeFieldEnd) + " do");
    const std::int32_t kind = in.next();
    if (kind == kProgramChunkMagic || kind == kBankChunkMagic)
        throw PresetError(what + " holds opaque chunk data (" + quoted(kind) +
                          "), which this effect does not keep: it stores its programs as parameter values");
    return kind;
}

void checkVersion(std::int32_t version, std::int32_t newest, const std::string& what)
{
    if (version < 1 || version > newest)
        throw PresetError(what + " has format version " + std::to_string(version) +
                          ", which this tool does not read (1" + (newest > 1 ? " or 2)" : ")"));
}

// One program record, whose bytes the caller has bounded.
PresetProgram readProgram(std::string_view record, const PresetTarget& target, const std::string& what)
{
    Reader in(record);
    if (record.size() < kProgramHeader)
        throw PresetError(what + " is cut short: " + std::to_string(record.size()) + " bytes");
    if (const std::int32_t kind = checkedKind(in, record.size(), what); kind != kProgramMagic)
        throw PresetError(what + " is of the kind " + quoted(kind) + ", not a program ('FxCk')");
    checkVersion(in.next(), 1, what);
    const std::int32_t id = in.next();
    if (id != target.uniqueId)
        throw PresetError(what + " is for the effect " + quoted(id) + ", not " + quoted(target.uniqueId));
    in.next(); // the effect's version: files from older versions read the same
    const std::int32_t count = in.next();
    if (count != target.numParams)
        throw PresetError(what + " holds " + std::to_string(count) + " parameters; the effect has " +
                          std::to_string(target.numParams));
    if (record.size() != programBytes(static_cast<std::size_t>(count)))
        throw PresetError(what + " is " + std::to_string(record.size()) + " bytes long; " + std::to_string(count) +
                          " parameters take " + std::to_string(programBytes(static_cast<std::size_t>(count))));
    PresetProgram program;
    const std::string_view name = in.take(kPresetNameBytes); // terminated or not
    program.name.assign(name.data(), std::min(name.find('\0'), name.size()));
    for (int i = 0; i < count; ++i) {
        const float v = std::bit_cast<float>(in.next());
        if (!(v >= 0.0f && v <= 1.0f))
            throw PresetError(what + ", parameter " + std::to_string(i) + ": " +
                              (std::isnan(v) ? std::string("not a number") : std::to_string(v) + ", outside 0..1"));
        program.values.push_back(v);
    }
    return program;
}

} // namespace

std::string encodeProgramFile(const PresetProgram& program, const PresetTarget& target)
{
    std::string out;
    putProgram(out, program, target, 0);
    return out;
}

std::string encodeBankFile(const std::vector<PresetProgram>& programs, int current, const PresetTarget& target)
{
    std::string out;
    put(out, static_cast<std::uint32_t>(kChunkMagic));
    put(out,
        static_cast<std::uint32_t>(kBankHeader + programs.size() * programBytes(target.numParams) - kSizeFieldEnd));
    put(out, static_cast<std::uint32_t>(kBankMagic));
    put(out, 2);
    put(out, static_cast<std::uint32_t>(target.uniqueId));
    put(out, static_cast<std::uint32_t>(target.version));
    put(out, static_cast<std::uint32_t>(programs.size()));
    put(out, static_cast<std::uint32_t>(current));
    out.append(124, '\0');
    for (std::size_t i = 0; i < programs.size(); ++i)
        putProgram(out, programs[i], target, static_cast<int>(i));
    return out;
}

PresetContents decodePresetFile(std::string_view bytes, const PresetTarget& target)
{
    if (bytes.size() < 3 * 4)
        throw PresetError("the file is too short for a program or bank file: " + std::to_string(bytes.size()) +
                          " bytes");
    Reader peek(bytes.substr(8));
    PresetContents contents;
    if (peek.next() != kBankMagic) {
        contents.programs.push_back(readProgram(bytes, target, "the file"));
        return contents;
    }
    contents.bank = true;
    Reader in(bytes);
    if (bytes.size() < kBankHeader)
        throw PresetError("the bank file is cut short: " + std::to_string(bytes.size()) + " bytes");
    checkedKind(in, bytes.size(), "the bank file");
    const std::int32_t version = in.next();
    checkVersion(version, 2, "the bank file");
    const std::int32_t id = in.next();
    if (id != target.uniqueId)
        throw PresetError("the bank file is for the effect " + quoted(id) + ", not " + quoted(target.uniqueId));
    in.next(); // the effect's version
    const std::int32_t count = in.next();
    if (count != target.numPrograms)
        throw PresetError("the bank file holds " + std::to_string(count) + " programs; the effect has " +
                          std::to_string(target.numPrograms));
    const std::int32_t current = in.next();
    if (version >= 2 && (current < 0 || current >= count))
        throw PresetError("the bank file's current program, " + std::to_string(current) + ", is outside 0.." +
                          std::to_string(count - 1));
    contents.current = version >= 2 ? current : 0;
    const std::size_t each = programBytes(static_cast<std::size_t>(target.numParams));
    const std::size_t expected = kBankHeader + static_cast<std::size_t>(count) * each;
    if (bytes.size() != expected)
        throw PresetError("the bank file is " + std::to_string(bytes.size()) + " bytes long; " + std::to_string(count) +
                          " programs of " + std::to_string(target.numParams) + " parameters take " +
                          std::to_string(expected));
    for (int p = 0; p < count; ++p)
        contents.programs.push_back(readProgram(bytes.substr(kBankHeader + static_cast<std::size_t>(p) * each, each),
                                                target, "program " + std::to_string(p) + " of the bank"));
    return contents;
}

std::string fourCharText(std::int32_t code)
{
    const auto u = static_cast<std::uint32_t>(code);
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<char>((u >> shift) & 0xff);
        if (c < 0x20 || c > 0x7e) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08x", u);
            return hex;
        }
        s += c;
    }
    return s;
}

} // namespace quadecho::presets
