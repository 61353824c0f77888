// Random byte sequences through every text routine. Each text lives in a heap
// block of exactly its size, so AddressSanitizer reports any read or write
// past it; the results are checked against the rules, not just survived.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/number_parse.h"
#include "app/sjis_path.h"

namespace {

constexpr unsigned kSeed = 20240605;

bool InLeadRange(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool InTrailRange(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// A zero-terminated copy in a block of exactly length + 1 bytes.
std::unique_ptr<char[]> Exact(const std::string& text)
{
    std::unique_ptr<char[]> block(new char[text.size() + 1]);
    memcpy(block.get(), text.c_str(), text.size() + 1);
    return block;
}

// Bytes that matter to the routines (range ends, backslash, dot, letters),
// mixed with any other non-zero byte.
std::string RandomPathText(std::mt19937& rng, size_t maxLength)
{
    static const unsigned char interesting[] = {
        0x81, 0x9F, 0xE0, 0xFC, 0x80, 0xA0, 0xDF, 0xFD, 0xFF, 0x40, 0x7E, 0x7F, 0x5C,
        0x5C, 0x2E, 0x2E, 'A',  'Z',  'a',  'z',  '@',  '[',  ':',  0x95, 0x83, 0x41};
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::uniform_int_distribution<int> pick(0, 3);
    std::uniform_int_distribution<size_t> which(0, sizeof interesting - 1);
    std::uniform_int_distribution<int> anyByte(1, 255);
    std::string text(length(rng), 'x');
    for (char& c : text)
        c = static_cast<char>(pick(rng) != 0 ? interesting[which(rng)] : anyByte(rng));
    return text;
}

std::string RandomNumberText(std::mt19937& rng)
{
    static const char alphabet[] = "0123456789012345 ,,--+ \t\n\v\f\rx";
    std::uniform_int_distribution<int> length(0, 16);
    std::uniform_int_distribution<size_t> which(0, sizeof alphabet - 2);
    std::uniform_int_distribution<int> longRun(0, 7);
    std::uniform_int_distribution<int> digit('0', '9');
    std::string text;
    for (int n = length(rng); n > 0; --n) {
        if (longRun(rng) == 0)
            for (int k = 5 + longRun(rng) * 3; k > 0; --k) text += static_cast<char>(digit(rng));
        else text += alphabet[which(rng)];
    }
    return text;
}

// The reference reading of one number: strtoll, clamped to the int range.
const char* ReferenceNumber(const char* text, int* value)
{
    char* end = nullptr;
    errno = 0;
    const long long v = strtoll(text, &end, 10);
    if (end == text) return nullptr;
    *value = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
    return end;
}

int ReferencePair(const char* text, int* first, int* second)
{
    const char* p = ReferenceNumber(text, first);
    if (p == nullptr) return 0;
    if (*p != ',') return 1;
    return ReferenceNumber(p + 1, second) ? 2 : 1;
}

bool HasLongDigitRun(const std::string& text)
{
    int run = 0;
    for (char c : text) {
        run = (c >= '0' && c <= '9') ? run + 1 : 0;
        if (run > 9) return true;
    }
    return false;
}

std::string Hex(const std::string& text)
{
    std::string out;
    char byte[4];
    for (unsigned char c : text) {
        snprintf(byte, sizeof byte, "%02X ", c);
        out += byte;
    }
    return out;
}

}  // namespace

TEST(TextFuzz, ByteKindsAndCharacterStepsAgreeWithTheEncoding)
{
    std::mt19937 rng(kSeed);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = RandomPathText(rng, 40);
        const auto block = Exact(text);
        const int length = static_cast<int>(text.size());
        SCOPED_TRACE(Hex(text));
        int previous = 0;
        for (int i = 0; i < length; ++i) {
            const unsigned char b = static_cast<unsigned char>(text[i]);
            const int kind = SjisByteKind(block.get(), i);
            if (previous == 1) {
                ASSERT_EQ(InTrailRange(b) ? 2 : 0, kind) << "after a lead byte, index " << i;
            } else {
                ASSERT_EQ(InLeadRange(b) ? 1 : 0, kind) << "at a character start, index " << i;
            }
            ASSERT_EQ(b == 0x5C && kind == 0 ? 1 : 0, IsSeparatorAt(block.get(), i));
            previous = kind;
        }
        for (int i = length; i < length + 4; ++i) {
            ASSERT_EQ(0, SjisByteKind(block.get(), i));
            ASSERT_EQ(0, IsSeparatorAt(block.get(), i));
        }
        // Stepping character by character lands exactly on the zero.
        const char* p = block.get();
        const char* end = block.get() + length;
        while (p != end) {
            const char* next = SjisNextChar(p);
            ASSERT_TRUE(next == p + 1 || next == p + 2);
            ASSERT_LE(next, end);
            p = next;
        }
        ASSERT_EQ(end, SjisNextChar(end));
    }
}

TEST(TextFuzz, ExtensionAndLowerCaseFollowTheRules)
{
    std::mt19937 rng(kSeed + 1);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = RandomPathText(rng, 40);
        const int length = static_cast<int>(text.size());
        SCOPED_TRACE(Hex(text));

        // The extension as defined: step back from the end, giving up at a
        // separator and taking the first '.'.
        int expected = length;
        for (int i = length - 1; i >= 0; --i) {
            if (IsSeparatorAt(text.c_str(), i)) break;
            if (text[i] == '.') {
                expected = i;
                break;
            }
        }
        auto block = Exact(text);
        ASSERT_EQ(expected, FindExtension(block.get()) - block.get());
        RemoveExtension(block.get());
        ASSERT_EQ(text.substr(0, expected), std::string(block.get()));

        block = Exact(text);
        LowerCaseAscii(block.get());
        std::string lowered = text;
        for (char* c = &lowered[0]; *c != '\0'; c = SjisNextChar(c))
            if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c + ('a' - 'A'));
        ASSERT_EQ(lowered, std::string(block.get(), length + 1).c_str());
        ASSERT_EQ('\0', block[length]);
    }
}

