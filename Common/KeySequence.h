// Key sequences: the timeline of one animated property. Each key is a frame (20 per
// second), an attribute word that selects how to go on to the next key, and a value.
// Copies share one key record until one of them changes it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "Common/Archive.h"
#include "Common/CoreUtils.h"
#include "Common/MathUtils.h"
#include "Common/PropertyInfo.h"
#include "Common/ValueTypes.h"

namespace Zep {

namespace Detail {
// Interpolation modes held in the attribute word of a key: how the value goes on
// from this key to the next one. Other words are kept but give no value.
enum KeyMode : uint32_t {
    KeyLinear = 0,
    KeyStep = 1,
    KeySplineClamped = 2,
    KeySplineWrapped = 3,
};
}  // namespace Detail

class KeySequence {
public:
    KeySequence() {}
    KeySequence(const KeySequence&) = default;
    KeySequence& operator=(const KeySequence&) = default;

    // Frame of the last key; 0 without keys.
    virtual int32_t GetLastFrameNumber() const = 0;
    virtual int32_t GetKeyCount() const = 0;
    virtual void RemoveKey(int32_t index) = 0;
    // True with the index when a key stands exactly at the frame.
    virtual bool FindKey(int32_t frame, int32_t& index) const = 0;
    // The last key at or before the frame; false before the first key or without keys.
    virtual bool FindEffectiveKey(int32_t frame, int32_t& index) const = 0;
    virtual int32_t GetFrameNumber(int32_t index) const = 0;
    virtual uint32_t GetAttributes(int32_t index) const = 0;
    // Reads "Frames", "Attributes" and "Keys" and merges the keys read into the
    // sequence.
    virtual void ReadFromArchive(IArchive& reader) = 0;
    virtual void WriteToArchive(OArchive& writer) const = 0;
    virtual ~KeySequence();
};

// The key record that sequences share. The count is a plain integer: sequences
// live on the game thread.
template <class T>
struct KeySequenceData {
    int32_t refCount = 1;
    std::vector<int32_t> frames;
    std::vector<uint32_t> attributes;
    // std::vector<bool> keeps the values of a bool sequence as bits.
    std::vector<T> values;
};

// How the values of a type go from one key to the next. Types without a rule of
// their own hold the value of the key in force.
template <class T>
struct KeyInterpolation {
    static const bool kLinear = false;
    static const bool kSpline = false;
};

template <>
struct KeyInterpolation<float> {
    static const bool kLinear = true;
    static const bool kSpline = true;
    static float Linear(float a, float b, float t) { return a == b ? a : (1.0f - t) * a + t * b; }
    static float Spline(float t, float p0, float p1, float p2, float p3) { return CatmullRom(t, p0, p1, p2, p3); }
};

template <>
struct KeyInterpolation<Vector2> {
    static const bool kLinear = true;
    static const bool kSpline = true;
    // Exactly equal keys give the first one unchanged.
    static Vector2 Linear(const Vector2& a, const Vector2& b, float t) { return a == b ? a : Lerp(a, b, t); }
    static Vector2 Spline(float t, const Vector2& p0, const Vector2& p1, const Vector2& p2, const Vector2& p3) {
        return CatmullRom(t, p0, p1, p2, p3);
    }
};

template <>
struct KeyInterpolation<Color> {
    static const bool kLinear = true;
    static const bool kSpline = true;
    static Color Linear(const Color& a, const Color& b, float t) { return Lerp(a, b, t); }
    // Each channel is truncated and clamped to 0..255, so overshooting curves stay
    // within the byte (NaN gives 0).
    static Color Spline(float t, const Color& p0, const Color& p1, const Color& p2, const Color& p3) {
        return CatmullRom(t, p0, p1, p2, p3);
    }
};

template <>
struct KeyInterpolation<RandomPair> {
    static const bool kLinear = true;
    static const bool kSpline = false;
    static RandomPair Linear(const RandomPair& a, const RandomPair& b, float t) {
        return RandomPair((1.0f - t) * a.median + t * b.median, (1.0f - t) * a.variation + t * b.variation);
    }
};

template <class T>
class TypedKeySequence : public KeySequence {
public:
    typedef T ValueType;
    typedef KeySequenceData<T> Data;
    // A value as the record hands it out (a plain bool for bool sequences).
    typedef typename std::vector<T>::const_reference ValueReference;

    TypedKeySequence() : data(new Data) {}
    // The copy shares the record.
    TypedKeySequence(const TypedKeySequence& other) : KeySequence(other), data(other.data) { ++data->refCount; }
    TypedKeySequence& operator=(const TypedKeySequence& other) {
        ShareFrom(other);
        return *this;
    }
    ~TypedKeySequence() override { Release(); }

