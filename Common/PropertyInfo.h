// Properties of reflected classes: typed values reached through the getter and
// setter of the owning class, their archive forms, equality and registration.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <type_traits>
#include <typeinfo>

#include "Common/Archive.h"
#include "Common/ClassInfo.h"
#include "Common/CoreUtils.h"
#include "Common/ValueTypes.h"

namespace Zep {

class Object;

enum PropertyFlags : uint32_t {
    PROPERTY_READONLY = 1,
    PROPERTY_OBSOLETE = 2,
};

class PropertyInfo {
public:
    PropertyInfo(const std::string& name, uint32_t flags, ClassInfo* ownerClass)
        : flags(flags), name(name), ownerClass(ownerClass) {}
    virtual ~PropertyInfo() {}

    PropertyInfo(const PropertyInfo&) = delete;
    PropertyInfo& operator=(const PropertyInfo&) = delete;

    virtual const std::type_info& GetValueType() const = 0;
    // The property's values in a and in b are equal by the rule of its type.
    virtual bool IsEqual(Object* a, Object* b) const = 0;
    virtual void CopyValue(Object* source, Object* destination) const = 0;
    // Reads one value and stores it with SetValue.
    virtual void ReadFromArchive(Object* object, IArchive& reader) const = 0;
    virtual void WriteToArchive(Object* object, OArchive& writer) const = 0;

