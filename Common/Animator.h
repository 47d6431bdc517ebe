// Animators and the collection an animable object keeps them in. An animator
// drives one animatable property of its target over time through a key sequence.
#pragma once

#include <cstdint>
#include <string>

#include "Common/Collection.h"
#include "Common/CoreUtils.h"
#include "Common/KeySequence.h"
#include "Common/Object.h"
#include "Common/PropertyInfo.h"

namespace Zep {

class AnimableObject;

class Animator : public Object {
    ZEP_DECLARE_CLASS();

    Animator();
    // The copy keeps the binding and draws an id of its own.
    Animator(const Animator& other);

    // "Property" as "Name@Owner" (the class that registered the property), then the
    // keys. Always written whole.
    void LoadProperties(IArchive& reader) override;
    void SaveProperties(OArchive& writer) override;

    // A new animator of the same class and binding that shares the key record.
    virtual Animator* Clone() const = 0;
    // Sets the bound property of the target from the keys at the time; true when a
    // value was set.
    virtual bool Apply(Object* target, int32_t timeMs) = 0;
    // Sets a key at the frame from the target's current value.
    virtual void Capture(Object* target, int32_t frame, uint32_t attributes) = 0;
    // Shares the keys and the binding of another animator of this class.
    virtual void ShareKeysFrom(Animator* other) = 0;
    virtual const KeySequence& GetKeySequence() const = 0;
    virtual KeySequence& GetKeySequence() = 0;

    // Captures a linear key.
    void Capture(Object* target, int32_t frame) { Capture(target, frame, 0); }
    // Calls the property's key callback when a key stands exactly on the frame.
    void FireKeyCallback(Object* target, int32_t frame);

    // --- The key sequence's operations ---
    int32_t GetLastFrameNumber() const { return GetKeySequence().GetLastFrameNumber(); }
    int32_t GetKeyCount() const { return GetKeySequence().GetKeyCount(); }
    void RemoveKey(int32_t index) { GetKeySequence().RemoveKey(index); }
    bool FindKey(int32_t frame, int32_t& index) const { return GetKeySequence().FindKey(frame, index); }
    bool FindEffectiveKey(int32_t frame, int32_t& index) const {
        return GetKeySequence().FindEffectiveKey(frame, index);
    }
    int32_t GetFrameNumber(int32_t index) const { return GetKeySequence().GetFrameNumber(index); }
    uint32_t GetAttributes(int32_t index) const { return GetKeySequence().GetAttributes(index); }

    // --- Binding ---
    // The registry entry of the animated property; null while unbound.
    const AnimatablePropertyEntry* GetBinding() const { return binding; }
    bool IsBound() const { return binding != nullptr; }
    // Binds to the property of the entry (null unbinds). An entry whose animator
    // class this animator is not of panics: the animator would write values of the
    // wrong type.
    void Bind(const AnimatablePropertyEntry* entry);
    // True when the property the animator was bound to, or named when it was
    // loaded, is obsolete: a collection drops such animators when it reads them.
    bool NamesObsoleteProperty() const;

protected:
    // The bound property; an unbound animator cannot be applied or captured.
    PropertyInfo* GetBoundProperty() const;

    const AnimatablePropertyEntry* binding;
    // Loading named an obsolete property that has no registry entry.
    bool loadedObsoleteProperty;
};

// The animator of the values of one type.
template <class T>
class TypedAnimator : public Animator {
    ZEP_DECLARE_CLASS();

    TypedAnimator() { SetClassInfo(&staticClassInfo); }
    TypedAnimator(const TypedAnimator& other) = default;

    Animator* Clone() const override { return new TypedAnimator(*this); }

    bool Apply(Object* target, int32_t timeMs) override {
        const TypedPropertyInfo<T>* property = static_cast<const TypedPropertyInfo<T>*>(GetBoundProperty());
        // 20 frames per second. The product is taken in 64 bits: in 32 it overflows
        // after some 30 hours of a running timeline.
        const float frame = static_cast<float>(static_cast<int64_t>(timeMs) * 20) * 0.001f;
        T value{};
        if (!keys.Evaluate(frame, value))
            return false;
        property->SetValue(target, value);
        return true;
    }

    using Animator::Capture;
    void Capture(Object* target, int32_t frame, uint32_t attributes) override {
        const TypedPropertyInfo<T>* property = static_cast<const TypedPropertyInfo<T>*>(GetBoundProperty());
        keys.SetKey(frame, property->GetValue(target), attributes);
    }

    void ShareKeysFrom(Animator* other) override {
        ZEP_ASSERT(other && other->GetClassInfo()->IsKindOf(&staticClassInfo));
        const TypedAnimator* source = static_cast<const TypedAnimator*>(other);
        keys.ShareFrom(source->keys);
        binding = source->binding;
        loadedObsoleteProperty = source->loadedObsoleteProperty;
    }

    const TypedKeySequence<T>& GetKeySequence() const override { return keys; }
    TypedKeySequence<T>& GetKeySequence() override { return keys; }

private:
    TypedKeySequence<T> keys;
};

// The class records exist for the animated value types only, in the list of
// Common/ClassRegistrations.cpp; another type fails to link.
template <class T>
Object* TypedAnimator<T>::CreateClassInstance() {
    return new TypedAnimator<T>();
}

template <class T>
void TypedAnimator<T>::DeclareProperties() {}

// The animator class of the properties of a value type.
template <class T>
struct AnimatorClassFor {
    static ClassInfo* Get() { return &TypedAnimator<T>::staticClassInfo; }
};

// The animators of one animable object, at most one per property; owns them.
class AnimatorCollection : public Collection<AnimatorCollection, Animator> {
public:
    explicit AnimatorCollection(AnimableObject* owner) : owner(owner) { SetOwnsObjects(true); }

    AnimableObject* GetOwner() const { return owner; }

    // The animator bound to the property of that exact name; null when none is.
    Animator* Find(const std::string& propertyName) const;
    // Binds an unbound animator to the owner's property of that name (bases
    // searched) and appends it.
    void Set(const std::string& propertyName, Animator* animator);
    // The animator of the property, created when there is none; null for a property
    // that cannot be animated.
    Animator* Create(const std::string& propertyName);
    // Removes and deletes the animator of the property, if any.
    void Erase(const std::string& propertyName);
    // Replaces the content with clones of the other collection's animators, in
    // order.
    void CopyFrom(const AnimatorCollection& other);

    // The index must be in range, and no other animator may drive the same
    // property.
    void OnInsert(int32_t index);
    // Animators of obsolete properties are dropped when read.
    bool KeepReadItem(Animator* animator) { return !animator->NamesObsoleteProperty(); }

private:
    AnimableObject* owner;
};

}  // namespace Zep
