// The engine's Lua__ classes: every overridable operation as the engine calls it, the
// script link and its lifetime, script errors raised through the engine's frames,
// operations without an engine implementation, and script-defined classes in archives.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "Bindings/BindingSupport.h"
#include "Bindings/LuaClasses.h"
#include "Common/Archive.h"
#include "Common/BundleSystem.h"
#include "Common/Button.h"
#include "Common/CursorManager.h"
#include "Common/Edit.h"
#include "Common/InputEvent.h"
#include "Common/MemoryStream.h"
#include "Common/Slider.h"
#include "Common/Utils.h"
#include "ScriptTestSupport.h"
#include "TestSupport.h"

namespace {

using Zep::Actor;

// An actor that logs what its parent's operations ask of it.
class SpyActor : public Actor {
public:
    explicit SpyActor(std::string* log) : log(log) {}
    void RenderInContext(const Zep::RenderContext&) override { *log += "render "; }
    void OnBasePathChanged() override { *log += "path "; }

private:
    std::string* log;
};

// A scene that logs the notifications that reach it.
class SpyScene : public Zep::Scene {
public:
    void OnButtonClick(Zep::Button*) override { log += "click "; }
    void OnSliderChange(Zep::Slider*) override { log += "slide "; }
    void OnEditChange(Zep::Edit*) override { log += "edit "; }
    std::string log;
};

Actor* AsActor(void* object) {
    return static_cast<Actor*>(static_cast<Zep::Object*>(object));
}

class LuaClassesTest : public ScriptTestSupport::ScriptFixture {
public:
    void SetUp() override {
        ScriptFixture::SetUp();
        Zep::Application::GetInstance()->SetCursorManager(&cursors);
        // What a script method records: whether self is the linked object, then each
        // argument by its global's name, its user type or its value.
        Run("named = {} "
            "function Describe(self, ...) "
            "  local parts = {self == subject and 'self' or 'other'} "
            "  for i = 1, select('#', ...) do "
            "    local value = select(i, ...) "
            "    if named[value] then value = named[value] "
            "    elseif type(value) == 'userdata' then value = tolua.type(value) end "
            "    parts[#parts + 1] = tostring(value) "
            "  end "
            "  return table.concat(parts, ' ') "
            "end");
        Name("owner", &owner, "Zep::Object");
        Name("cursor", &cursor, "Zep::Graphic");
        Name("button", &button, "Zep::Button");
        Name("slider", &slider, "Zep::Slider");
        Name("edit", &edit, "Zep::Edit");
        Zep::Bindings::PushUserType(state, &collection, "Zep::ObjectCollection");
        lua_setglobal(state, "collection");
    }

    void TearDown() override {
        ScriptFixture::TearDown();
        Zep::Application::GetInstance()->SetCursorManager(nullptr);
    }

    // The object as the global and the name a script method records for it.
    void Name(const char* global, Zep::Object* object, const char* type) {
        SetGlobalObject(global, object, type);
        Run(std::string("named[") + global + "] = '" + global + "'");
    }

    // The engine object of the global's box.
    void* Global(const char* name) {
        lua_getglobal(state, name);
        void* object = *static_cast<void**>(lua_touserdata(state, -1));
        lua_pop(state, 1);
        return object;
    }

