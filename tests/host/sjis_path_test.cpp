// Shift-JIS path routines: a 0x5C or an upper-case letter may be the trail
// byte of a double-byte character, and must then be left alone.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/sjis_path.h"

namespace {

// "表" (0x95 0x5C) ends in a backslash byte; "ア" (0x83 0x41) ends in 'A'.
const char kHyou[] = "\x95\x5C";
const char kA[] = "\x83\x41";

std::vector<int> Kinds(const std::string& text)
{
    std::vector<int> kinds;
    for (int i = 0; i < static_cast<int>(text.size()); ++i)
        kinds.push_back(SjisByteKind(text.c_str(), i));
    return kinds;
}

std::string Lowered(std::string text)
{
    LowerCaseAscii(&text[0]);
    return text;
}

std::string WithoutExtension(std::string text)
{
    RemoveExtension(&text[0]);
    return text.c_str();
}

// The extension as found, or "(none)" when FindExtension gives the zero.
std::string Extension(std::string text)
{
    char* p = FindExtension(&text[0]);
    if (p == text.c_str() + text.size()) return "(none)";
    return p;
}

// Runs MakeSiblingPath on a heap buffer of exactly `size` bytes, so that
// AddressSanitizer sees any write past it.
std::string Sibling(const std::string& path, const char* extension, int size = 261,
                    int* result = nullptr)
{
    std::unique_ptr<char[]> buffer(new char[size]);
    memset(buffer.get(), 'Z', size);
    const int r = MakeSiblingPath(buffer.get(), size, path.c_str(), extension);
    if (result) *result = r;
    return r ? std::string(buffer.get()) : "(failed:" + std::string(buffer.get()) + ")";
}

}  // namespace

TEST(SjisByteKind, TellsLeadAndTrailBytesFromTheirPosition)
{
    EXPECT_EQ((std::vector<int>{0, 0, 1, 2}), Kinds(std::string("x.") + kHyou));
    // A trail-range byte is a lead byte again when it starts a character.
    EXPECT_EQ((std::vector<int>{1, 2, 1, 2, 0}), Kinds("\x81\x81\x81\x81"
                                                       "a"));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 0}), Kinds("a\xE0\xFC"
                                                    "b"));
    EXPECT_EQ((std::vector<int>{0, 0}), Kinds("\xA0\xFD"));  // neither byte can lead
}

TEST(SjisByteKind, AByteThatCannotTrailStandsAlone)
{
    EXPECT_EQ((std::vector<int>{1, 0, 0}), Kinds("\x81\x7F"
                                                 "A"));
    EXPECT_EQ((std::vector<int>{1, 0, 1, 2}), Kinds("\x9F\x3F\x9F\x40"));
    EXPECT_EQ((std::vector<int>{1, 0, 0}), Kinds("\xFC\xFD\x5C"));
}

TEST(SjisByteKind, IsZeroAtOrPastTheEndAndForEmptyText)
{
    const char leadAtEnd[] = "ab\x81";
    EXPECT_EQ(1, SjisByteKind(leadAtEnd, 2));
    EXPECT_EQ(0, SjisByteKind(leadAtEnd, 3));
    EXPECT_EQ(0, SjisByteKind(leadAtEnd, 40));  // not read: the scan stops at the zero
    EXPECT_EQ(0, SjisByteKind("", 0));
    EXPECT_EQ(0, SjisByteKind("\x81\x41", -1));
}

TEST(SjisNextChar, StepsOverWholeCharactersAndStopsAtTheZero)
{
    const char text[] = "a\x83\x41\x81";
    EXPECT_EQ(text + 1, SjisNextChar(text));
    EXPECT_EQ(text + 3, SjisNextChar(text + 1));  // ア is one character
    EXPECT_EQ(text + 4, SjisNextChar(text + 3));  // a lead byte before the zero goes alone
    EXPECT_EQ(text + 4, SjisNextChar(text + 4));
    const char empty[] = "";
    EXPECT_EQ(empty, SjisNextChar(empty));
    char writable[] = "\xE0\x40z";
    EXPECT_EQ(writable + 2, SjisNextChar(writable));
}

TEST(IsSeparatorAt, OnlyABackslashOfItsOwn)
{
    const std::string text = std::string("C:\\") + kHyou + "\\";
    EXPECT_EQ(1, IsSeparatorAt(text.c_str(), 2));
    EXPECT_EQ(0, IsSeparatorAt(text.c_str(), 4));  // the trail byte of 表
    EXPECT_EQ(1, IsSeparatorAt(text.c_str(), 5));
    EXPECT_EQ(0, IsSeparatorAt(text.c_str(), 0));
    EXPECT_EQ(0, IsSeparatorAt(text.c_str(), 6));  // the terminating zero
    EXPECT_EQ(1, IsSeparatorAt("\x81\x7F\\", 2));  // after a lone lead byte
}