    int32_t GetLastFrameNumber() const override { return data->frames.empty() ? 0 : data->frames.back(); }
    int32_t GetKeyCount() const override { return static_cast<int32_t>(data->frames.size()); }

    void RemoveKey(int32_t index) override {
        CheckIndex(index);
        MakePrivate();
        data->frames.erase(data->frames.begin() + index);
        data->attributes.erase(data->attributes.begin() + index);
        data->values.erase(data->values.begin() + index);
    }

    bool FindKey(int32_t frame, int32_t& index) const override {
        const int32_t position = LowerBound(frame);
        if (position == GetKeyCount() || data->frames[position] != frame)
            return false;
        index = position;
        return true;
    }

    bool FindEffectiveKey(int32_t frame, int32_t& index) const override { return FindEffective(frame, index); }

    int32_t GetFrameNumber(int32_t index) const override {
        CheckIndex(index);
        return data->frames[index];
    }

    uint32_t GetAttributes(int32_t index) const override {
        CheckIndex(index);
        return data->attributes[index];
    }

    ValueReference GetKeyValue(int32_t index) const {
        CheckIndex(index);
        return data->values[index];
    }

    // Appends, replaces the value and attributes of the key at the frame (the frame
    // stays), or inserts, so that frames stay sorted and unique.
    void SetKey(int32_t frame, const T& value, uint32_t attributes) {
        MakePrivate();
        const int32_t position = LowerBound(frame);
        if (position == GetKeyCount()) {
            data->frames.push_back(frame);
            data->attributes.push_back(attributes);
            data->values.push_back(value);
        } else if (data->frames[position] == frame) {
            data->attributes[position] = attributes;
            data->values[position] = value;
        } else {
            data->frames.insert(data->frames.begin() + position, frame);
            data->attributes.insert(data->attributes.begin() + position, attributes);
            data->values.insert(data->values.begin() + position, value);
        }
    }

    // The value at a frame, which may lie between two keys. False when there is no
    // key, or when the key in force carries an unknown interpolation mode.
    bool Evaluate(float frame, T& value) const {
        const std::vector<T>& values = data->values;
        const int32_t count = GetKeyCount();
        int32_t i = 0;
        if (!FindEffective(TruncateToInt(frame), i)) {
            if (count == 0)
                return false;
            // Before the first key the first value holds.
            value = values[0];
            return true;
        }
        const uint32_t mode = data->attributes[i];
        if (i == count - 1 || mode == Detail::KeyStep) {
            value = values[i];
            return true;
        }
        if (mode > Detail::KeySplineWrapped)
            return false;
        // The span in 64 bits: keys read from a file may lie further apart than an
        // int holds.
        const int64_t span = static_cast<int64_t>(data->frames[i + 1]) - data->frames[i];
        const float t = (frame - static_cast<float>(data->frames[i])) / static_cast<float>(span);
        if (mode == Detail::KeyLinear) {
            if constexpr (KeyInterpolation<T>::kLinear)
                value = KeyInterpolation<T>::Linear(values[i], values[i + 1], t);
            else
                value = values[i];
            return true;
        }
        if constexpr (KeyInterpolation<T>::kSpline) {
            // The clamped ends repeat the outer keys; the wrapped ends continue on
            // the other side of a loop whose last key repeats the first.
            const bool wrapped = mode == Detail::KeySplineWrapped;
            const int32_t before = i > 0 ? i - 1 : (wrapped ? count - 2 : 0);
            const int32_t after = i + 2 < count ? i + 2 : (wrapped ? 1 : count - 1);
            value = KeyInterpolation<T>::Spline(t, values[before], values[i], values[i + 1], values[after]);
        } else {
            value = values[i];
        }
        return true;
    }

    void ReadFromArchive(IArchive& reader) override {
        MakePrivate();
        std::vector<int32_t> frames;
        std::vector<uint32_t> attributes;
        std::vector<T> values;
        ExpectFieldName(reader, "Frames");
        ReadArray(reader, [&] { frames.push_back(reader.ReadInt()); });
        reader.EndField();
        ExpectFieldName(reader, "Attributes");
        ReadArray(reader, [&] { attributes.push_back(reader.ReadUnsigned()); });
        reader.EndField();
        ExpectFieldName(reader, "Keys");
        ReadArray(reader, [&] { values.push_back(ValueTraits<T>::Read(reader)); });
        reader.EndField();
        if (frames.size() != attributes.size() || frames.size() != values.size())
            AssertionFailed("Common\\KeySequence.h", 370);
        MergeKeys(frames, attributes, values);
    }