    std::string log;
    Zep::CursorManager cursors;
    Zep::Object owner;
    Zep::Graphic cursor;
    Zep::Button button;
    Zep::Slider slider;
    Zep::Edit edit;
    Zep::ObjectCollection collection;
};

const char* const kPlain = "(as a plain object)";
const char* const kNotImplemented = "(not implemented)";

// One overridable operation of one class.
struct Override {
    std::string created;  // the Lua__ class and its construction arguments
    std::string method;
    std::string returns;  // what the script's method returns
    std::string record;   // what it records of self and its arguments
    std::string result;   // what the engine's call gives with the script's method
    std::function<std::string(void*)> call;
    // What the call gives without the method: the engine's own; kPlain for what a plain
    // object of the engine class gives, kNotImplemented where the engine has nothing.
    std::string without = kPlain;
};

// The actor family's operations, by the first class that can be overridden in them.
std::vector<Override> ActorFamilyOverrides(LuaClassesTest& test) {
    const std::vector<std::string> actors = {"Lua__Actor()", "Lua__Graphic()", "Lua__Control()", "Lua__Scene()"};
    struct Operation {
        size_t firstClass;  // in actors
        Override override;
    };
    const auto assign = [&test](bool recursive) {
        return [&test, recursive](void* object) {
            Actor* self = AsActor(object);
            std::unique_ptr<Actor> source(Zep::CastTo<Actor>(self->GetClassInfo()->CreateInstance()));
            source->SetName("source");
            test.Name("source", source.get(), "Zep::Actor");
            recursive ? self->AssignRecursive(source.get()) : self->Assign(source.get());
            return self->GetName();
        };
    };
    // The spy child's log after an operation that reaches the children.
    const auto throughChild = [&test](std::function<void(Actor*)> operation) {
        return [&test, operation](void* object) {
            Actor* self = AsActor(object);
            self->SetCompound(true);
            self->GetActors().Clear();
            self->GetActors().Add(new SpyActor(&test.log));
            test.log.clear();
            operation(self);
            return test.log;
        };
    };
    const auto input = [](void (Zep::Control::*operation)(const Zep::InputEvent&)) {
        return [operation](void* object) {
            (static_cast<Zep::Control*>(AsActor(object))->*operation)(Zep::InputEvent(1, "KEYBOARD", 0, "A"));
            return std::string();
        };
    };
    const auto notify = [](std::function<void(Zep::Scene*)> operation) {
        return [operation](void* object) {
            SpyScene parent;
            Zep::Scene* self = static_cast<Zep::Scene*>(AsActor(object));
            self->SetParent(&parent);
            operation(self);
            self->SetParent(nullptr);
            return parent.log;
        };
    };
    const auto truth = [](bool value) { return std::string(value ? "true" : "false"); };
    const std::vector<Operation> operations = {
        {0,
         {"", "ToLuaEnforceClassWrapper", "", "self", "",
          [](void* object) {
              static_cast<Zep::Object*>(object)->ToLuaEnforceClassWrapper();
              return std::string();
          }}},
        {0, {"", "Assign", "", "self source", "", assign(false)}},
        {0, {"", "AssignRecursive", "", "self source", "", assign(true)}},
        {0,
         {"", "Update", "", "self 7", "0",
          [](void* object) {
              AsActor(object)->SetPlaying(true);
              AsActor(object)->Update(7);
              return std::to_string(AsActor(object)->GetCurrentTime());
          }}},
        {0,
         {"", "HitTestInContext", "'yes'", "self const Zep::RenderContext const Zep::Vector2", "true",
          [truth](void* object) {
              AsActor(object)->Update(0);
              return truth(AsActor(object)->HitTestInContext(Zep::RenderContext(), Zep::Vector2(500, 500)));
          }}},
        {0, {"", "RenderInContext", "", "self const Zep::RenderContext", "", throughChild([](Actor* self) {
                 self->RenderInContext(Zep::RenderContext());
             })}},
        {0, {"", "OnBasePathChanged", "", "self", "", throughChild([](Actor* self) { self->OnBasePathChanged(); })}},
        {1,
         {"", "GetDefaultSize", "Zep.Vector2(5, 6)", "self", "5,6",
          [](void* object) {
              const Zep::Vector2 size = static_cast<Zep::Graphic*>(AsActor(object))->GetDefaultSize();
              return Zep::Sprintf("%g,%g", size.x, size.y);
          }}},
        {1,
         {"", "SetCursor", "", "self 1 cursor", "none",
          [&test](void* object) {
              Zep::Graphic* self = static_cast<Zep::Graphic*>(AsActor(object));
              self->SetCursor(1, &test.cursor);
              return std::string(self->GetCursorId(1) ? "cursor" : "none");
          }}},
        {2, {"", "DoFocusedInput", "", "self const Zep::InputEvent", "", input(&Zep::Control::DoFocusedInput)}},
        {2, {"", "DoModalInput", "", "self const Zep::InputEvent", "", input(&Zep::Control::DoModalInput)}},
        {2, {"", "DoOtherInput", "", "self const Zep::InputEvent", "", input(&Zep::Control::DoOtherInput)}},
        {2,
         {"", "WantInput", "false", "self", "false",
          [truth](void* object) { return truth(static_cast<Zep::Control*>(AsActor(object))->WantInput()); }}},
        {2,
         {"", "WantFocus", "1", "self", "true",
          [truth](void* object) { return truth(static_cast<Zep::Control*>(AsActor(object))->WantFocus()); }}},
        {3, {"", "OnButtonClick", "", "self button", "", notify([&test](Zep::Scene* self) {
                 self->OnButtonClick(&test.button);
             })}},
        {3, {"", "OnSliderChange", "", "self slider", "", notify([&test](Zep::Scene* self) {
                 self->OnSliderChange(&test.slider);
             })}},
        {3, {"", "OnEditChange", "", "self edit", "", notify([&test](Zep::Scene* self) {
                 self->OnEditChange(&test.edit);
             })}},
    };
    std::vector<Override> overrides;
    for (const Operation& operation : operations) {
        for (size_t i = operation.firstClass; i < actors.size(); ++i) {
            overrides.push_back(operation.override);
            overrides.back().created = actors[i];
        }
    }
    overrides.push_back(operations[0].override);
    overrides.back().created = "Lua__Object()";
    return overrides;
}

TEST_F(LuaClassesTest, EveryOverrideGetsItsArgumentsAndGivesItsResultAndWithoutItTheEngineRuns) {
    std::vector<Override> overrides = ActorFamilyOverrides(*this);
    const auto listener = [](void (Zep::ApplicationListener::*operation)()) {
        return [operation](void* object) {
            (static_cast<Zep::ApplicationListener*>(object)->*operation)();
            return std::string();
        };
    };
    const auto store = [](std::function<void(Zep::iPhoneStore*)> operation) {
        return [operation](void* object) {
            operation(static_cast<Zep::iPhoneStore*>(object));
            return std::string();
        };
    };
    const auto created = [this](void* object) {
        Zep::Object* instance = static_cast<Zep::ClassInfo*>(object)->CreateInstance();
        return std::string(instance == &owner ? "owner" : instance ? "other" : "null");
    };
    const auto value = [this](auto* typed) {
        return [this, typed](void* object) {
            const auto result = static_cast<decltype(typed)>(object)->GetValue(&owner);
            if constexpr (std::is_same<decltype(result), const std::string>::value)
                return result;
            else if constexpr (std::is_same<decltype(result), const bool>::value)
                return std::string(result ? "true" : "false");
            else
                return Zep::Sprintf("%g", static_cast<double>(result));
        };
    };
    const auto set = [this](auto* typed, auto newValue) {
        return [this, newValue](void* object) {
            static_cast<decltype(typed)>(object)->SetValue(&owner, newValue);
            return std::string();
        };
    };
    const std::vector<Override> others = {
        {"Lua__ApplicationListener()", "OnUpdate", "", "self 16", "",
         [](void* object) {
             static_cast<Zep::ApplicationListener*>(object)->OnUpdate(16);
             return std::string();
         },
         ""},
        {"Lua__ApplicationListener()", "OnClose", "", "self", "", listener(&Zep::ApplicationListener::OnClose), ""},
        {"Lua__ApplicationListener()", "OnInputDeviceListChange", "", "self", "",
         listener(&Zep::ApplicationListener::OnInputDeviceListChange), ""},
        {"Lua__ApplicationListener()", "OnException", "", "self boom", "",
         [](void* object) {
             static_cast<Zep::ApplicationListener*>(object)->OnException("boom");
             return std::string();
         },
         ""},
        {"Lua__iPhoneStore()", "ProductDataReceived", "", "self const Zep::StringVector const Zep::StringVector", "",
         store([](Zep::iPhoneStore* self) { self->ProductDataReceived({"game.coins"}, {}); }), ""},
        {"Lua__iPhoneStore()", "ProductRequestFailed", "", "self offline", "",
         store([](Zep::iPhoneStore* self) { self->ProductRequestFailed("offline"); }), ""},
        {"Lua__iPhoneStore()", "ProductPurchased", "", "self game.coins", "",
         store([](Zep::iPhoneStore* self) { self->ProductPurchased("game.coins"); }), ""},
        {"Lua__iPhoneStore()", "PurchaseFailed", "", "self game.coins declined true", "",
         store([](Zep::iPhoneStore* self) { self->PurchaseFailed("game.coins", "declined", true); }), ""},
        {"Lua__ClassInfo('Test::Scripted')", "CreateInstance", "owner", "self", "owner", created, "null"},
        // Only a live engine object counts.
        {"Lua__ClassInfo('Test::Gone')", "CreateInstance",
         "(function() local gone = Zep.Object:new() gone:delete() return gone end)()", "self", "null", created, "null"},
        {"Lua__ClassInfo('Test::Value')", "CreateInstance", "Zep.Vector2(1, 2)", "self", "null", created, "null"},
        {"Lua__ObjectCollectionInfo('Items')", "GetCollection", "collection", "self owner", "collection",
         [this](void* object) {
             Zep::ObjectCollection* found = static_cast<Zep::ObjectCollectionInfo*>(object)->GetCollection(&owner);
             return std::string(found == &collection ? "collection" : "other");
         },
         kNotImplemented},
        {"Lua__IntPropertyInfo('Count', nil, 0)", "GetValue", "-7.9", "self owner", "-7",
         value(static_cast<Zep::IntPropertyInfo*>(nullptr)), kNotImplemented},
        {"Lua__IntPropertyInfo('Count', nil, 0)", "SetValue", "", "self owner 5", "",
         set(static_cast<Zep::IntPropertyInfo*>(nullptr), 5), kNotImplemented},
        {"Lua__BoolPropertyInfo('On', nil, 0)", "GetValue", "0", "self owner", "true",
         value(static_cast<Zep::BoolPropertyInfo*>(nullptr)), kNotImplemented},
        {"Lua__BoolPropertyInfo('On', nil, 0)", "SetValue", "", "self owner true", "",
         set(static_cast<Zep::BoolPropertyInfo*>(nullptr), true), kNotImplemented},
        {"Lua__FloatPropertyInfo('Speed', nil, 0)", "GetValue", "'2.5'", "self owner", "2.5",
         value(static_cast<Zep::FloatPropertyInfo*>(nullptr)), kNotImplemented},
        {"Lua__FloatPropertyInfo('Speed', nil, 0)", "SetValue", "", "self owner 1.5", "",
         set(static_cast<Zep::FloatPropertyInfo*>(nullptr), 1.5f), kNotImplemented},
        {"Lua__StringPropertyInfo('Title', nil, 0)", "GetValue", "42", "self owner", "42",
         value(static_cast<Zep::StringPropertyInfo*>(nullptr)), kNotImplemented},
        {"Lua__StringPropertyInfo('Title', nil, 0)", "SetValue", "", "self owner text", "",
         set(static_cast<Zep::StringPropertyInfo*>(nullptr), std::string("text")), kNotImplemented},
    };
    overrides.insert(overrides.end(), others.begin(), others.end());

    for (const Override& row : overrides) {
        SCOPED_TRACE(row.created + " " + row.method);
        ASSERT_EQ("", Run("subject = Zep." + row.created + " subject:tolua__set_instance(subject) record = nil " +
                          "function subject:" + row.method + "(...) record = Describe(self, ...) return " +
                          (row.returns.empty() ? "nil" : row.returns) + " end"));
        void* object = Global("subject");
        EXPECT_EQ(row.result, row.call(object));
        EXPECT_EQ(row.record, Run("return record"));

        // Without the method: the engine's own. What happens where the engine has
        // nothing is tested on its own.
        if (row.without == kNotImplemented)
            continue;
        Run("subject." + row.method + " = nil record = nil");
        std::string without = row.without;
        if (without == kPlain) {
            std::unique_ptr<Zep::Object> plain(static_cast<Zep::Object*>(object)->GetClassInfo()->CreateInstance());
            without = row.call(plain.get());
        }
        EXPECT_EQ(without, row.call(object));
        EXPECT_EQ("nil", Run("return record"));
    }
}

TEST_F(LuaClassesTest, OnlyLuaFunctionsOverrideAlsoThroughTheScriptObjectsMetatable) {
    struct Lookup {
        const char* link;
        const char* timeAndRecord;  // after the engine's Update(7)
    };
    const Lookup lookups[] = {
        {"actor:tolua__set_instance(actor)", "7,nil"},
        // A native function, such as a binding copied into the field, is no override.
        {"actor:tolua__set_instance(actor) actor.Update = Zep.Lua__Actor.Actor__Update", "7,nil"},
        {"actor:tolua__set_instance(setmetatable({}, {__index = {Update = function(self, dt) record = dt end}}))",
         "0,7"},
    };
    for (const Lookup& lookup : lookups) {
        SCOPED_TRACE(lookup.link);
        Run(std::string("record = nil actor = Zep.Lua__Actor() ") + lookup.link);
        Actor* actor = AsActor(Global("actor"));
        actor->SetPlaying(true);
        actor->Update(7);
        EXPECT_EQ(lookup.timeAndRecord, std::to_string(actor->GetCurrentTime()) + "," + Run("return record"));
    }
}

TEST_F(LuaClassesTest, LinksStayInToluabaseUntilDeleteOrTheStateCloses) {
    Run("actor = Zep.Lua__Actor:new() actor:tolua__set_instance(actor)");
    Zep::Lua__Actor* actor = static_cast<Zep::Lua__Actor*>(AsActor(Global("actor")));
    const std::string first = std::to_string(actor->GetReference());
    Run("actor:tolua__set_instance({})");
    const std::string second = std::to_string(actor->GetReference());
    const std::string entries =
        "local links = debug.getregistry().toluabase return links[" + first + "] == actor, type(links[" + second + "])";
    EXPECT_EQ("true,table", Run(entries));
    Run("actor:delete()");
    EXPECT_EQ("true,nil", Run(entries)) << "the earlier link stays until the state closes";

    // An engine object that outlives the state behaves as unlinked: the scenes of the
    // application are destroyed at exit, after the state.
    lua_State* other = Zep::CreateLuaState(false);
    tolua_Zep_open(other);
    Zep::Lua__Scene scene;
    LuaPushObject(other, &scene, "Zep::Lua__Scene");
    lua_setglobal(other, "scene");
    ASSERT_EQ(0, luaL_dostring(other, "scene:tolua__set_instance(scene) function scene:Update() error('closed') end"));
    EXPECT_EQ(other, scene.GetLuaState());
    lua_close(other);
    EXPECT_EQ(nullptr, scene.GetLuaState());
    EXPECT_EQ(-2, scene.GetReference());
    scene.SetPlaying(true);
    scene.Update(7);
    EXPECT_EQ(7, scene.GetCurrentTime());
}

TEST_F(LuaClassesTest, AScriptErrorLeavesTheEngineFramesAndReachesThePcallAsTheSameValue) {
    TestSupport::TempFolder content;
    TestSupport::WriteFile(content.File("items.scene"),
                           "\"Zep::Scene\" { Actors [ \"Test::Item\" { Name \"item\" } \"Test::Item\" { } ] }");
    Zep::BundleSystem::GetInstance()->MountDirectory(content.Path());
    Run("marker = {} "
        "local actorClass = Zep.ClassRegistry:GetInstance():FindClass('Zep::Actor') "
        "item = Zep.Lua__ClassInfo('Test::Item', actorClass) item:tolua__set_instance(item) "
        "function Make(class) local made = Zep.Lua__Actor:new() made:OverrideClassInfo(class) return made end "
        "actor = Zep.Lua__Actor() actor:tolua__set_instance(actor) "
        "function Try(body) local ok, value = pcall(body) return ok, value == marker end");
    const int32_t actors = Actor::GetLiveActorCount();
    struct Failure {
        const char* fail;  // makes the override fail with the marker
        const char* mend;  // makes it work again
        const char* call;  // reaches the override through a binding and the engine
    };
    const char* const load = "Zep.LoadSceneFromFile(Zep.Scene(), 'items.scene')";
    const Failure failures[] = {
        // Through the archive reader's and the stream's frames, while reading and while
        // copying the read scene (the second copy fails).
        {"function item:CreateInstance() error(marker) end", "function item:CreateInstance() return Make(self) end",
         load},
        {"made = 0 function item:CreateInstance() made = made + 1 if made == 4 then error(marker) end "
         "return Make(self) end",
         "function item:CreateInstance() return Make(self) end", load},
        {"function actor:Update() error(marker) end", "function actor:Update() end", "actor:PlayAnimation(0)"},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.fail);
        Run(failure.fail);
        EXPECT_EQ("false,true", Run(std::string("return Try(function() ") + failure.call + " end)"));
        Run(failure.mend);
        EXPECT_EQ("true,false", Run(std::string("return Try(function() ") + failure.call + " end)"));
    }
    EXPECT_EQ("Zep::Lua__Actor", Run("local scene = Zep.Scene() Zep.LoadSceneFromFile(scene, 'items.scene') "
                                     "return tolua.type((scene:FindChild('item')))"));
    Run("collectgarbage()");
    EXPECT_EQ(actors, Actor::GetLiveActorCount()) << "nothing made on the way was left behind";
    Zep::BundleSystem::GetInstance()->Unmount(content.Path());

