#include "Bindings/LuaClasses.h"

#include "Common/Button.h"
#include "Common/CoreUtils.h"
#include "Common/Edit.h"
#include "Common/InputEvent.h"
#include "Common/Slider.h"

namespace Zep {

namespace {

typedef ToluaBase::ObjectValue ObjectValue;
typedef ToluaBase::UserDataValue UserDataValue;

}  // namespace

// --- Objects and the actor family -----------------------------------------------------

void Lua__Object::ToLuaEnforceClassWrapper() {
    CallMethod("ToLuaEnforceClassWrapper", 0);
}

template <class Base>
void ScriptActor<Base>::ToLuaEnforceClassWrapper() {
    this->CallMethod("ToLuaEnforceClassWrapper", 0);
}

template <class Base>
void ScriptActor<Base>::Assign(Actor* other) {
    if (!this->CallMethod("Assign", 0, ObjectValue{other, "const Zep::Actor"}))
        Base::Assign(other);
}

template <class Base>
void ScriptActor<Base>::AssignRecursive(Actor* other) {
    if (!this->CallMethod("AssignRecursive", 0, ObjectValue{other, "const Zep::Actor"}))
        Base::AssignRecursive(other);
}

template <class Base>
void ScriptActor<Base>::Update(int32_t timeDelta) {
    if (!this->CallMethod("Update", 0, timeDelta))
        Base::Update(timeDelta);
}

template <class Base>
bool ScriptActor<Base>::HitTestInContext(const RenderContext& context, const Vector2& point) {
    if (lua_State* state = this->CallMethod("HitTestInContext", 1, UserDataValue{&context, "const Zep::RenderContext"},
                                            UserDataValue{&point, "const Zep::Vector2"}))
        return PopBoolean(state);
    return Base::HitTestInContext(context, point);
}

template <class Base>
void ScriptActor<Base>::RenderInContext(const RenderContext& context) {
    if (!this->CallMethod("RenderInContext", 0, UserDataValue{&context, "const Zep::RenderContext"}))
        Base::RenderInContext(context);
}

template <class Base>
void ScriptActor<Base>::OnBasePathChanged() {
    if (!this->CallMethod("OnBasePathChanged", 0))
        Base::OnBasePathChanged();
}

template <class Base>
Vector2 ScriptGraphic<Base>::GetDefaultSize() {
    if (lua_State* state = this->CallMethod("GetDefaultSize", 1))
        return ToluaBase::PopVector2(state);
    return Base::GetDefaultSize();
}

template <class Base>
void ScriptGraphic<Base>::SetCursor(int32_t device, Graphic* cursor) {
    if (!this->CallMethod("SetCursor", 0, device, ObjectValue{cursor, "Zep::Graphic"}))
        Base::SetCursor(device, cursor);
}

template <class Base>
void ScriptControl<Base>::DoFocusedInput(const InputEvent& event) {
    if (!this->CallMethod("DoFocusedInput", 0, UserDataValue{&event, "const Zep::InputEvent"}))
        Base::DoFocusedInput(event);
}

template <class Base>
void ScriptControl<Base>::DoModalInput(const InputEvent& event) {
    if (!this->CallMethod("DoModalInput", 0, UserDataValue{&event, "const Zep::InputEvent"}))
        Base::DoModalInput(event);
}

template <class Base>
void ScriptControl<Base>::DoOtherInput(const InputEvent& event) {
    if (!this->CallMethod("DoOtherInput", 0, UserDataValue{&event, "const Zep::InputEvent"}))
        Base::DoOtherInput(event);
}

template <class Base>
bool ScriptControl<Base>::WantInput() {
    if (lua_State* state = this->CallMethod("WantInput", 1))
        return ToluaBase::PopBoolean(state);
    return Base::WantInput();
}

template <class Base>
bool ScriptControl<Base>::WantFocus() {
    if (lua_State* state = this->CallMethod("WantFocus", 1))
        return ToluaBase::PopBoolean(state);
    return Base::WantFocus();
}

template class ScriptActor<Actor>;
template class ScriptActor<Graphic>;
template class ScriptActor<Control>;
template class ScriptActor<Scene>;
template class ScriptGraphic<Graphic>;
template class ScriptGraphic<Control>;
template class ScriptGraphic<Scene>;
template class ScriptControl<Control>;
template class ScriptControl<Scene>;

void Lua__Scene::OnButtonClick(Button* button) {
    if (!CallMethod("OnButtonClick", 0, ObjectValue{button, "Zep::Button"}))
        Scene::OnButtonClick(button);
}

void Lua__Scene::OnSliderChange(Slider* slider) {
    if (!CallMethod("OnSliderChange", 0, ObjectValue{slider, "Zep::Slider"}))
        Scene::OnSliderChange(slider);
}

void Lua__Scene::OnEditChange(Edit* edit) {
    if (!CallMethod("OnEditChange", 0, ObjectValue{edit, "Zep::Edit"}))
        Scene::OnEditChange(edit);
}

// --- Reflection -------------------------------------------------------------------------

Lua__ClassInfo::Lua__ClassInfo(const std::string& name, ClassInfo* baseClassInfo)
    : ClassInfo(name, baseClassInfo, nullptr, nullptr, false) {}

Object* Lua__ClassInfo::CreateInstance() {
    if (lua_State* state = CallMethod("CreateInstance", 1))
        return PopObject(state);
    return ClassInfo::CreateInstance();
}

Lua__ObjectCollectionInfo::Lua__ObjectCollectionInfo(const std::string& name) : ObjectCollectionInfo(name, nullptr) {}

ObjectCollection* Lua__ObjectCollectionInfo::GetCollection(Object* owner) {
    lua_State* state = CallMethod("GetCollection", 1, ObjectValue{owner, "Zep::Object"});
    if (!state)
        return ObjectCollectionInfo::GetCollection(owner);
    ObjectCollection* collection = static_cast<ObjectCollection*>(PopUserData(state, "Zep::ObjectCollection"));
    ZEP_ASSERT_MSG(collection != nullptr, "GetCollection answered no ObjectCollection");
    return collection;
}

namespace {

// The base class's name in the texts of the operations the engine does not implement.
template <class T>
struct PropertyNames;

template <>
struct PropertyNames<int32_t> {
    static constexpr const char* getValue = "Zep::IntPropertyInfo::GetValue";
    static constexpr const char* setValue = "Zep::IntPropertyInfo::SetValue";
    static int32_t Pop(lua_State* state) { return ToluaBase::PopInteger(state); }
};

template <>
struct PropertyNames<bool> {
    static constexpr const char* getValue = "Zep::BoolPropertyInfo::GetValue";
    static constexpr const char* setValue = "Zep::BoolPropertyInfo::SetValue";
    static bool Pop(lua_State* state) { return ToluaBase::PopBoolean(state); }
};

template <>
struct PropertyNames<float> {
    static constexpr const char* getValue = "Zep::FloatPropertyInfo::GetValue";
    static constexpr const char* setValue = "Zep::FloatPropertyInfo::SetValue";
    static float Pop(lua_State* state) { return ToluaBase::PopFloat(state); }
};

template <>
struct PropertyNames<std::string> {
    static constexpr const char* getValue = "Zep::StringPropertyInfo::GetValue";
    static constexpr const char* setValue = "Zep::StringPropertyInfo::SetValue";
    static std::string Pop(lua_State* state) { return ToluaBase::PopText(state); }
};

}  // namespace

template <class T>
T ScriptPropertyInfo<T>::GetValue(Object* object) const {
    if (lua_State* state = CallMethod("GetValue", 1, ObjectValue{object, "const Zep::Object"}))
        return PropertyNames<T>::Pop(state);
    NotImplemented(PropertyNames<T>::getValue);
}

template <class T>
void ScriptPropertyInfo<T>::SetValue(Object* object, T value) const {
    if (!CallMethod("SetValue", 0, ObjectValue{object, "Zep::Object"}, value))
        NotImplemented(PropertyNames<T>::setValue);
}

template class ScriptPropertyInfo<int32_t>;
template class ScriptPropertyInfo<bool>;
template class ScriptPropertyInfo<float>;
template class ScriptPropertyInfo<std::string>;

// --- Application and services -----------------------------------------------------------

void Lua__ApplicationListener::OnUpdate(int timeDelta) {
    CallMethod("OnUpdate", 0, static_cast<int32_t>(timeDelta));
}

void Lua__ApplicationListener::OnClose() {
    CallMethod("OnClose", 0);
}

void Lua__ApplicationListener::OnInputDeviceListChange() {
    CallMethod("OnInputDeviceListChange", 0);
}

void Lua__ApplicationListener::OnException(std::string text) {
    CallMethod("OnException", 0, text);
}

void Lua__iPhoneStore::ProductDataReceived(const StringVector& products, const StringVector& invalidIds) {
    CallMethod("ProductDataReceived", 0, UserDataValue{&products, "const Zep::StringVector"},
               UserDataValue{&invalidIds, "const Zep::StringVector"});
}

void Lua__iPhoneStore::ProductRequestFailed(const std::string& error) {
    CallMethod("ProductRequestFailed", 0, error);
}

void Lua__iPhoneStore::ProductPurchased(const std::string& productId) {
    CallMethod("ProductPurchased", 0, productId);
}

void Lua__iPhoneStore::PurchaseFailed(const std::string& productId, const std::string& error, bool flag) {
    CallMethod("PurchaseFailed", 0, productId, error, flag);
}

}  // namespace Zep