    void WriteToArchive(OArchive& writer) const override {
        const int32_t count = GetKeyCount();
        writer.BeginField("Frames");
        WriteArray(writer, count, [&](int32_t k) { writer.WriteInt(data->frames[k]); });
        writer.EndField();
        writer.BeginField("Attributes");
        WriteArray(writer, count, [&](int32_t k) { writer.WriteUnsigned(data->attributes[k]); });
        writer.EndField();
        writer.BeginField("Keys");
        WriteArray(writer, count, [&](int32_t k) { ValueTraits<T>::Write(writer, data->values[k]); });
        writer.EndField();
    }

    // --- Sharing ---
    // Drops this sequence's record and shares the other's.
    void ShareFrom(const TypedKeySequence& other) {
        if (other.data == data)
            return;
        Release();
        data = other.data;
        ++data->refCount;
    }
    const Data* GetData() const { return data; }
    // How many sequences share the record.
    int32_t GetShareCount() const { return data->refCount; }

private:
    static void CheckIndex(int32_t index, int32_t count) {
        if (index < 0 || index >= count)
            AssertionFailed(ZEP_SOURCE_FILE, __LINE__, "Index out of bounds");
    }
    void CheckIndex(int32_t index) const { CheckIndex(index, GetKeyCount()); }

    // The position of the first frame not below the given one.
    int32_t LowerBound(int32_t frame) const {
        return static_cast<int32_t>(std::lower_bound(data->frames.begin(), data->frames.end(), frame) -
                                    data->frames.begin());
    }

    bool FindEffective(int32_t frame, int32_t& index) const {
        const int32_t count = GetKeyCount();
        if (count == 0)
            return false;
        const int32_t position = LowerBound(frame);
        if (position == count) {
            index = count - 1;
            return true;
        }
        if (data->frames[position] == frame) {
            index = position;
            return true;
        }
        if (position == 0)
            return false;
        index = position - 1;
        return true;
    }

    // A record shared with other sequences is left to them and replaced by a copy.
    void MakePrivate() {
        if (data->refCount <= 1)
            return;
        Data* copy = new Data(*data);
        copy->refCount = 1;
        --data->refCount;
        data = copy;
    }

    void Release() {
        if (--data->refCount == 0)
            delete data;
        data = nullptr;
    }

    // Merges keys into the sequence as SetKey of each in turn would (the last of the
    // keys at one frame wins), in one pass: SetKey moves the later keys every time, and
    // a file may list many keys in falling order.
    void MergeKeys(const std::vector<int32_t>& frames, const std::vector<uint32_t>& attributes,
                   const std::vector<T>& values) {
        std::vector<size_t> order(frames.size());
        for (size_t k = 0; k < order.size(); ++k)
            order[k] = k;
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return frames[a] < frames[b]; });
        Data merged;
        const size_t oldCount = data->frames.size();
        merged.frames.reserve(oldCount + frames.size());
        merged.attributes.reserve(oldCount + frames.size());
        merged.values.reserve(oldCount + frames.size());
        const auto keep = [&](size_t k) {
            merged.frames.push_back(data->frames[k]);
            merged.attributes.push_back(data->attributes[k]);
            merged.values.push_back(data->values[k]);
        };
        size_t old = 0;
        for (size_t k = 0; k < order.size(); ++k) {
            const size_t i = order[k];
            if (k + 1 < order.size() && frames[order[k + 1]] == frames[i])
                continue;  // a later key at the same frame replaces this one
            for (; old < oldCount && data->frames[old] < frames[i]; ++old)
                keep(old);
            if (old < oldCount && data->frames[old] == frames[i])
                ++old;  // replaced by the key read
            merged.frames.push_back(frames[i]);
            merged.attributes.push_back(attributes[i]);
            merged.values.push_back(values[i]);
        }
        for (; old < oldCount; ++old)
            keep(old);
        data->frames.swap(merged.frames);
        data->attributes.swap(merged.attributes);
        data->values.swap(merged.values);
    }

    template <class ReadItem>
    static void ReadArray(IArchive& reader, ReadItem readItem) {
        reader.BeginArray();
        while (!reader.AtArrayEnd()) {
            reader.BeginItem();
            readItem();
            reader.EndItem();
        }
        reader.EndArray();
    }

    template <class WriteItem>
    static void WriteArray(OArchive& writer, int32_t count, WriteItem writeItem) {
        writer.BeginArray(false);
        for (int32_t k = 0; k < count; ++k) {
            writer.BeginItem();
            writeItem(k);
            writer.EndItem();
        }
        writer.EndArray();
    }

    Data* data;
};

}  // namespace Zep