    // Called by the engine alone, the error leaves as the exception, with the call stack
    // at the error point.
    Run("function actor:Update() error('boom', 0) end");
    try {
        AsActor(Global("actor"))->Update(7);
        ADD_FAILURE() << "no script error";
    } catch (const Zep::Exception::ScriptError& error) {
        Zep::PushScriptError(state, error.GetReference());
        EXPECT_EQ("boom", std::string(lua_tostring(state, -1)));
        lua_pop(state, 1);
        // The function that raised it first, then the script's method with its line.
        EXPECT_EQ(0u, error.GetCallStack().find("error\nno name [defined <")) << error.GetCallStack();
    }
}

TEST_F(LuaClassesTest, OperationsWithoutAnEngineImplementationNeedTheScriptsMethod) {
    Zep::Object object;
    const std::function<void(Zep::PropertyInfo*)> operations[] = {
        [&](Zep::PropertyInfo* info) { static_cast<Zep::IntPropertyInfo*>(info)->GetValue(&object); },
        [&](Zep::PropertyInfo* info) { static_cast<Zep::IntPropertyInfo*>(info)->SetValue(&object, 1); },
        [&](Zep::PropertyInfo* info) { static_cast<Zep::BoolPropertyInfo*>(info)->GetValue(&object); },
        [&](Zep::PropertyInfo* info) { static_cast<Zep::BoolPropertyInfo*>(info)->SetValue(&object, true); },
        [&](Zep::PropertyInfo* info) { static_cast<Zep::FloatPropertyInfo*>(info)->GetValue(&object); },
        [&](Zep::PropertyInfo* info) { static_cast<Zep::FloatPropertyInfo*>(info)->SetValue(&object, 1); },
        [&](Zep::PropertyInfo* info) { static_cast<Zep::StringPropertyInfo*>(info)->GetValue(&object); },
        [&](Zep::PropertyInfo* info) { static_cast<Zep::StringPropertyInfo*>(info)->SetValue(&object, "x"); },
    };
    const char* const classes[] = {"Int", "Bool", "Float", "String"};
    for (int i = 0; i < 8; ++i) {
        const std::string base = std::string("Zep::") + classes[i / 2] + "PropertyInfo";
        const std::string method = base + (i % 2 ? "::SetValue" : "::GetValue");
        Run(std::string("info = Zep.Lua__") + classes[i / 2] +
            "PropertyInfo('Value', nil, 0) "
            "info:tolua__set_instance(info)");
        try {
            operations[i](static_cast<Zep::PropertyInfo*>(Global("info")));
            ADD_FAILURE() << method << " raised nothing";
        } catch (const Zep::Exception::ScriptError& error) {
            Zep::PushScriptError(state, error.GetReference());
            EXPECT_EQ("pure-virtual method " + method + " not implemented.", std::string(lua_tostring(state, -1)));
            lua_pop(state, 1);
        }
    }

    const TestSupport::ChildResult unlinked = TestSupport::RunInChild([&] {
        Zep::Lua__StringPropertyInfo info("Title", nullptr, 0);
        operations[7](&info);
    });
    EXPECT_EQ(-1, unlinked.exitCode);
    EXPECT_EQ("pure-virtual method Zep::StringPropertyInfo::SetValue called with no lua_state. Aborting\n",
              unlinked.stdErr);
}