TEST(TextFuzz, SiblingPathsFitTheirBufferOrAreRefused)
{
    std::mt19937 rng(kSeed + 2);
    const char* const extensions[] = {".ini", nullptr, "", ".\x95\x5C", ".LONGER"};
    std::uniform_int_distribution<size_t> whichExtension(0, 4);
    for (int round = 0; round < 20000; ++round) {
        const std::string path = RandomPathText(rng, 48);
        const char* extension = extensions[whichExtension(rng)];
        const int size = std::uniform_int_distribution<int>(1, 56)(rng);
        SCOPED_TRACE(Hex(path) + " size " + std::to_string(size));

        auto stem = Exact(path);
        if (extension) RemoveExtension(stem.get());
        std::string expected = std::string(stem.get()) + (extension ? extension : "");
        auto lowered = Exact(expected);
        LowerCaseAscii(lowered.get());
        expected = lowered.get();

        std::unique_ptr<char[]> buffer(new char[size]);
        memset(buffer.get(), 'Q', size);
        const int result = MakeSiblingPath(buffer.get(), size, path.c_str(), extension);
        const bool fits =
            path.size() < static_cast<size_t>(size) && expected.size() < static_cast<size_t>(size);
        ASSERT_EQ(fits ? 1 : 0, result);
        ASSERT_EQ(fits ? expected : std::string(), std::string(buffer.get()));
    }
}

TEST(TextFuzz, NumbersMatchTheReferenceReading)
{
    std::mt19937 rng(kSeed + 3);
    for (int round = 0; round < 50000; ++round) {
        const std::string text = RandomNumberText(rng);
        const auto block = Exact(text);
        SCOPED_TRACE('"' + text + '"');

        int first = 0, second = 0, refFirst = 0, refSecond = 0;
        const int count = NumberScanPair(block.get(), &first, &second);
        ASSERT_EQ(ReferencePair(text.c_str(), &refFirst, &refSecond), count);
        if (count >= 1) {
            ASSERT_EQ(refFirst, first);
        }
        if (count == 2) {
            ASSERT_EQ(refSecond, second);
        }

        int single = 0, refSingle = 0;
        ASSERT_EQ(ReferenceNumber(text.c_str(), &refSingle) ? 1 : 0,
                  NumberScanInt(block.get(), &single));
        if (ReferenceNumber(text.c_str(), &refSingle)) {
            ASSERT_EQ(refSingle, single);
        }

        // Where every number fits an int, sscanf itself is defined: same answers.
        if (!HasLongDigitRun(text)) {
            int a = 0, b = 0;
            const int scanned = sscanf(text.c_str(), "%d, %d", &a, &b);
            ASSERT_EQ(scanned < 0 ? 0 : scanned, count);
            if (count >= 1) {
                ASSERT_EQ(a, first);
            }
            if (count == 2) {
                ASSERT_EQ(b, second);
            }
        }
    }
}
