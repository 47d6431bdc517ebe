#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <typeinfo>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "ReportOf.h"
#include "Common/StringUtils.h"

namespace Zep {
namespace TypeNameProbe {
template <class A, class B>
struct Pair {};
class Plain {};
}  // namespace TypeNameProbe
}  // namespace Zep

namespace {

using Zep::StringVector;

TEST(Sprintf, ChoosesTheBufferByLengthAndPanicsBeyondTheLast) {
    struct Case {
        int length;
        size_t buffer;
    };
    for (const Case& c : {Case{0, 1024}, Case{1023, 1024}, Case{1024, 4092}, Case{4091, 4092}, Case{4092, 16384},
                          Case{5000, 16384}, Case{16383, 16384}}) {
        const std::string text = Zep::Sprintf("%s", std::string(static_cast<size_t>(c.length), 'x').c_str());
        EXPECT_EQ(static_cast<size_t>(c.length), text.size());
        EXPECT_EQ(c.buffer, Zep::Detail::GetLastSprintfBufferSize()) << "length " << c.length;
    }
    for (int length : {16384, 20000}) {
        const std::string report = TestSupport::ReportOf<Zep::Exception::Panic>(
            [&] { Zep::Sprintf("%s", std::string(static_cast<size_t>(length), 'x').c_str()); });
        EXPECT_NE(std::string::npos, report.find("Zep::Sprintf(): resulting string is too long")) << length;
    }
}

TEST(Sprintf, ReusesTheArgumentsForEveryAttempt) {
    // The longer attempts format the same arguments again: a reused va_list would
    // print garbage for the values after the long text.
    const std::string padding(3000, '-');
    EXPECT_EQ(padding + " 42 3.50 end", Zep::Sprintf("%s %d %.2f %s", padding.c_str(), 42, 3.5, "end"));
    const std::string longer(9000, '+');
    EXPECT_EQ(longer + "7", Zep::Sprintf("%s%u", longer.c_str(), 7u));
}

TEST(Sprintf, ThreadsFormatIndependently) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures]() {
            const std::string fill(static_cast<size_t>(600 + t * 50), static_cast<char>('a' + t));
            for (int i = 0; i < 2000; ++i) {
                const std::string text = Zep::Sprintf("%d:%s:%d", t, fill.c_str(), i);
                if (text != std::to_string(t) + ":" + fill + ":" + std::to_string(i))
                    ++failures[static_cast<size_t>(t)];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(std::vector<int>(4, 0), failures);
}

TEST(FormatMessage, TruncatesTerminatesAndRejectsEmptyBuffers) {
    char buffer[8];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(7, Zep::FormatMessage(sizeof(buffer), buffer, "%s-%d", "abcdef", 12));
    EXPECT_STREQ("abcdef-", buffer);
    EXPECT_EQ(3, Zep::FormatMessage(sizeof(buffer), buffer, "%d", 123));
    EXPECT_STREQ("123", buffer);
    EXPECT_EQ(-1, Zep::FormatMessage(0, buffer, "x"));
    EXPECT_EQ(-1, Zep::FormatMessage(8, nullptr, "x"));
    EXPECT_THROW(Zep::FormatMessage(sizeof(buffer), buffer, nullptr), Zep::Exception::Assertion);
}

TEST(ToString, FormatsIntoOneBufferPerOverload) {
    const char* first = Zep::ToString(-12);
    EXPECT_STREQ("-12", first);
    EXPECT_EQ(first, Zep::ToString(7));
    EXPECT_STREQ("7", first);
    EXPECT_STREQ("-2147483648", Zep::ToString(static_cast<int>(-2147483647 - 1)));
    EXPECT_STREQ("0.12500", Zep::ToString(0.125f));
    EXPECT_STREQ("340282346638528859811704183484516925440.00000", Zep::ToString(3.4028234663852886e38f));
}

TEST(CaseAndTrim, AsciiOnlyAndBlanksOnly) {
    EXPECT_EQ("abc-\xC3\x84z", Zep::ToLower("ABc-\xC3\x84Z"));
    EXPECT_EQ("ABC-\xC3\xA4Z", Zep::ToUpper("abC-\xC3\xA4z"));
    EXPECT_EQ('Q', Zep::ToUpperChar('q'));
    EXPECT_EQ('{', Zep::ToUpperChar('{'));
    EXPECT_EQ(0xE4, Zep::ToUpperChar(0xE4));

    EXPECT_EQ("\ta b\t", Zep::Trim("  \ta b\t  "));
    EXPECT_EQ("", Zep::Trim("   "));
    EXPECT_EQ("b-a", Zep::TrimLeft("--xb-a", "-x"));
    EXPECT_EQ("--xb", Zep::TrimLeft("--xb", nullptr));
    EXPECT_EQ("a/b", Zep::TrimRight(std::string("a/b//\\"), "/\\"));
    EXPECT_EQ("path", Zep::TrimRight("path. . ", ". "));
    EXPECT_EQ("keep ", Zep::TrimRight("keep ", nullptr));
    EXPECT_EQ("", Zep::TrimRight(static_cast<const char*>(nullptr), " "));
}

TEST(Editing, SubStringPasteAndReplaceAll) {
    EXPECT_EQ("", Zep::SubString("abc", 3, 2));
    EXPECT_EQ("", Zep::SubString("abc", 10, 1));
    EXPECT_EQ("bc", Zep::SubString("abc", 1, 100));

    EXPECT_EQ("abXY", Zep::Paste("abcd", 2, "XYZW"));
    EXPECT_EQ("abcd", Zep::Paste("abcd", 4, "X"));

    std::string text = "a.b.c";
    Zep::ReplaceAll(text, ".", "..");
    EXPECT_EQ("a..b..c", text);
    text = "xx";
    Zep::ReplaceAll(text, "x", "yxy");
    EXPECT_EQ("yxyyxy", text);
    text = "aaaa";
    Zep::ReplaceAll(text, "aa", "a");
    EXPECT_EQ("aa", text);
    text = "unchanged";
    Zep::ReplaceAll(text, "", "z");  // would never end when searched
    EXPECT_EQ("unchanged", text);

    EXPECT_TRUE(Zep::StringEquals("Abc", "Abc"));
    EXPECT_FALSE(Zep::StringEquals("Abc", "abc"));
    EXPECT_FALSE(Zep::StringEquals("Abc", static_cast<const char*>(nullptr)));
    EXPECT_TRUE(Zep::StringEquals(std::string("ab\0c", 4), std::string("ab")));
}

TEST(Split, KeepsInnerAndLeadingEmptyPiecesButNoTrailingOne) {
    EXPECT_EQ((StringVector{"", "a", "", "b"}), Zep::Split(",a,,b,", ','));
    EXPECT_EQ((StringVector{"abc"}), Zep::Split("abc", ','));
    EXPECT_EQ(StringVector{}, Zep::Split("", ','));
    EXPECT_EQ((StringVector{""}), Zep::Split(",", ','));
    EXPECT_EQ((StringVector{"a", "b", "", "c"}), Zep::Split("a;b,;c", ",;"));
    EXPECT_EQ((StringVector{"a b"}), Zep::Split("a b", ""));
}

TEST(StringToFloat, SkipsBlanksAndRejectsRepeatedSignsOrMarks) {
    float value = 99.0f;
    EXPECT_TRUE(Zep::StringToFloat("  -1.5 \t", value));
    EXPECT_FLOAT_EQ(-1.5f, value);
    EXPECT_TRUE(Zep::StringToFloat("1 2.5", value));
    EXPECT_FLOAT_EQ(12.5f, value);
    EXPECT_TRUE(Zep::StringToFloat("", value));
    EXPECT_FLOAT_EQ(0.0f, value);
    EXPECT_TRUE(Zep::StringToFloat("2,5", value));  // the comma ends the number
    EXPECT_FLOAT_EQ(2.0f, value);
    EXPECT_TRUE(Zep::StringToFloat("7abc", value));
    EXPECT_FLOAT_EQ(7.0f, value);

    value = 99.0f;
    EXPECT_FALSE(Zep::StringToFloat("1.2.3", value));
    EXPECT_FALSE(Zep::StringToFloat("1,2.3", value));
    EXPECT_FALSE(Zep::StringToFloat("--1", value));
    EXPECT_FALSE(Zep::StringToFloat("-1-", value));
    EXPECT_FLOAT_EQ(99.0f, value);
}

TEST(StringToInt, SkipsBlanksRejectsTwoMinusAndClamps) {
    int value = 5;
    EXPECT_TRUE(Zep::StringToInt(" - 42 ", value));
    EXPECT_EQ(-42, value);
    EXPECT_TRUE(Zep::StringToInt("12.9", value));
    EXPECT_EQ(12, value);
    EXPECT_TRUE(Zep::StringToInt("99999999999", value));
    EXPECT_EQ(2147483647, value);
    EXPECT_TRUE(Zep::StringToInt("-99999999999", value));
    EXPECT_EQ(-2147483647 - 1, value);
    value = 5;
    EXPECT_FALSE(Zep::StringToInt("-1-", value));
    EXPECT_EQ(5, value);
}

TEST(Utf8, SequenceLengthsAndDecoding) {
    EXPECT_EQ(1, Zep::Utf8SequenceLength(0x41));
    EXPECT_EQ(0, Zep::Utf8SequenceLength(0x80));
    EXPECT_EQ(2, Zep::Utf8SequenceLength(0xC3));
    EXPECT_EQ(3, Zep::Utf8SequenceLength(0xE2));
    EXPECT_EQ(4, Zep::Utf8SequenceLength(0xF0));
    EXPECT_EQ(0, Zep::Utf8SequenceLength(0xF8));

    const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xBF";
    std::string::const_iterator it = text.begin();
    std::vector<uint32_t> decoded;
    while (it != text.end())
        decoded.push_back(Zep::DecodeUtf8(it, text.end()));
    EXPECT_EQ((std::vector<uint32_t>{0x41, 0xE9, 0x20AC, 0x1F600, 0xBF}), decoded);
}

TEST(Utf8, TruncatedSequencesStayInsideTheBuffer) {
    // Each buffer ends exactly where its data ends, so AddressSanitizer sees any
    // read past it.
    const struct {
        std::vector<char> bytes;
        std::u16string wide;
    } cases[] = {
        {{'a', '\xE2', '\x82'}, u"a\u00E2\u0082"},
        {{'\xF0', '\x9F', '\x98'}, u"\u00F0\u009F\u0098"},
        {{'\xC3'}, u"\u00C3"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<char[]> exact(new char[c.bytes.size()]);
        std::memcpy(exact.get(), c.bytes.data(), c.bytes.size());
        const char* it = exact.get();
        const char* end = exact.get() + c.bytes.size();
        std::u16string wide;
        while (it != end)
            wide += static_cast<char16_t>(Zep::DecodeUtf8(it, end));
        EXPECT_EQ(c.wide, wide);
        EXPECT_EQ(c.wide, Zep::Utf8ToWide(std::string(c.bytes.begin(), c.bytes.end())));
    }
}

TEST(Utf16, SurrogatePairsRoundTrip) {
    const std::string smiley = "\xF0\x9F\x98\x80";
    const std::u16string wide = Zep::Utf8ToWide(smiley);
    ASSERT_EQ(2u, wide.size());
    EXPECT_EQ(0xD83D, wide[0]);
    EXPECT_EQ(0xDE00, wide[1]);
    EXPECT_EQ(smiley, Zep::WideToUtf8(wide));

    const std::string mixed = "Z\xC3\xBC\xE2\x82\xAC\xF4\x8F\xBF\xBF!";
    EXPECT_EQ(u"Z\u00FC\u20AC\U0010FFFF!", Zep::Utf8ToWide(mixed));
    EXPECT_EQ(mixed, Zep::WideToUtf8(Zep::Utf8ToWide(mixed)));
}

TEST(Utf16, UnpairedSurrogatesAreEncodedAlone) {
    // A high surrogate at the very end has no partner to combine with.
    const std::u16string trailing = {u'a', 0xD83D};
    EXPECT_EQ("a\xED\xA0\xBD", Zep::WideToUtf8(trailing));

    const std::u16string highThenLetter = {0xD83D, u'b'};
    EXPECT_EQ(
        "\xED\xA0\xBD"
        "b",
        Zep::WideToUtf8(highThenLetter));
    const std::u16string loneLow = {0xDE00, u'c'};
    EXPECT_EQ(
        "\xED\xB8\x80"
        "c",
        Zep::WideToUtf8(loneLow));
}

TEST(Utf8, AppendUtf8AtEachLengthBoundary) {
    const std::map<uint32_t, std::string> expected = {
        {0x7F, "\x7F"},          {0x80, "\xC2\x80"},       {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"}, {0xFFFF, "\xEF\xBF\xBF"}, {0x10000, "\xF0\x90\x80\x80"},
    };
    for (const auto& entry : expected) {
        std::string text;
        Zep::AppendUtf8(text, entry.first);
        EXPECT_EQ(entry.second, text) << std::hex << entry.first;
    }
    EXPECT_EQ(u"a?b?", Zep::AsciiToWide("a\xC3"
                                        "b\x80"));
}

TEST(PerformanceCounter, RunsForwardAtItsFrequency) {
    EXPECT_GT(Zep::GetPerformanceFrequency(), 0);
    const int64_t first = Zep::GetPerformanceCounter();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const int64_t elapsed = Zep::GetPerformanceCounter() - first;
    EXPECT_GE(elapsed, Zep::GetPerformanceFrequency() / 100);
}

TEST(GetTypeName, DropsKeywordsAndBlanksBetweenClosingBrackets) {
    EXPECT_EQ(
        "Zep::TypeNameProbe::Pair<Zep::TypeNameProbe::Pair<Zep::TypeNameProbe::Plain,int>,"
        "Zep::TypeNameProbe::Pair<int,Zep::TypeNameProbe::Pair<float,char>>>",
        Zep::GetTypeName(
            typeid(Zep::TypeNameProbe::Pair<Zep::TypeNameProbe::Pair<Zep::TypeNameProbe::Plain, int>,
                                            Zep::TypeNameProbe::Pair<int, Zep::TypeNameProbe::Pair<float, char>>>)));
}

}  // namespace