TEST_F(LuaClassesTest, AScriptDefinedClassSavesAndLoadsThroughItsScriptMethods) {
    Run("values, calls, properties = {}, {}, {} "
        "local objectClass = Zep.ClassRegistry:GetInstance():FindClass('Zep::Object') "
        "item = Zep.Lua__ClassInfo('Game::Item', objectClass) item:tolua__set_instance(item) "
        "function item:CreateInstance() "
        "  calls[#calls + 1] = 'create' "
        "  local made = Zep.Lua__Actor:new() made:OverrideClassInfo(self) return made "
        "end "
        "for _, field in ipairs({{'Int', 'Count', 0}, {'Bool', 'Shiny', false}, {'Float', 'Weight', 0}, "
        "                        {'String', 'Title', ''}}) do "
        "  local property, name = Zep['Lua__' .. field[1] .. 'PropertyInfo']:new(field[2], item, 0) "
        "  property:tolua__set_instance(property) properties[name] = property "
        "  function property:GetValue(object) "
        "    local value = (values[object] or {})[name] "
        "    if value == nil then return field[3] end return value "
        "  end "
        "  function property:SetValue(object, value) "
        "    values[object] = values[object] or {} values[object][name] = value "
        "    calls[#calls + 1] = name .. '=' .. tostring(value) "
        "  end "
        "  item:RegisterProperty(property) "
        "end "
        "thing = item:CreateInstance() "
        "values[thing] = {Count = 3, Shiny = true, Weight = 2.5}");
    const int32_t actors = Actor::GetLiveActorCount();
    std::unique_ptr<Zep::Object> thing(static_cast<Zep::Object*>(Global("thing")));
    Zep::MemoryStream saved(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive writer(&saved, false);
    thing->Save(writer);
    const std::string text = saved.GetAsString();
    EXPECT_EQ("\"Game::Item\" {\n\tCount 3\n\tShiny true\n\tWeight 2.50000\n}\n", text);
    // A failing property leaves the save, with the fresh instance it compared with deleted.
    Run("function properties.Count:GetValue() error('no count', 0) end");
    Zep::MemoryStream unsaved(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive failing(&unsaved, false);
    EXPECT_THROW(thing->Save(failing), Zep::Exception::ScriptError);
    EXPECT_EQ(actors, Actor::GetLiveActorCount());

    Run("calls = {}");
    Zep::MemoryStream source(text.data(), static_cast<int32_t>(text.size()), 0);
    Zep::ITextArchive reader(&source, "saved");
    std::unique_ptr<Zep::Object> loaded(Zep::Object::CreateFromArchive(reader));
    EXPECT_EQ("Game::Item", loaded->GetClassName());
    EXPECT_EQ("create Count=3 Shiny=true Weight=2.5", Run("return table.concat(calls, ' ')"));
}

TEST_F(LuaClassesTest, OverridesRunOnTheMainThreadWhileACoroutineRuns) {
    EXPECT_EQ("true,true,self 0",
              Run("local co = coroutine.create(function() "
                  "  subject = Zep.Lua__Actor() subject:tolua__set_instance(subject) "
                  "  function subject:Update(dt) onMain = coroutine.running() == nil record = Describe(self, dt) end "
                  "  subject:PlayAnimation(0) "
                  "end) "
                  "return coroutine.resume(co), onMain, record"));
    EXPECT_EQ(state, static_cast<Zep::Lua__Actor*>(AsActor(Global("subject")))->GetLuaState());
}

}  // namespace
