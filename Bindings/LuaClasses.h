// The engine classes whose operations scripts may implement: each Lua__ class derives
// from its engine class and from ToluaBase, and each overridable operation calls the
// linked script object's method of the same name, or else runs the engine's own
// implementation. The engine calls them through their ordinary virtual operations.
//
// The functions named Class__Operation call the engine's implementation directly, so
// that a script's method can extend it; the packages register each on the class that
// introduces it.
#pragma once

#include <cstdint>
#include <string>

#include "Bindings/ToluaBase.h"
#include "Common/Actor.h"
#include "Common/Application.h"
#include "Common/ClassInfo.h"
#include "Common/Collection.h"
#include "Common/Control.h"
#include "Common/Graphic.h"
#include "Common/Object.h"
#include "Common/ProfileSystem.h"
#include "Common/PropertyInfo.h"
#include "Common/Scene.h"
#include "Common/StringUtils.h"
#include "Common/iPhoneStore.h"

namespace Zep {

class InputEvent;

// --- Objects and the actor family -----------------------------------------------------

class Lua__Object : public Object, public ToluaBase {
public:
    void ToLuaEnforceClassWrapper() override;
    void Object__ToLuaEnforceClassWrapper() { Object::ToLuaEnforceClassWrapper(); }
};

// The overrides of the actor's operations, shared by the four actor classes.
template <class Base>
class ScriptActor : public Base, public ToluaBase {
public:
    void ToLuaEnforceClassWrapper() override;
    void Assign(Actor* other) override;
    void AssignRecursive(Actor* other) override;
    void Update(int32_t timeDelta) override;
    bool HitTestInContext(const RenderContext& context, const Vector2& point) override;
    void RenderInContext(const RenderContext& context) override;
    void OnBasePathChanged() override;
};

// The graphic's, added.
template <class Base>
class ScriptGraphic : public ScriptActor<Base> {
public:
    Vector2 GetDefaultSize() override;
    void SetCursor(int32_t device, Graphic* cursor) override;
};

// The control's, added.
template <class Base>
class ScriptControl : public ScriptGraphic<Base> {
public:
    void DoFocusedInput(const InputEvent& event) override;
    void DoModalInput(const InputEvent& event) override;
    void DoOtherInput(const InputEvent& event) override;
    bool WantInput() override;
    bool WantFocus() override;
};

class Lua__Actor : public ScriptActor<Actor> {
public:
    void Actor__Assign(Actor* other) { Actor::Assign(other); }
    void Actor__AssignRecursive(Actor* other) { Actor::AssignRecursive(other); }
    void Actor__Update(int32_t timeDelta) { Actor::Update(timeDelta); }
    bool Actor__HitTestInContext(const RenderContext& context, const Vector2& point) {
        return Actor::HitTestInContext(context, point);
    }
    void Actor__RenderInContext(const RenderContext& context) { Actor::RenderInContext(context); }
    void Actor__OnBasePathChanged() { Actor::OnBasePathChanged(); }
};

class Lua__Graphic : public ScriptGraphic<Graphic> {
public:
    Vector2 Graphic__GetDefaultSize() { return Graphic::GetDefaultSize(); }
    void Graphic__SetCursor(int32_t device, Graphic* cursor) { Graphic::SetCursor(device, cursor); }
};

class Lua__Control : public ScriptControl<Control> {
public:
    void Control__DoFocusedInput(const InputEvent& event) { Control::DoFocusedInput(event); }
    void Control__DoModalInput(const InputEvent& event) { Control::DoModalInput(event); }
    void Control__DoOtherInput(const InputEvent& event) { Control::DoOtherInput(event); }
    bool Control__WantInput() { return Control::WantInput(); }
    bool Control__WantFocus() { return Control::WantFocus(); }
};

class Lua__Scene : public ScriptControl<Scene> {
public:
    void OnButtonClick(Button* button) override;
    void OnSliderChange(Slider* slider) override;
    void OnEditChange(Edit* edit) override;

    void Scene__Update(int32_t timeDelta) { Scene::Update(timeDelta); }
    void Scene__DoFocusedInput(const InputEvent& event) { Scene::DoFocusedInput(event); }
    void Scene__DoModalInput(const InputEvent& event) { Scene::DoModalInput(event); }
    void Scene__DoOtherInput(const InputEvent& event) { Scene::DoOtherInput(event); }
    bool Scene__WantInput() { return Scene::WantInput(); }
    bool Scene__WantFocus() { return Scene::WantFocus(); }
    void Scene__OnButtonClick(Button* button) { Scene::OnButtonClick(button); }
    void Scene__OnSliderChange(Slider* slider) { Scene::OnSliderChange(slider); }
    void Scene__OnEditChange(Edit* edit) { Scene::OnEditChange(edit); }
};

// --- Reflection -------------------------------------------------------------------------

// A class defined by a script: a class record of that name (replacing a registered class
// of the same name) without factory, whose instances come from the script's
// CreateInstance.
class Lua__ClassInfo : public ClassInfo, public ToluaBase {
public:
    Lua__ClassInfo(const std::string& name, ClassInfo* baseClassInfo);

