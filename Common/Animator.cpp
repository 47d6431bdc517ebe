#include "Common/Animator.h"

#include "Common/AnimableObject.h"
#include "Common/Archive.h"
#include "Common/ClassRegistry.h"
#include "Common/StringUtils.h"

namespace Zep {

void Animator::DeclareProperties() {}

Animator::Animator() : binding(nullptr), loadedObsoleteProperty(false) {
    SetClassInfo(&staticClassInfo);
}

Animator::Animator(const Animator& other)
    : Object(other), binding(other.binding), loadedObsoleteProperty(other.loadedObsoleteProperty) {}

namespace {

std::string PropertyText(const AnimatablePropertyEntry& entry) {
    return entry.property->GetName() + "@" + entry.ownerClass->GetName();
}

}  // namespace

void Animator::Bind(const AnimatablePropertyEntry* entry) {
    if (entry && !GetClassInfo()->IsKindOf(entry->animatorClass))
        ZEP_PANIC("Animator class mismatch: " + GetClassName() + " for " + PropertyText(*entry));
    binding = entry;
    loadedObsoleteProperty = false;
}

bool Animator::NamesObsoleteProperty() const {
    return binding ? binding->property->IsObsolete() : loadedObsoleteProperty;
}

PropertyInfo* Animator::GetBoundProperty() const {
    ZEP_ASSERT(binding != nullptr);
    return binding->property;
}

void Animator::SaveProperties(OArchive& writer) {
    if (!binding)
        AssertionFailed("Common\\Animator.cpp", 231);
    writer.BeginField("Property");
    writer.WriteString(PropertyText(*binding));
    writer.EndField();
    GetKeySequence().WriteToArchive(writer);
}

void Animator::LoadProperties(IArchive& reader) {
    ExpectFieldName(reader, "Property");
    const std::string text = reader.ReadString();
    reader.EndField();
    const StringVector parts = Split(text, '@');
    if (parts.size() != 2)
        AssertionFailed("Common\\Animator.cpp", 240);
    ClassInfo* owner = ClassRegistry::GetInstance().GetClass(parts[1]);
    PropertyInfo* property = owner->FindProperty(parts[0], false);
    if (!property)
        property = owner->GetObsoleteProperty(parts[0], false);
    const AnimatablePropertyEntry* entry = AnimatablePropertyRegistry::GetInstance().Find(property);
    if (entry) {
        Bind(entry);
    } else {
        // Not animatable: an obsolete property's animator is dropped by the
        // collection reading it; any other would stay unbound, which nothing
        // can use.
        if (!property->IsObsolete())
            ZEP_PANIC("Property is not animatable: " + text);
        binding = nullptr;
        loadedObsoleteProperty = true;
    }
    GetKeySequence().ReadFromArchive(reader);
}

void Animator::FireKeyCallback(Object* target, int32_t frame) {
    if (!binding)
        AssertionFailed("Common\\Animator.cpp", 262);
    int32_t index = 0;
    if (binding->keyCallback && GetKeySequence().FindKey(frame, index))
        binding->keyCallback(target, this, index);
}

// --- AnimatorCollection ------------------------------------------------------------
Animator* AnimatorCollection::Find(const std::string& propertyName) const {
    for (int32_t i = 0; i < GetCount(); ++i) {
        Animator* animator = Get(i);
        if (animator && animator->IsBound() && animator->GetBinding()->property->GetName() == propertyName)
            return animator;
    }
    return nullptr;
}

void AnimatorCollection::Set(const std::string& propertyName, Animator* animator) {
    ZEP_ASSERT(animator != nullptr);
    if (!animator->IsBound()) {
        PropertyInfo* property = owner->GetClassInfo()->GetProperty(propertyName, true);
        animator->Bind(AnimatablePropertyRegistry::GetInstance().Find(property));
    }
    Add(animator);
}

Animator* AnimatorCollection::Create(const std::string& propertyName) {
    if (Animator* found = Find(propertyName))
        return found;
    PropertyInfo* property = owner->GetClassInfo()->GetProperty(propertyName, true);
    const AnimatablePropertyEntry* entry = AnimatablePropertyRegistry::GetInstance().Find(property);
    if (!entry)
        return nullptr;
    Object* object = entry->animatorClass->CreateInstance();
    Animator* animator = dynamic_cast<Animator*>(object);
    if (!animator)
        delete object;
    ZEP_ASSERT(animator != nullptr);
    animator->Bind(entry);
    Set(propertyName, animator);
    return animator;
}

void AnimatorCollection::Erase(const std::string& propertyName) {
    if (Animator* animator = Find(propertyName))
        Remove(animator);
}

// The old animators go first: kept until their slots are overwritten, one of them
// could clash with a clone of the same property put at another index.
void AnimatorCollection::CopyFrom(const AnimatorCollection& other) {
    if (&other == this)
        return;
    Resize(0);
    Resize(other.GetCount());
    for (int32_t i = 0; i < other.GetCount(); ++i) {
        const Animator* source = other.Get(i);
        Put(i, source ? source->Clone() : nullptr);
    }
}

void AnimatorCollection::OnInsert(int32_t index) {
    if (index < 0 || index >= GetCount())
        Detail::CollectionIndexOutOfBounds(291);
    const Animator* inserted = Get(index);
    if (!inserted || !inserted->IsBound())
        return;
    for (int32_t i = 0; i < GetCount(); ++i) {
        const Animator* animator = Get(i);
        if (i != index && animator && animator->IsBound() &&
            animator->GetBinding()->property == inserted->GetBinding()->property)
            AssertionFailed("Common\\Animator.cpp", 100);
    }
}

}  // namespace Zep