    uint32_t GetFlags() const { return flags; }
    bool IsReadOnly() const { return (flags & PROPERTY_READONLY) != 0; }
    bool IsObsolete() const { return (flags & PROPERTY_OBSOLETE) != 0; }
    const std::string& GetName() const { return name; }
    ClassInfo* GetOwnerClass() const { return ownerClass; }

protected:
    uint32_t flags;
    std::string name;
    ClassInfo* ownerClass;
};

// --- Archive forms and equality of the value types --------------------------------
// ValueTraits<T> gives Write(writer, value), Read(reader) and Equal(a, b).
template <class T, class Enable = void>
struct ValueTraits;

template <>
struct ValueTraits<float> {
    static void Write(OArchive& writer, float value) { writer.WriteFloat(value); }
    static float Read(IArchive& reader) { return reader.ReadFloat(); }
    static bool Equal(float a, float b) { return a == b; }
};

template <>
struct ValueTraits<int32_t> {
    static void Write(OArchive& writer, int32_t value) { writer.WriteInt(value); }
    static int32_t Read(IArchive& reader) { return reader.ReadInt(); }
    static bool Equal(int32_t a, int32_t b) { return a == b; }
};

// Enumerations are written as their numeric value.
template <class T>
struct ValueTraits<T, typename std::enable_if<std::is_enum<T>::value>::type> {
    static void Write(OArchive& writer, T value) { writer.WriteInt(static_cast<int32_t>(value)); }
    static T Read(IArchive& reader) { return static_cast<T>(reader.ReadInt()); }
    static bool Equal(T a, T b) { return a == b; }
};

template <>
struct ValueTraits<uint32_t> {
    static void Write(OArchive& writer, uint32_t value) { writer.WriteUnsigned(value); }
    static uint32_t Read(IArchive& reader) { return reader.ReadUnsigned(); }
    static bool Equal(uint32_t a, uint32_t b) { return a == b; }
};

// The 16-bit character code: written zero-extended, read truncated to 16 bits.
template <>
struct ValueTraits<char16_t> {
    static void Write(OArchive& writer, char16_t value) { writer.WriteInt(static_cast<int32_t>(value)); }
    static char16_t Read(IArchive& reader) {
        return static_cast<char16_t>(static_cast<uint32_t>(reader.ReadInt()) & 0xFFFFu);
    }
    static bool Equal(char16_t a, char16_t b) { return a == b; }
};

template <>
struct ValueTraits<bool> {
    static void Write(OArchive& writer, bool value) { writer.WriteBool(value); }
    static bool Read(IArchive& reader) { return reader.ReadBool(); }
    static bool Equal(bool a, bool b) { return a == b; }
};

template <>
struct ValueTraits<std::string> {
    static void Write(OArchive& writer, const std::string& value) { writer.WriteString(value); }
    static std::string Read(IArchive& reader) { return reader.ReadString(); }
    static bool Equal(const std::string& a, const std::string& b) { return a == b; }
};

template <>
struct ValueTraits<Color> {
    static void Write(OArchive& writer, const Color& value) { writer.WriteColor(value.argb); }
    static Color Read(IArchive& reader) { return Color(reader.ReadColor()); }
    static bool Equal(const Color& a, const Color& b) { return a.argb == b.argb; }
};

namespace Detail {
// Single-line arrays of numbers.
void WriteFloatArray(OArchive& writer, const float* values, int count);
void ReadFloatArray(IArchive& reader, float* values, int count);
}  // namespace Detail

template <>
struct ValueTraits<Vector2> {
    static void Write(OArchive& writer, const Vector2& value) {
        const float values[2] = {value.x, value.y};
        Detail::WriteFloatArray(writer, values, 2);
    }
    static Vector2 Read(IArchive& reader) {
        float values[2];
        Detail::ReadFloatArray(reader, values, 2);
        return Vector2(values[0], values[1]);
    }
    // Both components differ by less than 0.001.
    static bool Equal(const Vector2& a, const Vector2& b) { return EpsilonEqual(a, b, 0.001f); }
};

template <>
struct ValueTraits<RandomPair> {
    static void Write(OArchive& writer, const RandomPair& value) {
        const float values[2] = {value.median, value.variation};
        Detail::WriteFloatArray(writer, values, 2);
    }
    static RandomPair Read(IArchive& reader) {
        float values[2];
        Detail::ReadFloatArray(reader, values, 2);
        return RandomPair(values[0], values[1]);
    }
    static bool Equal(const RandomPair& a, const RandomPair& b) { return a == b; }
};

template <>
struct ValueTraits<EaseParameters> {
    static void Write(OArchive& writer, const EaseParameters& value) {
        const float values[3] = {value.t0, value.t1, value.scale};
        Detail::WriteFloatArray(writer, values, 3);
    }
    static EaseParameters Read(IArchive& reader) {
        float values[3];
        Detail::ReadFloatArray(reader, values, 3);
        return EaseParameters(values[0], values[1], values[2]);
    }
    static bool Equal(const EaseParameters& a, const EaseParameters& b) { return a == b; }
};

// Eight items: bone index (integer) and weight (float) of each influence.
template <>
struct ValueTraits<SkinningWeights> {
    static void Write(OArchive& writer, const SkinningWeights& value);
    static SkinningWeights Read(IArchive& reader);
    static bool Equal(const SkinningWeights& a, const SkinningWeights& b) { return a == b; }
};

// --- Typed and class-bound property infos -----------------------------------------
template <class T>
class TypedPropertyInfo : public PropertyInfo {
public:
    typedef T ValueType;

    TypedPropertyInfo(const std::string& name, uint32_t flags, ClassInfo* ownerClass)
        : PropertyInfo(name, flags, ownerClass) {}

    const std::type_info& GetValueType() const override { return typeid(T); }
    bool IsEqual(Object* a, Object* b) const override { return ValueTraits<T>::Equal(GetValue(a), GetValue(b)); }
    void CopyValue(Object* source, Object* destination) const override { SetValue(destination, GetValue(source)); }
    void ReadFromArchive(Object* object, IArchive& reader) const override {
        SetValue(object, ValueTraits<T>::Read(reader));
    }
    void WriteToArchive(Object* object, OArchive& writer) const override {
        ValueTraits<T>::Write(writer, GetValue(object));
    }

