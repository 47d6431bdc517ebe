// Key sequences: evaluation per value type, search and keying, shared records and the
// archive form.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "Common/Audio.h"
#include "Common/KeySequence.h"
#include "Common/StringUtils.h"
#include "ObjectTestSupport.h"
#include "TestSupport.h"

using namespace ObjectTestSupport;
using Zep::Color;
using Zep::RandomPair;
using Zep::TypedKeySequence;

namespace {

class KeySequenceTest : public Fixture {};

// Keys given as (frame, value, mode).
template <class T>
TypedKeySequence<T> Keys(std::initializer_list<std::tuple<int32_t, T, uint32_t>> keys) {
    TypedKeySequence<T> sequence;
    for (const auto& [frame, value, mode] : keys)
        sequence.SetKey(frame, value, mode);
    return sequence;
}

// The value at the frame as text; "none" when there is no value.
template <class T>
std::string At(const TypedKeySequence<T>& sequence, float frame) {
    T v{};
    if (!sequence.Evaluate(frame, v))
        return "none";
    if constexpr (std::is_same_v<T, Color>)
        return Zep::Sprintf("%08X", v.argb);
    else if constexpr (std::is_same_v<T, RandomPair>)
        return Zep::Sprintf("%g,%g", v.median, v.variation);
    else if constexpr (std::is_same_v<T, std::string>)
        return v;
    else
        return Zep::Sprintf("%g", static_cast<double>(v));
}

// Keys 0, 10, 30, 0 at frames 0, 10, 20, 30, all in one mode.
TypedKeySequence<float> Spline(uint32_t mode) {
    return Keys<float>({{0, 0.0f, mode}, {10, 10.0f, mode}, {20, 30.0f, mode}, {30, 0.0f, mode}});
}

std::string Frames(const Zep::KeySequence& sequence) {
    std::string text;
    for (int32_t i = 0; i < sequence.GetKeyCount(); ++i)
        text += (i ? " " : "") + std::to_string(sequence.GetFrameNumber(i));
    return text;
}

// Reads the sequence from a sample file (or a text) and returns what it writes back.
template <class T>
std::string RoundTrip(TypedKeySequence<T>& sequence, const std::string& sample, bool isFile = true) {
    Reader reader(isFile ? TestSupport::ReadFile(std::string(ZEP_TEST_DATA) + "/keysequences/" + sample) : sample);
    sequence.ReadFromArchive(reader.archive);
    Zep::MemoryStream stream(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive writer(&stream, false);
    sequence.WriteToArchive(writer);
    return stream.GetAsString();
}

}  // namespace

TEST_F(KeySequenceTest, EvaluationAtTheEdgesAndPerValueType) {
    const auto ramp = Keys<float>({{10, 0.0f, 0}, {20, 1.0f, 0}});
    const auto step = Keys<float>({{10, 0.0f, 1}, {20, 1.0f, 0}});
    const Color black(0xFF000000u), white(0xFFFFFFFFu);
    struct Case {
        const char* what;
        std::string actual;
        std::string expected;
    } cases[] = {
        {"no keys", At(Keys<float>({}), 5.0f), "none"},
        {"before the first key", At(ramp, 5.0f), "0"},
        {"halfway", At(ramp, 15.0f), "0.5"},
        {"past the last key", At(ramp, 25.0f), "1"},
        {"key from the truncated frame, t from the frame", At(ramp, 15.9f), "0.59"},
        {"step holds", At(step, 19.99f), "0"},
        {"step ends on the next key", At(step, 20.0f), "1"},
        {"unknown mode", At(Keys<float>({{10, 0.0f, 7}, {20, 1.0f, 0}}), 15.0f), "none"},
        {"keys further apart than an int spans", At(Keys<float>({{-2000000000, 0.0f, 0}, {2000000000, 4.0f, 0}}), 0),
         "2"},
        // Catmull-Rom: mode 2 repeats the end keys, mode 3 wraps to keys 2 and 1.
        {"clamped start", At(Spline(2), 5.0f), "3.75"},
        {"wrapped start", At(Spline(3), 5.0f), "1.875"},
        {"clamped end", At(Spline(2), 25.0f), "16.25"},
        {"wrapped end", At(Spline(3), 25.0f), "15.625"},
        {"colour", At(Keys<Color>({{0, black, 0}, {10, white, 0}}), 5), "FF7F7F7F"},
        // Red overshoots past 255, green below 0, blue gives 168.75.
        {"colour spline clamps",
         At(Keys<Color>({{0, Color(0xFF00FF00), 2},
                         {10, Color(0xFFFF0064), 2},
                         {20, Color(0xFFFF00C8), 2},
                         {30, Color(0xFF00FF00), 2}}),
            15),
         "FFFF00A8"},
        {"random pair", At(Keys<RandomPair>({{0, {5, 1}, 0}, {10, {15, 3}, 0}}), 2.5f), "7.5,1.5"},
        {"random pair, never a spline", At(Keys<RandomPair>({{0, {5, 1}, 2}, {10, {15, 3}, 2}}), 2.5f), "5,1"},
        {"int", At(Keys<int32_t>({{0, 1, 0}, {10, 100, 0}}), 9.9f), "1"},
        {"enumeration", At(Keys<Zep::BlendMode>({{0, Zep::BlendMode(2), 2}, {10, Zep::BlendMode(6), 2}}), 5), "2"},
        {"bool", At(Keys<bool>({{0, true, 3}, {10, false, 3}, {20, true, 3}}), 15), "0"},
        {"string", At(Keys<std::string>({{0, "a", 0}, {10, "b", 0}}), 5), "a"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(k.expected, k.actual) << k.what;
}

TEST_F(KeySequenceTest, KeysStaySortedAndUniqueAndBadIndexesAreRefused) {
    TypedKeySequence<float> s = Keys<float>({{20, 2.0f, 0}, {10, 1.0f, 0}, {30, 3.0f, 0}, {20, 5.0f, 2}});
    EXPECT_EQ("10 20 30", Frames(s));
    EXPECT_EQ(5.0f, s.GetKeyValue(1));
    EXPECT_EQ(2u, s.GetAttributes(1));
    int32_t found = -1;
    EXPECT_FALSE(s.FindEffectiveKey(9, found));
    EXPECT_TRUE(s.FindEffectiveKey(29, found) && found == 1);
    s.RemoveKey(0);
    for (const std::function<void()>& call :
         std::vector<std::function<void()>>{[&] { s.RemoveKey(2); }, [&] { s.GetFrameNumber(-1); },
                                            [&] { s.GetAttributes(2); }, [&] { s.GetKeyValue(7); }})
        EXPECT_TRUE(EndsWith(ReportOf(call), ":\n  Index out of bounds"));
    EXPECT_EQ("20 30", Frames(s));
}

TEST_F(KeySequenceTest, CopiesShareTheRecordUntilOneChanges) {
    const std::function<void(TypedKeySequence<float>&)> changes[] = {
        [](TypedKeySequence<float>& s) { s.SetKey(5, 9.0f, 0); },
        [](TypedKeySequence<float>& s) { s.RemoveKey(0); },
        [](TypedKeySequence<float>& s) { RoundTrip(s, "Frames [ 40 ] Attributes [ 0 ] Keys [ 4.0 ]", false); },
    };
    for (const auto& change : changes) {
        auto* original = new TypedKeySequence<float>(Keys<float>({{0, 1.0f, 0}, {10, 2.0f, 0}}));
        auto* copy = new TypedKeySequence<float>(*original);
        EXPECT_EQ(original->GetData(), copy->GetData());
        EXPECT_EQ(2, original->GetShareCount());
        change(*copy);
        EXPECT_EQ(1, original->GetShareCount());
        EXPECT_EQ("0 10", Frames(*original));
        EXPECT_NE("0 10", Frames(*copy));
        delete original;  // each record is freed once (AddressSanitizer)
        delete copy;
    }
}

// Reading merges the keys read into those present as setting each in turn does (the
// last of the keys at one frame wins), also for many keys in falling order, which took
// quadratic time when each key was set in turn.
TEST_F(KeySequenceTest, ReadingMergesAsSettingEachKeyInTurn) {
    typedef std::vector<std::tuple<int32_t, float, uint32_t>> KeyList;
    KeyList many;
    for (int32_t i = 0; i < 20000; ++i)
        many.emplace_back(-(i * 7919 % 5003), static_cast<float>(i), static_cast<uint32_t>(i % 4));
    const std::pair<KeyList, KeyList> cases[] = {
        {{}, {{5, 1.0f, 0}, {4, 2.0f, 1}, {3, 3.0f, 0}, {3, 4.0f, 2}, {1, 5.0f, 0}}},
        {{{0, 1.0f, 0}, {10, 2.0f, 1}, {20, 3.0f, 2}},
         {{20, 9.0f, 0}, {5, 8.0f, 1}, {10, 7.0f, 3}, {25, 6.0f, 0}, {-5, 5.0f, 1}, {5, 4.0f, 2}}},
        {{{1, 1.0f, 0}, {2, 2.0f, 1}}, {}},
        {{{0, 1.0f, 0}}, many}};
    for (const auto& [present, read] : cases) {
        std::string frames, attributes, values;
        for (const auto& [frame, value, mode] : read) {
            frames += std::to_string(frame) + " ";
            attributes += std::to_string(mode) + " ";
            values += Zep::Sprintf("%g ", static_cast<double>(value));
        }
        TypedKeySequence<float> expected, merged;
        for (const auto& [frame, value, mode] : present)
            expected.SetKey(frame, value, mode), merged.SetKey(frame, value, mode);
        for (const auto& [frame, value, mode] : read)
            expected.SetKey(frame, value, mode);
        const std::string written = RoundTrip(
            merged, "Frames [ " + frames + "] Attributes [ " + attributes + "] Keys [ " + values + "]", false);
        EXPECT_EQ(RoundTrip(expected, "Frames [ ] Attributes [ ] Keys [ ]", false), written) << frames;
    }
}

TEST_F(KeySequenceTest, SamplesLoadAndWriteBackByteForByte) {
    const auto same = [](auto tag, const char* file) {
        TypedKeySequence<decltype(tag)> sequence;
        EXPECT_EQ(TestSupport::ReadFile(std::string(ZEP_TEST_DATA) + "/keysequences/" + file),
                  RoundTrip(sequence, file));
    };
    same(float(), "float.txt"), same(bool(), "bool.txt"), same(int32_t(), "int.txt");
    same(uint32_t(), "unsigned.txt"), same(Color(), "color.txt"), same(Zep::Vector2(), "vector2.txt");
    same(std::string(), "string.txt"), same(RandomPair(), "randompair.txt"), same(Zep::BlendMode(), "enum.txt");
    same(Zep::Audio::Action(), "enum.txt");

    // Keys read merge into those present.
    TypedKeySequence<float> merged = Keys<float>({{5, 50.0f, 1}, {10, 60.0f, 1}});
    RoundTrip(merged, "float.txt");
    EXPECT_EQ("0 5 10 25", Frames(merged));
    EXPECT_EQ(-2.25f, merged.GetKeyValue(2));

    for (const auto& [file, expected] : std::vector<std::pair<std::string, std::string>>{
             {"wrong_order.txt", "Unexpected field name: Keys"},
             {"mismatched_lengths.txt", "Assertion failed in file \"Common\\KeySequence.h\", line 370"},
             {"malformed_number.txt",
              "Syntax error on line 1.\n Error: Couldn't find expected integer expression\n "
              "Line was: Frames [ 0 1x0 ]"}}) {
        TypedKeySequence<float> target;
        const std::string sample = file;
        EXPECT_EQ(expected, ReportOf([&] { RoundTrip(target, sample); })) << file;
        EXPECT_EQ(0, target.GetKeyCount()) << file;
    }
}
