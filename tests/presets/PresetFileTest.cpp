// Program and bank files: what is written reads back, and each way a file can be wrong is
// refused with its own message.
#include "presets/PresetFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace {

using namespace quadecho::presets;

const PresetTarget kTarget{0x56517165, 1, 3, 2}; // 'VQqe', three parameters, two programs

const PresetProgram kFirst{"Twenty-eight characters long", {0.0f, 0.25f, 1.0f}};
const PresetProgram kSecond{"", {1.0f, 0.5f, 0.125f}};
const std::string kProgram = encodeProgramFile(kFirst, kTarget);
const std::string kBank = encodeBankFile({kFirst, kSecond}, 1, kTarget); // the second program current

TEST(PresetFile, WrittenFilesReadBackAndNamesMayFillTheirField)
{
    // 27 characters and the zero; the rest of a program as written: the tool's tests read files back.
    EXPECT_EQ(decodePresetFile(kProgram, kTarget).programs.at(0).name, "Twenty-eight characters lon");
    const PresetContents bank = decodePresetFile(kBank, kTarget);
    EXPECT_EQ(std::tuple(bank.bank, bank.current, bank.programs.size()), std::tuple(true, 1, std::size_t{2}));
    EXPECT_EQ(bank.programs.at(1).values, kSecond.values);
    std::string unterminated = kProgram;
    unterminated[28 + 27] = 'g'; // some hosts fill all 28 bytes
    EXPECT_EQ(decodePresetFile(unterminated, kTarget).programs.at(0).name, kFirst.name);
    EXPECT_THROW(encodeProgramFile({"", {0.0f, 1.0001f, 0.0f}}, kTarget), PresetError);
}

TEST(PresetFile, EachFaultHasItsOwnMessage)
{
    const std::size_t values = 56, inner = 156; // the first value; the bank's first program
    using Change = std::function<void(std::string&)>;
    const auto field = [](std::size_t at, std::uint32_t v) { // a 32-bit big-endian field
        return Change([=](std::string& b) { b.replace(at, 4, {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}); });
    };
    const auto sized = [&](int bytes) { // cut or grown, its size field agreeing
        return Change([=](std::string& b) { b.resize(b.size() + bytes), field(4, b.size() - 8)(b); });
    };
    const std::tuple<const char*, bool, Change, const char*> cases[] = {
        {"too short", false, [](std::string& b) { b.resize(11); }, "too short"},
        {"size field", false, field(4, 1000), "size field says 1000 bytes follow it, but 60 do"},
        {"truncated", false, sized(-4), "is 64 bytes long; 3 parameters take 68"},
        {"oversized", true, sized(4), "is 296 bytes long; 2 programs of 3 parameters take 292"},
        {"magic", false, field(0, 0x52494646), "not a program or bank file: it starts with 'RIFF'"},
        {"kind", false, field(8, 0x46784b6b), "not a program ('FxCk')"},
        {"program chunk", false, field(8, 0x46504368), "opaque chunk data ('FPCh')"},
        {"unique ID", false, field(16, 0x417e2043), "for the effect 'A~ C', not 'VQqe'"},
        {"bank's unique ID", true, field(16, 0x4142437f), "bank file is for the effect '0x4142437f'"}, // unprintable
        {"parameter count", false, field(24, 4), "holds 4 parameters; the effect has 3"},
        {"program count", true, field(24, 3), "holds 3 programs; the effect has 2"},
        {"program version", false, field(12, 2), "format version 2"},
        {"bank version", true, field(12, 3), "format version 3"},
        {"current program", true, field(28, 2), "current program, 2, is outside 0..1"},
        {"not a number", false, field(values + 4, 0x7fc00000), "parameter 1: not a number"},
        {"out of range", false, field(values, 0x3fc00000), "parameter 0: 1.500000, outside 0..1"},
        {"negative", true, field(inner + values + 8, 0xbf800000), "program 0 of the bank, parameter 2"},
        {"inner program", true, field(inner + 68 + 16, 1), "program 1 of the bank is for the effect"},
    };
    for (const auto& [name, inBank, change, message] : cases) {
        std::string bytes = inBank ? kBank : kProgram;
        change(bytes);
        try {
            decodePresetFile(bytes, kTarget);
            ADD_FAILURE() << name << ": read";
        } catch (const PresetError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << name << ": " << e.what();
        }
    }
}

} // namespace