TEST(FindExtension, TheLastDotOfTheFileName)
{
    EXPECT_EQ(".EXE", Extension("C:\\Games\\Knaplet.EXE"));
    EXPECT_EQ("(none)", Extension("C:\\My.Games\\prog"));
    EXPECT_EQ(std::string(".") + kHyou, Extension(std::string("C:\\tmp\\x.") + kHyou));
    EXPECT_EQ(".gz", Extension("a.tar.gz"));
    EXPECT_EQ(".", Extension("name."));
    EXPECT_EQ("(none)", Extension(std::string("C:\\a.b\\") + kHyou));
    EXPECT_EQ(".y", Extension("x\x81.y"));  // '.' cannot trail, so it is a character
    EXPECT_EQ("(none)", Extension(""));
    EXPECT_EQ("(none)", Extension("plain"));
}

TEST(RemoveExtension, CutsAtTheDotOnly)
{
    EXPECT_EQ("C:\\Games\\Knaplet", WithoutExtension("C:\\Games\\Knaplet.EXE"));
    EXPECT_EQ("C:\\My.Games\\prog", WithoutExtension("C:\\My.Games\\prog"));
    EXPECT_EQ("C:\\tmp\\x", WithoutExtension(std::string("C:\\tmp\\x.") + kHyou));
    EXPECT_EQ("", WithoutExtension(""));
    EXPECT_EQ("", WithoutExtension(".ini"));
}

TEST(LowerCaseAscii, LowersSingleByteLettersOnly)
{
    EXPECT_EQ("c:\\games\\knaplet.exe", Lowered("C:\\Games\\Knaplet.EXE"));
    EXPECT_EQ(std::string("x") + kA + "b", Lowered(std::string("X") + kA + "B"));
    EXPECT_EQ(std::string(kA) + kA, Lowered(std::string(kA) + kA));
    EXPECT_EQ("az[@\x81", Lowered("AZ[@\x81"));  // a lead byte before the zero stays
    EXPECT_EQ("", Lowered(""));
    EXPECT_EQ("\xE0"
              "A"
              "b",
              Lowered("\xE0"
                      "AB"));  // 'A' is the trail of 0xE0
}

TEST(MakeSiblingPath, ReplacesTheExtensionAndLowersTheWholePath)
{
    EXPECT_EQ("c:\\games\\knaplet.ini", Sibling("C:\\Games\\Knaplet.EXE", ".ini"));
    EXPECT_EQ("c:\\my.games\\prog.ini", Sibling("C:\\My.Games\\prog", ".ini"));
    EXPECT_EQ("c:\\tmp\\x.ini", Sibling(std::string("C:\\tmp\\x.") + kHyou, ".ini"));
    EXPECT_EQ(std::string("c:\\") + kA + "\\k.ini",
              Sibling(std::string("C:\\") + kA + "\\K.EXE", ".ini"));
    // Without an extension the path keeps its own.
    EXPECT_EQ("c:\\games\\knaplet.exe", Sibling("C:\\Games\\Knaplet.EXE", nullptr));
}

TEST(MakeSiblingPath, WorksInPlace)
{
    char buffer[261] = "C:\\Games\\Knaplet.EXE";
    EXPECT_EQ(1, MakeSiblingPath(buffer, sizeof buffer, buffer, ".ini"));
    EXPECT_STREQ("c:\\games\\knaplet.ini", buffer);
}

TEST(MakeSiblingPath, FailsWithAnEmptyBufferRatherThanCutThePath)
{
    const std::string folder = "c:\\" + std::string(240, 'd') + "\\";  // 244 bytes
    int result = -1;
    // 244 + 12 + 4 = 260 characters and the zero: exactly 261 bytes.
    EXPECT_EQ(folder + "abcdefghijkl.ini",
              Sibling(folder + "ABCDEFGHIJKL.EXE", ".ini", 261, &result));
    EXPECT_EQ(1, result);
    EXPECT_EQ(folder + "abcdefghijkl", Sibling(folder + "ABCDEFGHIJKL", nullptr, 261, &result));
    EXPECT_EQ(1, result);
    // One byte more, once ".ini" is added.
    EXPECT_EQ("(failed:)", Sibling(folder + "ABCDEFGHIJKLM", ".ini", 261, &result));
    EXPECT_EQ(0, result);
    // A longer extension than the one it replaces.
    EXPECT_EQ("(failed:)", Sibling(folder + "ABCDEFGHIJKL.EXE", ".conf", 261, &result));
    // The path itself longer than the buffer.
    EXPECT_EQ("(failed:)", Sibling("C:\\Games\\Knaplet.EXE", nullptr, 20, &result));
    EXPECT_EQ("c:\\games\\knaplet.ini", Sibling("C:\\Games\\Knaplet.EXE", ".ini", 21, &result));
    EXPECT_EQ("(failed:)", Sibling("C:\\Games\\Knaplet.EXE", ".ini", 1, &result));
}

TEST(MakeSiblingPath, RefusesMissingArguments)
{
    char buffer[8] = "keep";
    EXPECT_EQ(0, MakeSiblingPath(buffer, 0, "a.exe", ".ini"));
    EXPECT_STREQ("keep", buffer);  // a zero-sized buffer is not written at all
    EXPECT_EQ(0, MakeSiblingPath(buffer, sizeof buffer, nullptr, ".ini"));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(0, MakeSiblingPath(nullptr, 8, "a.exe", ".ini"));
}
