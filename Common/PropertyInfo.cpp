#include "Common/PropertyInfo.h"

namespace Zep {

namespace Detail {

void WriteFloatArray(OArchive& writer, const float* values, int count) {
    writer.BeginArray(false);
    for (int i = 0; i < count; ++i) {
        writer.BeginItem();
        writer.WriteFloat(values[i]);
        writer.EndItem();
    }
    writer.EndArray();
}

void ReadFloatArray(IArchive& reader, float* values, int count) {
    reader.BeginArray();
    for (int i = 0; i < count; ++i) {
        reader.BeginItem();
        values[i] = reader.ReadFloat();
        reader.EndItem();
    }
    reader.EndArray();
}

}  // namespace Detail

void ValueTraits<SkinningWeights>::Write(OArchive& writer, const SkinningWeights& value) {
    writer.BeginArray(false);
    for (const SkinningWeights::Influence& influence : value.influences) {
        writer.BeginItem();
        writer.WriteInt(influence.boneIndex);
        writer.EndItem();
        writer.BeginItem();
        writer.WriteFloat(influence.weight);
        writer.EndItem();
    }
    writer.EndArray();
}

SkinningWeights ValueTraits<SkinningWeights>::Read(IArchive& reader) {
    SkinningWeights value;
    reader.BeginArray();
    for (SkinningWeights::Influence& influence : value.influences) {
        reader.BeginItem();
        influence.boneIndex = reader.ReadInt();
        reader.EndItem();
        reader.BeginItem();
        influence.weight = reader.ReadFloat();
        reader.EndItem();
    }
    reader.EndArray();
    return value;
}

AnimatablePropertyRegistry& AnimatablePropertyRegistry::GetInstance() {
    static AnimatablePropertyRegistry instance;
    return instance;
}

void AnimatablePropertyRegistry::Register(const AnimatablePropertyEntry& entry) {
    entries[entry.property] = entry;
}

const AnimatablePropertyEntry* AnimatablePropertyRegistry::Find(const PropertyInfo* property) const {
    const auto found = entries.find(property);
    return found == entries.end() ? nullptr : &found->second;
}

}  // namespace Zep
