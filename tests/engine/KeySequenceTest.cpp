// Key sequences: search, keying, evaluation per value type, shared records and the
// archive form.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "Common/Audio.h"
#include "Common/KeySequence.h"
#include "Common/Movie.h"
#include "Common/ParticleEmitter.h"
#include "Common/SoundSystem.h"
#include "ObjectTestSupport.h"
#include "TestSupport.h"

using namespace ObjectTestSupport;
using Zep::Color;
using Zep::RandomPair;
using Zep::TypedKeySequence;
using Zep::Vector2;

namespace {

class KeySequenceTest : public Fixture {};

const std::string kSamples = std::string(ZEP_TEST_DATA) + "/keysequences/";

template <class T>
struct Key {
    int32_t frame;
    T value;
    uint32_t attributes;
};

template <class T>
TypedKeySequence<T> Keys(const std::vector<Key<T>>& keys) {
    TypedKeySequence<T> sequence;
    for (const Key<T>& key : keys)
        sequence.SetKey(key.frame, key.value, key.attributes);
    return sequence;
}

// "none" when the sequence gives no value, else the value as text.
template <class T>
std::string Evaluated(const TypedKeySequence<T>& sequence, float frame, const std::function<std::string(T)>& show) {
    T value{};
    return sequence.Evaluate(frame, value) ? show(value) : "none";
}

std::string ShowFloat(float value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.4f", value);
    return text;
}

std::string ShowColor(Color value) {
    char text[16];
    std::snprintf(text, sizeof(text), "%08X", value.argb);
    return text;
}

std::string Frames(const Zep::KeySequence& sequence) {
    std::string text;
    for (int32_t i = 0; i < sequence.GetKeyCount(); ++i)
        text += (i ? " " : "") + std::to_string(sequence.GetFrameNumber(i));
    return text;
}

std::string AssertionWithoutMessage(const char* file, int line) {
    return std::string("Assertion failed in file \"") + file + "\", line " + std::to_string(line);
}

// The sequence read from the text, and the text it writes back.
template <class T>
std::string RoundTrip(TypedKeySequence<T>& sequence, const std::string& text) {
    Reader reader(text);
    sequence.ReadFromArchive(reader.archive);
    Zep::MemoryStream stream(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive writer(&stream, false);
    sequence.WriteToArchive(writer);
    return stream.GetAsString();
}

}  // namespace

TEST_F(KeySequenceTest, FloatEvaluationAtTheEdges) {
    typedef std::vector<Key<float>> K;
    const K ramp = {{10, 0.0f, 0}, {20, 1.0f, 0}};
    struct Case {
        const char* what;
        K keys;
        float frame;
        std::string expected;
    } cases[] = {
        {"no keys", {}, 5.0f, "none"},
        {"before the first key", ramp, 5.0f, "0.0000"},
        {"negative frame", ramp, -3.5f, "0.0000"},
        {"on the first key", ramp, 10.0f, "0.0000"},
        {"halfway", ramp, 15.0f, "0.5000"},
        // The key is found at frame 15, t comes from the frame itself.
        {"fractional frame", ramp, 15.9f, "0.5900"},
        {"on the last key", ramp, 20.0f, "1.0000"},
        {"past the last key", ramp, 25.0f, "1.0000"},
        {"one key", {{4, 7.0f, 0}}, 100.0f, "7.0000"},
        {"step holds", {{10, 0.0f, 1}, {20, 1.0f, 0}}, 19.99f, "0.0000"},
        {"step ends on the next key", {{10, 0.0f, 1}, {20, 1.0f, 0}}, 20.0f, "1.0000"},
        {"unknown mode", {{10, 0.0f, 7}, {20, 1.0f, 0}}, 15.0f, "none"},
        {"unknown mode on the last key", {{10, 0.0f, 7}, {20, 1.0f, 9}}, 20.0f, "1.0000"},
        {"equal keys", {{0, 0.1f, 0}, {10, 0.1f, 0}}, 3.0f, "0.1000"},
        // Keys further apart than an int spans.
        {"extreme keys", {{-2000000000, 0.0f, 0}, {2000000000, 4.0f, 0}}, 0.0f, "2.0000"},
        {"NaN frame", ramp, std::numeric_limits<float>::quiet_NaN(), "0.0000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Evaluated<float>(Keys(c.keys), c.frame, ShowFloat)) << c.what;

    // Exactly equal keys give the key's value however far t goes.
    float value = 0.0f;
    ASSERT_TRUE(Keys<float>({{0, 0.1f, 0}, {10, 0.1f, 0}}).Evaluate(7.0f, value));
    EXPECT_EQ(0.1f, value);
}

TEST_F(KeySequenceTest, SplinesUseClampedOrWrappedNeighbours) {
    // Four keys 0, 10, 30, 0 at frames 0, 10, 20, 30; every key in the same mode.
    const auto spline = [](uint32_t mode) {
        return Keys<float>({{0, 0.0f, mode}, {10, 10.0f, mode}, {20, 30.0f, mode}, {30, 0.0f, mode}});
    };
    struct Case {
        uint32_t mode;
        float frame;
        std::string expected;
    } cases[] = {
        {2, 5.0f, "3.7500"},                           // P0 repeats key 0
        {3, 5.0f, "1.8750"},                           // P0 is key 2 (count - 2)
        {2, 15.0f, "22.5000"},                         // inner span: both modes alike
        {3, 15.0f, "22.5000"}, {2, 25.0f, "16.2500"},  // P3 repeats key 3
        {3, 25.0f, "15.6250"},                         // P3 is key 1
        {2, 10.0f, "10.0000"}, {3, 30.0f, "0.0000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Evaluated<float>(spline(c.mode), c.frame, ShowFloat)) << c.mode << " at " << c.frame;

    // Vectors per component.
    Vector2 v;
    ASSERT_TRUE(Keys<Vector2>({{0, Vector2(0.0f, 1.0f), 3},
                               {10, Vector2(10.0f, 1.0f), 3},
                               {20, Vector2(30.0f, 1.0f), 3},
                               {30, Vector2(0.0f, 1.0f), 3}})
                    .Evaluate(5.0f, v));
    EXPECT_FLOAT_EQ(1.875f, v.x);
    EXPECT_FLOAT_EQ(1.0f, v.y);
}

TEST_F(KeySequenceTest, ColoursBlendByWeightAndSplinesClampEachChannel) {
    typedef std::vector<Key<Color>> K;
    const auto c = [](uint32_t argb) { return Color(argb); };
    struct Case {
        const char* what;
        K keys;
        float frame;
        std::string expected;
    } cases[] = {
        {"black to white", {{0, c(0xFF000000), 0}, {10, c(0xFFFFFFFF), 0}}, 5.0f, "FF7F7F7F"},
        {"alpha alone", {{0, c(0x00112233), 0}, {10, c(0xFF112233), 0}}, 5.0f, "7F112233"},
        // w = 85 (t one third): 255 * 85 / 256 = 84.67, rounded down.
        {"weight rounds down", {{0, c(0x00000000), 0}, {3, c(0x000000FF), 0}}, 1.0f, "00000054"},
        {"equal colours", {{0, c(0x12345678), 0}, {10, c(0x12345678), 0}}, 5.0f, "12345678"},
        // Red 0 255 255 0 overshoots, green 255 0 0 255 undershoots, blue
        // 0 100 200 0 gives 168.75, truncated.
        {"overshooting spline",
         {{0, c(0xFF00FF00), 2}, {10, c(0xFFFF0064), 2}, {20, c(0xFFFF00C8), 2}, {30, c(0xFF00FF00), 2}},
         15.0f,
         "FFFF00A8"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(k.expected, Evaluated<Color>(Keys(k.keys), k.frame, ShowColor)) << k.what;
}

TEST_F(KeySequenceTest, DiscreteTypesStepAndRandomPairsInterpolateLinearly) {
    // Linear and spline modes hold the value of the key in force.
    for (uint32_t mode : {0u, 2u, 3u}) {
        int32_t i = 0;
        EXPECT_TRUE(Keys<int32_t>({{0, 1, mode}, {10, 100, mode}, {20, 3, mode}}).Evaluate(9.9f, i));
        EXPECT_EQ(1, i) << mode;
        Zep::BlendMode blend{};
        EXPECT_TRUE(
            Keys<Zep::BlendMode>({{0, Zep::BlendMode(2), mode}, {10, Zep::BlendMode(6), mode}}).Evaluate(5.0f, blend));
        EXPECT_EQ(2, blend) << mode;
        bool b = false;
        EXPECT_TRUE(Keys<bool>({{0, true, mode}, {10, false, mode}, {20, true, mode}}).Evaluate(15.0f, b));
        EXPECT_FALSE(b) << mode;
        std::string s;
        EXPECT_TRUE(Keys<std::string>({{0, "a", mode}, {10, "b", mode}}).Evaluate(5.0f, s));
        EXPECT_EQ("a", s) << mode;
        uint32_t u = 0;
        EXPECT_TRUE(Keys<uint32_t>({{0, 4000000000u, mode}, {10, 0u, mode}}).Evaluate(9.0f, u));
        EXPECT_EQ(4000000000u, u) << mode;
    }

    RandomPair pair;
    ASSERT_TRUE(
        Keys<RandomPair>({{0, RandomPair(5.0f, 1.0f), 0}, {10, RandomPair(15.0f, 3.0f), 0}}).Evaluate(2.5f, pair));
    EXPECT_FLOAT_EQ(7.5f, pair.median);
    EXPECT_FLOAT_EQ(1.5f, pair.variation);
    // Never a spline: the key's own value.
    ASSERT_TRUE(
        Keys<RandomPair>({{0, RandomPair(5.0f, 1.0f), 2}, {10, RandomPair(15.0f, 3.0f), 2}}).Evaluate(2.5f, pair));
    EXPECT_FLOAT_EQ(5.0f, pair.median);
}

TEST_F(KeySequenceTest, KeysStaySortedAndSearchesFindTheKeyInForce) {
    TypedKeySequence<float> sequence;
    int32_t index = -1;
    EXPECT_EQ(0, sequence.GetLastFrameNumber());
    EXPECT_FALSE(sequence.FindEffectiveKey(0, index));
    EXPECT_FALSE(sequence.FindKey(0, index));

    sequence.SetKey(20, 2.0f, 0);
    sequence.SetKey(10, 1.0f, 0);
    sequence.SetKey(30, 3.0f, 0);
    sequence.SetKey(20, 5.0f, 2);  // replaces value and mode, keeps the count
    EXPECT_EQ("10 20 30", Frames(sequence));
    EXPECT_EQ(5.0f, sequence.GetKeyValue(1));
    EXPECT_EQ(2u, sequence.GetAttributes(1));
    EXPECT_EQ(30, sequence.GetLastFrameNumber());

    struct Case {
        int32_t frame;
        bool effective;
        int32_t effectiveIndex;
        bool exact;
    } cases[] = {
        {5, false, -1, false}, {10, true, 0, true},  {15, true, 0, false},
        {20, true, 1, true},   {29, true, 1, false}, {35, true, 2, false},
    };
    for (const Case& c : cases) {
        index = -1;
        EXPECT_EQ(c.effective, sequence.FindEffectiveKey(c.frame, index)) << c.frame;
        EXPECT_EQ(c.effectiveIndex, index) << c.frame;
        index = -1;
        EXPECT_EQ(c.exact, sequence.FindKey(c.frame, index)) << c.frame;
        EXPECT_EQ(c.exact ? c.effectiveIndex : -1, index) << c.frame;
    }

    sequence.RemoveKey(0);
    EXPECT_EQ("20 30", Frames(sequence));
    EXPECT_EQ(5.0f, sequence.GetKeyValue(0));

    // Indexes at or beyond the count, or negative, are refused.
    for (const std::function<void()>& call : std::vector<std::function<void()>>{
             [&] { sequence.RemoveKey(2); },
             [&] { sequence.GetFrameNumber(-1); },
             [&] { sequence.GetAttributes(2); },
             [&] { sequence.GetKeyValue(7); },
         }) {
        const std::string report = ReportOf(call);
        EXPECT_NE(std::string::npos, report.find("\"Common\\KeySequence.h\"")) << report;
        EXPECT_TRUE(EndsWith(report, ":\n  Index out of bounds")) << report;
    }
    EXPECT_EQ("20 30", Frames(sequence));
}

TEST_F(KeySequenceTest, CopiesShareTheRecordUntilOneChanges) {
    struct Change {
        const char* what;
        std::function<void(TypedKeySequence<float>&)> apply;
    } changes[] = {
        {"SetKey", [](TypedKeySequence<float>& s) { s.SetKey(5, 9.0f, 0); }},
        {"RemoveKey", [](TypedKeySequence<float>& s) { s.RemoveKey(0); }},
        {"ReadFromArchive",
         [](TypedKeySequence<float>& s) {
             Reader reader("Frames [ 40 ] Attributes [ 0 ] Keys [ 4.0 ]");
             s.ReadFromArchive(reader.archive);
         }},
    };
    for (const Change& change : changes) {
        auto original = std::make_unique<TypedKeySequence<float>>(Keys<float>({{0, 1.0f, 0}, {10, 2.0f, 0}}));
        auto copy = std::make_unique<TypedKeySequence<float>>(*original);
        EXPECT_EQ(original->GetData(), copy->GetData()) << change.what;
        EXPECT_EQ(2, original->GetShareCount()) << change.what;

        change.apply(*copy);
        EXPECT_NE(original->GetData(), copy->GetData()) << change.what;
        EXPECT_EQ(1, original->GetShareCount()) << change.what;
        EXPECT_EQ(1, copy->GetShareCount()) << change.what;
        EXPECT_EQ("0 10", Frames(*original)) << change.what;
        EXPECT_NE("0 10", Frames(*copy)) << change.what;
        // Each record is freed once (AddressSanitizer watches).
        original.reset();
        copy.reset();
    }

    // Assignment releases the old record and shares the new one.
    TypedKeySequence<float> a = Keys<float>({{1, 1.0f, 0}});
    TypedKeySequence<float> b = Keys<float>({{2, 2.0f, 0}});
    TypedKeySequence<float> c = b;
    b = a;
    EXPECT_EQ(a.GetData(), b.GetData());
    EXPECT_EQ(2, a.GetShareCount());
    EXPECT_EQ(1, c.GetShareCount());
    TypedKeySequence<float>& same = b;
    b = same;
    EXPECT_EQ(2, a.GetShareCount());
}

TEST_F(KeySequenceTest, SamplesOfEveryValueTypeLoadAndWriteBackByteForByte) {
    // The file, the number of keys it holds and the round trip of one value type.
    struct Sample {
        const char* file;
        int32_t keys;
        std::function<std::string(const std::string&, int32_t&)> roundTrip;
    };
    const auto of = [](auto tag) {
        return [](const std::string& text, int32_t& count) {
            TypedKeySequence<decltype(tag)> sequence;
            const std::string written = RoundTrip(sequence, text);
            count = sequence.GetKeyCount();
            return written;
        };
    };
    const Sample samples[] = {
        {"float.txt", 3, of(float())},
        {"bool.txt", 2, of(bool())},
        {"int.txt", 3, of(int32_t())},
        {"unsigned.txt", 1, of(uint32_t())},
        {"color.txt", 3, of(Color())},
        {"vector2.txt", 2, of(Vector2())},
        {"string.txt", 2, of(std::string())},
        {"randompair.txt", 2, of(RandomPair())},
        {"enum.txt", 2, of(Zep::BlendMode())},
        {"enum.txt", 2, of(Zep::Movie::Action())},
        {"enum.txt", 2, of(Zep::EmitterShape())},
        {"enum.txt", 2, of(Zep::EmissionType())},
        {"enum.txt", 2, of(HorizontalAlignment())},
        {"enum.txt", 2, of(VerticalAlignment())},
        {"enum.txt", 2, of(Zep::Audio::Action())},
        {"enum.txt", 2, of(Zep::SoundGroupType())},
    };
    for (const Sample& sample : samples) {
        const std::string text = TestSupport::ReadFile(kSamples + sample.file);
        int32_t count = -1;
        EXPECT_EQ(text, sample.roundTrip(text, count)) << sample.file;
        EXPECT_EQ(sample.keys, count) << sample.file;
    }

    // Values as read.
    TypedKeySequence<Vector2> vectors;
    RoundTrip(vectors, TestSupport::ReadFile(kSamples + "vector2.txt"));
    EXPECT_EQ(300.0f, vectors.GetKeyValue(1).y);
    EXPECT_EQ(2u, vectors.GetAttributes(0));
    TypedKeySequence<std::string> strings;
    RoundTrip(strings, TestSupport::ReadFile(kSamples + "string.txt"));
    EXPECT_EQ("say \"hi\"\n", strings.GetKeyValue(1));
    TypedKeySequence<Color> colors;
    RoundTrip(colors, TestSupport::ReadFile(kSamples + "color.txt"));
    EXPECT_EQ(0x80FFFFFFu, colors.GetKeyValue(1).argb);
}

TEST_F(KeySequenceTest, ReadingMergesAndRefusesMalformedSamples) {
    TypedKeySequence<float> sequence = Keys<float>({{5, 50.0f, 1}, {10, 60.0f, 1}});
    RoundTrip(sequence, TestSupport::ReadFile(kSamples + "float.txt"));
    EXPECT_EQ("0 5 10 25", Frames(sequence));
    EXPECT_EQ(50.0f, sequence.GetKeyValue(1));
    EXPECT_EQ(-2.25f, sequence.GetKeyValue(2));
    EXPECT_EQ(2u, sequence.GetAttributes(2));

    struct Bad {
        const char* file;
        std::string expected;
    } bad[] = {
        {"wrong_order.txt", "Unexpected field name: Keys"},
        {"mismatched_lengths.txt", AssertionWithoutMessage("Common\\KeySequence.h", 370)},
        {"malformed_number.txt",
         "Syntax error on line 1.\n Error: Couldn't find expected integer expression\n Line was: Frames [ 0 1x0 ]"},
    };
    for (const Bad& b : bad) {
        TypedKeySequence<float> target;
        EXPECT_EQ(b.expected, ReportOf([&] { RoundTrip(target, TestSupport::ReadFile(kSamples + b.file)); })) << b.file;
        EXPECT_EQ(0, target.GetKeyCount()) << b.file;
    }
}