    // The script's answer counts when it is a live engine object.
    Object* CreateInstance() override;
    Object* ClassInfo__CreateInstance() { return ClassInfo::CreateInstance(); }
};

// A collection of a script-defined class: the script's GetCollection finds it inside the
// owner, as the script keeps it.
class Lua__ObjectCollectionInfo : public ObjectCollectionInfo, public ToluaBase {
public:
    explicit Lua__ObjectCollectionInfo(const std::string& name);

    // The script's answer must be an ObjectCollection: anything else fails an assertion,
    // as the collection operations cannot go on without one.
    ObjectCollection* GetCollection(Object* owner) override;
    ObjectCollection* ObjectCollectionInfo__GetCollection(Object* owner) {
        return ObjectCollectionInfo::GetCollection(owner);
    }
};

// A property of a script-defined class: the script's GetValue and SetValue read and
// write it, so it loads and saves like the engine's properties.
template <class T>
class ScriptPropertyInfo : public TypedPropertyInfo<T>, public ToluaBase {
public:
    ScriptPropertyInfo(const std::string& name, ClassInfo* ownerClass, uint32_t flags)
        : TypedPropertyInfo<T>(name, flags, ownerClass) {}

    T GetValue(Object* object) const override;
    void SetValue(Object* object, T value) const override;
};

class Lua__IntPropertyInfo : public ScriptPropertyInfo<int32_t> {
public:
    Lua__IntPropertyInfo(const std::string& name, ClassInfo* ownerClass, uint32_t flags)
        : ScriptPropertyInfo(name, ownerClass, flags) {}
};

class Lua__BoolPropertyInfo : public ScriptPropertyInfo<bool> {
public:
    Lua__BoolPropertyInfo(const std::string& name, ClassInfo* ownerClass, uint32_t flags)
        : ScriptPropertyInfo(name, ownerClass, flags) {}
};

class Lua__FloatPropertyInfo : public ScriptPropertyInfo<float> {
public:
    Lua__FloatPropertyInfo(const std::string& name, ClassInfo* ownerClass, uint32_t flags)
        : ScriptPropertyInfo(name, ownerClass, flags) {}
};

class Lua__StringPropertyInfo : public ScriptPropertyInfo<std::string> {
public:
    Lua__StringPropertyInfo(const std::string& name, ClassInfo* ownerClass, uint32_t flags)
        : ScriptPropertyInfo(name, ownerClass, flags) {}
};

// --- Application and services -----------------------------------------------------------

class Lua__ApplicationListener : public ApplicationListener, public ToluaBase {
public:
    void OnUpdate(int timeDelta) override;
    void OnClose() override;
    void OnInputDeviceListChange() override;
    void OnException(std::string text) override;

    void ApplicationListener__OnUpdate(int timeDelta) { ApplicationListener::OnUpdate(timeDelta); }
    void ApplicationListener__OnClose() { ApplicationListener::OnClose(); }
    void ApplicationListener__OnInputDeviceListChange() { ApplicationListener::OnInputDeviceListChange(); }
    void ApplicationListener__OnException(std::string text) { ApplicationListener::OnException(std::move(text)); }
};

class Lua__iPhoneStore : public iPhoneStore, public ToluaBase {
public:
    void ProductDataReceived(const StringVector& products, const StringVector& invalidIds) override;
    void ProductRequestFailed(const std::string& error) override;
    void ProductPurchased(const std::string& productId) override;
    void PurchaseFailed(const std::string& productId, const std::string& error, bool flag) override;

    void iPhoneStore__ProductDataReceived(const StringVector& products, const StringVector& invalidIds) {
        iPhoneStore::ProductDataReceived(products, invalidIds);
    }
    void iPhoneStore__ProductRequestFailed(const std::string& error) { iPhoneStore::ProductRequestFailed(error); }
    void iPhoneStore__ProductPurchased(const std::string& productId) { iPhoneStore::ProductPurchased(productId); }
    void iPhoneStore__PurchaseFailed(const std::string& productId, const std::string& error, bool flag) {
        iPhoneStore::PurchaseFailed(productId, error, flag);
    }
};

// Known to scripts by name only: no object of this class is ever made, and linking one
// must not touch the engine's profile system.
class Lua__ProfileSystem : public ProfileSystem {
public:
    Lua__ProfileSystem() = delete;

    void tolua__set_instance(lua_State*, int) {}
    std::string ProfileSystem__GetProfilePath() { return std::string(); }
};

}  // namespace Zep