    virtual T GetValue(Object* object) const = 0;
    virtual void SetValue(Object* object, T value) const = 0;
};

typedef TypedPropertyInfo<int32_t> IntPropertyInfo;
typedef TypedPropertyInfo<bool> BoolPropertyInfo;
typedef TypedPropertyInfo<float> FloatPropertyInfo;
typedef TypedPropertyInfo<std::string> StringPropertyInfo;

// A property bound to the getter and setter of the owner class; a null setter makes
// it read-only.
template <class Owner, class T>
class ClassPropertyInfo : public TypedPropertyInfo<T> {
public:
    typedef std::function<T(Owner*)> Getter;
    typedef std::function<void(Owner*, T)> Setter;

    ClassPropertyInfo(const std::string& name, Getter getter, Setter setter, uint32_t flags)
        : TypedPropertyInfo<T>(name, setter ? flags : (flags | PROPERTY_READONLY), &Owner::staticClassInfo),
          getter(std::move(getter)),
          setter(std::move(setter)) {}

    T GetValue(Object* object) const override { return getter(static_cast<Owner*>(object)); }
    void SetValue(Object* object, T value) const override {
        if (this->flags & PROPERTY_READONLY)
            Panic("Common\\PropertyInfo.h", 165, "Attempt to write read-only property");
        setter(static_cast<Owner*>(object), std::move(value));
    }

private:
    Getter getter;
    Setter setter;
};

// --- Animatable properties --------------------------------------------------------
typedef void (*KeyCallback)(Object* target, Object* animator, int32_t keyIndex);

// The class record of the animator class for values of type T; provided with the
// animator classes.
template <class T>
struct AnimatorClassFor;

struct AnimatablePropertyEntry {
    ClassInfo* animatorClass;
    ClassInfo* ownerClass;
    PropertyInfo* property;
    KeyCallback keyCallback;
};

class AnimatablePropertyRegistry {
public:
    static AnimatablePropertyRegistry& GetInstance();

    // A second entry for the same property replaces the first.
    void Register(const AnimatablePropertyEntry& entry);
    // Null when the property has no entry.
    const AnimatablePropertyEntry* Find(const PropertyInfo* property) const;

private:
    AnimatablePropertyRegistry() {}
    std::map<const PropertyInfo*, AnimatablePropertyEntry> entries;
};

// --- Registration helpers for declare-properties functions ------------------------
template <class Owner, class T>
PropertyInfo* RegisterProperty(const std::string& name, typename ClassPropertyInfo<Owner, T>::Getter getter,
                               typename ClassPropertyInfo<Owner, T>::Setter setter, uint32_t flags = 0) {
    PropertyInfo* property = new ClassPropertyInfo<Owner, T>(name, std::move(getter), std::move(setter), flags);
    Owner::staticClassInfo.RegisterProperty(property);
    return property;
}

template <class Owner, class T>
void RegisterAnimatableProperty(const std::string& name, typename ClassPropertyInfo<Owner, T>::Getter getter,
                                typename ClassPropertyInfo<Owner, T>::Setter setter, KeyCallback keyCallback) {
    Owner::staticClassInfo.RegisterProperty(
        new ClassPropertyInfo<Owner, T>(name, std::move(getter), std::move(setter), 0));
    PropertyInfo* property = Owner::staticClassInfo.GetProperty(name, false);
    AnimatablePropertyRegistry::GetInstance().Register(
        {AnimatorClassFor<T>::Get(), &Owner::staticClassInfo, property, keyCallback});
}

template <class Owner, class T>
void RegisterObsoleteAnimatableProperty(const std::string& name, typename ClassPropertyInfo<Owner, T>::Getter getter,
                                        typename ClassPropertyInfo<Owner, T>::Setter setter) {
    Owner::staticClassInfo.RegisterProperty(
        new ClassPropertyInfo<Owner, T>(name, std::move(getter), std::move(setter), PROPERTY_OBSOLETE));
    PropertyInfo* property = Owner::staticClassInfo.GetObsoleteProperty(name, false);
    AnimatablePropertyRegistry::GetInstance().Register(
        {AnimatorClassFor<T>::Get(), &Owner::staticClassInfo, property, nullptr});
}

}  // namespace Zep
