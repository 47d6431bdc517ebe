// The engine's Lua__ classes: every overridable operation as the engine calls it, the
// script link and its lifetime, script errors raised through the engine's frames,
// operations without an engine implementation, and script-defined classes in archives.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
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

// A scene that logs the notifications that reach it.
class SpyScene : public Zep::Scene {
public:
    void OnButtonClick(Zep::Button*) override { log += "click "; }
    void OnSliderChange(Zep::Slider*) override { log += "slide "; }
    void OnEditChange(Zep::Edit*) override { log += "edit "; }
    std::string log;
};

template <class T = Actor>
T* As(void* object) {
    return static_cast<T*>(static_cast<Actor*>(static_cast<Zep::Object*>(object)));
}

// A property's value as its archive form writes it, and a value read into it.
std::string Written(void* property, Zep::Object* object) {
    return ScriptTestSupport::ArchiveValue(static_cast<Zep::PropertyInfo*>(property), object);
}

void Read(void* property, Zep::Object* object, const std::string& text) {
    ScriptTestSupport::ReadArchiveValue(static_cast<Zep::PropertyInfo*>(property), object, text);
}

class LuaClassesTest : public ScriptTestSupport::ScriptFixture {
public:
    void SetUp() override {
        ScriptFixture::SetUp();
        Zep::Application::GetInstance()->SetCursorManager(&cursors);
        cursor.GetMarkers().Create("Loop", 0, Zep::MARKER_PLAY),
            cursor.GetMarkers().Create("FadeOut", 1, Zep::MARKER_STOP);
        // What a script method records: whether self is the linked object, then each
        // argument by its global's name, its user type or its value.
        Run("named = {} function Describe(self, ...) local parts = {self == subject and 'self' or 'other'} "
            "for i = 1, select('#', ...) do local v = select(i, ...) "
            "parts[i + 1] = tostring(named[v] or type(v) == 'userdata' and tolua.type(v) or v) end "
            "return table.concat(parts, ' ') end");
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

    // The object as a global, which script methods record by its name.
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

    Zep::CursorManager cursors;
    Zep::Object owner;
    Zep::Graphic cursor;
    Zep::Button button;
    Zep::Slider slider;
    Zep::Edit edit;
    Zep::ObjectCollection collection;
};

const char* const kPlain = "(as a plain object of the class)";
const char* const kPure = "(not implemented)";

// One overridable operation of one class, as the engine calls it.
struct Override {
    std::string created;  // the Lua__ class and its construction arguments
    std::string method;
    std::string returns;  // what the script's method returns
    std::string record;   // what it records of self and its arguments
    std::string result;   // what the engine's call gives with the script's method
    std::function<std::string(void*)> call;
    std::string without = kPlain;  // what the call gives without the method
};

// An operation that gives nothing.
std::function<std::string(void*)> NoResult(std::function<void(void*)> operation) {
    return [operation](void* object) {
        operation(object);
        return std::string();
    };
}

TEST_F(LuaClassesTest, EveryOverrideGetsItsArgumentsAndGivesItsResultAndWithoutItTheEngineRuns) {
    const auto assign = [this](bool recursive) {
        return [this, recursive](void* object) {
            std::unique_ptr<Actor> source(Zep::CastTo<Actor>(As(object)->GetClassInfo()->CreateInstance()));
            source->SetName("source");
            Name("source", source.get(), "Zep::Actor");
            recursive ? As(object)->AssignRecursive(source.get()) : As(object)->Assign(source.get());
            return As(object)->GetName();
        };
    };
    const auto input = [](void (Zep::Control::*operation)(const Zep::InputEvent&)) {
        return NoResult([operation](void* object) { (As<Zep::Control>(object)->*operation)(Zep::InputEvent()); });
    };
    // What reaches the parent scene.
    const auto notify = [](std::function<void(Zep::Scene*)> operation) {
        return [operation](void* object) {
            SpyScene parent;
            As<Zep::Scene>(object)->SetParent(&parent);
            operation(As<Zep::Scene>(object));
            As<Zep::Scene>(object)->SetParent(nullptr);
            return parent.log;
        };
    };
    const auto truth = [](bool value) { return std::string(value ? "true" : "false"); };
    // By the first of the actor classes that has the operation.
    const std::vector<std::pair<size_t, Override>> actorOperations = {
        {0, {"", "ToLuaEnforceClassWrapper", "", "self", "", NoResult([](void* o) {
                 static_cast<Zep::Object*>(o)->ToLuaEnforceClassWrapper();
             })}},
        {0, {"", "Assign", "", "self source", "", assign(false)}},
        {0, {"", "AssignRecursive", "", "self source", "", assign(true)}},
        {0,
         {"", "Update", "", "self 7", "0",
          [](void* o) {
              As(o)->SetPlaying(true);
              As(o)->Update(7);
              return std::to_string(As(o)->GetCurrentTime());
          }}},
        {0,
         {"", "HitTestInContext", "'yes'", "self const Zep::RenderContext const Zep::Vector2", "true",
          [truth](void* o) { return truth(As(o)->HitTestInContext(Zep::RenderContext(), Zep::Vector2(500, 0))); }}},
        {0, {"", "RenderInContext", "", "self const Zep::RenderContext", "", NoResult([](void* o) {
                 As(o)->RenderInContext(Zep::RenderContext());
             })}},
        {0, {"", "OnBasePathChanged", "", "self", "", NoResult([](void* o) { As(o)->OnBasePathChanged(); })}},
        {1,
         {"", "GetDefaultSize", "Zep.Vector2(5, 6)", "self", "5,6",
          [](void* o) {
              const Zep::Vector2 size = As<Zep::Graphic>(o)->GetDefaultSize();
              return Zep::Sprintf("%g,%g", size.x, size.y);
          }}},
        {1,
         {"", "SetCursor", "", "self 1 cursor", "0",
          [this](void* o) {
              As<Zep::Graphic>(o)->SetCursor(1, &cursor);
              return std::to_string(As<Zep::Graphic>(o)->GetCursorId(1) != 0);
          }}},
        {2, {"", "DoFocusedInput", "", "self const Zep::InputEvent", "", input(&Zep::Control::DoFocusedInput)}},
        {2, {"", "DoModalInput", "", "self const Zep::InputEvent", "", input(&Zep::Control::DoModalInput)}},
        {2, {"", "DoOtherInput", "", "self const Zep::InputEvent", "", input(&Zep::Control::DoOtherInput)}},
        {2,
         {"", "WantInput", "nil", "self", "false",
          [truth](void* o) { return truth(As<Zep::Control>(o)->WantInput()); }}},
        {2,
         {"", "WantFocus", "0", "self", "true", [truth](void* o) { return truth(As<Zep::Control>(o)->WantFocus()); }}},
        {3, {"", "OnButtonClick", "", "self button", "", notify([this](Zep::Scene* s) { s->OnButtonClick(&button); })}},
        {3,
         {"", "OnSliderChange", "", "self slider", "", notify([this](Zep::Scene* s) { s->OnSliderChange(&slider); })}},
        {3, {"", "OnEditChange", "", "self edit", "", notify([this](Zep::Scene* s) { s->OnEditChange(&edit); })}},
    };
    std::vector<Override> overrides;
    const char* const actorClasses[] = {"Lua__Actor()", "Lua__Graphic()", "Lua__Control()", "Lua__Scene()"};
    for (const auto& operation : actorOperations) {
        for (size_t i = operation.first; i < 4; ++i) {
            overrides.push_back(operation.second);
            overrides.back().created = actorClasses[i];
        }
    }
    overrides.push_back(actorOperations[0].second);
    overrides.back().created = "Lua__Object()";

    const auto listener = [](void* object) { return static_cast<Zep::ApplicationListener*>(object); };
    const auto store = [](void* object) { return static_cast<Zep::iPhoneStore*>(object); };
    const auto created = [this](void* object) {
        const Zep::Object* made = static_cast<Zep::ClassInfo*>(object)->CreateInstance();
        return std::string(made == &owner ? "owner" : made ? "other" : "null");
    };
    const auto written = [this](void* object) { return Written(object, &owner); };
    const auto read = [this](std::string text) { return NoResult([this, text](void* o) { Read(o, &owner, text); }); };
    const std::vector<Override> others = {
        {"Lua__ApplicationListener()", "OnUpdate", "", "self 16", "",
         NoResult([=](void* o) { listener(o)->OnUpdate(16); }), ""},
        {"Lua__ApplicationListener()", "OnClose", "", "self", "", NoResult([=](void* o) { listener(o)->OnClose(); }),
         ""},
        {"Lua__ApplicationListener()", "OnInputDeviceListChange", "", "self", "",
         NoResult([=](void* o) { listener(o)->OnInputDeviceListChange(); }), ""},
        {"Lua__ApplicationListener()", "OnException", "", "self text", "",
         NoResult([=](void* o) { listener(o)->OnException("text"); }), ""},
        {"Lua__iPhoneStore()", "ProductDataReceived", "", "self const Zep::StringVector const Zep::StringVector", "",
         NoResult([=](void* o) { store(o)->ProductDataReceived({"id"}, {}); }), ""},
        {"Lua__iPhoneStore()", "ProductRequestFailed", "", "self no", "",
         NoResult([=](void* o) { store(o)->ProductRequestFailed("no"); }), ""},
        {"Lua__iPhoneStore()", "ProductPurchased", "", "self id", "",
         NoResult([=](void* o) { store(o)->ProductPurchased("id"); }), ""},
        {"Lua__iPhoneStore()", "PurchaseFailed", "", "self id no true", "",
         NoResult([=](void* o) { store(o)->PurchaseFailed("id", "no", true); }), ""},
        {"Lua__ClassInfo('Test::Scripted')", "CreateInstance", "owner", "self", "owner", created, "null"},
        // Only a live engine object counts.
        {"Lua__ClassInfo('Test::Gone')", "CreateInstance",
         "(function() local gone = Zep.Object:new() gone:delete() return gone end)()", "self", "null", created, "null"},
        {"Lua__ObjectCollectionInfo('Items')", "GetCollection", "collection", "self owner", "1",
         [this](void* o) {
             return std::to_string(static_cast<Zep::ObjectCollectionInfo*>(o)->GetCollection(&owner) == &collection);
         },
         kPure},
        {"Lua__IntPropertyInfo('Count', nil, 0)", "GetValue", "-7.9", "self owner", "-7", written, kPure},
        {"Lua__IntPropertyInfo('Count', nil, 0)", "SetValue", "", "self owner 5", "", read("5"), kPure},
        {"Lua__BoolPropertyInfo('On', nil, 0)", "GetValue", "0", "self owner", "true", written, kPure},
        {"Lua__BoolPropertyInfo('On', nil, 0)", "SetValue", "", "self owner true", "", read("true"), kPure},
        {"Lua__FloatPropertyInfo('Speed', nil, 0)", "GetValue", "'2.5'", "self owner", "2.50000", written, kPure},
        {"Lua__FloatPropertyInfo('Speed', nil, 0)", "SetValue", "", "self owner 1.5", "", read("1.5"), kPure},
        {"Lua__StringPropertyInfo('Title', nil, 0)", "GetValue", "42", "self owner", "\"42\"", written, kPure},
        {"Lua__StringPropertyInfo('Title', nil, 0)", "SetValue", "", "self owner text", "", read("\"text\""), kPure},
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
        if (row.without == kPure)
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

TEST_F(LuaClassesTest, OnlyLuaFunctionsOverrideAlsoThroughMetatablesAndAlwaysOnTheMainThread) {
    // The link, then what the script's Update records when the actor plays: whether it
    // runs on the main thread. A native function, such as a binding copied into the
    // field, is no override.
    const std::pair<const char*, const char*> lookups[] = {
        {"actor:tolua__set_instance(actor) actor.Update = Zep.Lua__Actor.Actor__Update", "nil"},
        {"actor:tolua__set_instance(setmetatable({}, {__index = {Update = Record}}))", "true"},
        {"coroutine.wrap(function() actor:tolua__set_instance(actor) actor.Update = Record end)()", "true"},
    };
    for (const auto& lookup : lookups) {
        EXPECT_EQ(lookup.second,
                  Run(std::string("function Record() record = coroutine.running() == nil end "
                                  "record = nil actor = Zep.Lua__Actor() ") +
                      lookup.first + " coroutine.wrap(function() actor:PlayAnimation(0) end)() return record"))
            << lookup.first;
    }
    EXPECT_EQ(state, As<Zep::Lua__Actor>(Global("actor"))->GetLuaState());
}

TEST_F(LuaClassesTest, LinksStayInToluabaseUntilDeleteOrTheStateCloses) {
    Run("actor = Zep.Lua__Actor:new() actor:tolua__set_instance(actor)");
    const auto reference = [this] { return std::to_string(As<Zep::Lua__Actor>(Global("actor"))->GetReference()); };
    const std::string first = reference();
    Run("actor:tolua__set_instance({})");
    const std::string entries = "local links = debug.getregistry().toluabase return links[" + first +
                                "] == actor, type(links[" + reference() + "])";
    EXPECT_EQ("true,table", Run(entries));
    Run("actor:delete()");
    EXPECT_EQ("true,nil", Run(entries)) << "the earlier link stays until the state closes";

    // An engine object that outlives the state (the application's scenes, destroyed at
    // exit) behaves as unlinked.
    lua_State* other = Zep::CreateLuaState(false);
    tolua_Zep_open(other);
    Zep::Lua__Scene scene;
    LuaPushObject(other, &scene, "Zep::Lua__Scene");
    lua_setglobal(other, "scene");
    ASSERT_EQ(0, luaL_dostring(other, "scene:tolua__set_instance(scene) function scene:Update() error('closed') end"));
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
        "item = Zep.Lua__ClassInfo('Test::Item', Zep.ClassRegistry:GetInstance():FindClass('Zep::Actor')) "
        "item:tolua__set_instance(item) "
        "function Make(class) local made = Zep.Lua__Actor:new() made:OverrideClassInfo(class) return made end "
        "actor = Zep.Lua__Actor() actor:tolua__set_instance(actor) "
        "function Try(body) local ok, value = pcall(body) return ok, value == marker end");
    const int32_t actors = Actor::GetLiveActorCount();
    const char* const load = "Zep.LoadSceneFromFile(Zep.Scene(), 'items.scene')";
    // Makes the override fail with the marker, then work again; reached through a
    // binding and the engine: the archive reader's and the stream's frames while reading,
    // the copies of the read scene (the second one fails), an actor's update.
    const char* const failures[][3] = {
        {"function item:CreateInstance() error(marker) end", "function item:CreateInstance() return Make(self) end",
         load},
        {"made = 0 function item:CreateInstance() made = made + 1 if made == 4 then error(marker) end "
         "return Make(self) end",
         "function item:CreateInstance() return Make(self) end", load},
        {"function actor:Update() error(marker) end", "function actor:Update() end", "actor:PlayAnimation(0)"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure[0]);
        Run(failure[0]);
        EXPECT_EQ("false,true", Run(std::string("return Try(function() ") + failure[2] + " end)"));
        Run(failure[1]);
        EXPECT_EQ("true,false", Run(std::string("return Try(function() ") + failure[2] + " end)"));
    }
    Run("collectgarbage()");
    EXPECT_EQ(actors, Actor::GetLiveActorCount()) << "nothing made on the way was left behind";
    Zep::BundleSystem::GetInstance()->Unmount(content.Path());

    // Called by the engine alone, the error leaves as the exception, with the call stack
    // where it was raised.
    Run("function actor:Update() error('boom', 0) end");
    try {
        As(Global("actor"))->Update(7);
        ADD_FAILURE() << "no script error";
    } catch (const Zep::Exception::ScriptError& error) {
        Zep::PushScriptError(state, error.GetReference());
        EXPECT_EQ("boom", std::string(lua_tostring(state, -1)));
        EXPECT_EQ(0u, error.GetCallStack().find("error\nno name [defined <")) << error.GetCallStack();
    }
}

TEST_F(LuaClassesTest, OperationsWithoutAnEngineImplementationNeedTheScriptsMethod) {
    const char* const values[][2] = {{"Int", "1"}, {"Bool", "true"}, {"Float", "1"}, {"String", "\"x\""}};
    for (const auto& value : values) {
        Run(std::string("info = Zep.Lua__") + value[0] +
            "PropertyInfo('Value', nil, 0) info:tolua__set_instance(info)");
        const std::string base = std::string("pure-virtual method Zep::") + value[0] + "PropertyInfo::";
        for (const bool reading : {false, true}) {
            try {
                reading ? Read(Global("info"), &owner, value[1]) : (void)Written(Global("info"), &owner);
                ADD_FAILURE() << base << " raised nothing";
            } catch (const Zep::Exception::ScriptError& error) {
                Zep::PushScriptError(state, error.GetReference());
                EXPECT_EQ(base + (reading ? "SetValue" : "GetValue") + " not implemented.", lua_tostring(state, -1));
            }
        }
    }
    const TestSupport::ChildResult unlinked = TestSupport::RunInChild([this] {
        Zep::Lua__StringPropertyInfo info("Title", nullptr, 0);
        Read(&info, &owner, "\"x\"");
    });
    EXPECT_EQ(-1, unlinked.exitCode);
    EXPECT_EQ("pure-virtual method Zep::StringPropertyInfo::SetValue called with no lua_state. Aborting\n",
              unlinked.stdErr);
}

TEST_F(LuaClassesTest, AScriptDefinedClassSavesAndLoadsThroughItsScriptMethods) {
    Run("values, calls, properties = {}, {}, {} "
        "item = Zep.Lua__ClassInfo('Game::Item', Zep.ClassRegistry:GetInstance():FindClass('Zep::Object')) "
        "item:tolua__set_instance(item) "
        "function item:CreateInstance() "
        "  calls[#calls + 1] = 'create' local made = Zep.Lua__Actor:new() made:OverrideClassInfo(self) return made "
        "end "
        "for _, field in ipairs({{'Int', 'Count', 0}, {'Bool', 'Shiny', false}, {'Float', 'Weight', 0}, "
        "                        {'String', 'Title', ''}}) do "
        "  local property, name = Zep['Lua__' .. field[1] .. 'PropertyInfo']:new(field[2], item, 0) "
        "  property:tolua__set_instance(property) properties[name] = property "
        "  function property:GetValue(object) "
        "    local value = (values[object] or {})[name] if value == nil then return field[3] end return value "
        "  end "
        "  function property:SetValue(object, value) "
        "    values[object] = values[object] or {} values[object][name] = value "
        "    calls[#calls + 1] = name .. '=' .. tostring(value) "
        "  end "
        "  item:RegisterProperty(property) "
        "end "
        "thing = item:CreateInstance() values[thing] = {Count = 3, Shiny = true, Weight = 2.5} calls = {}");
    const int32_t actors = Actor::GetLiveActorCount();
    std::unique_ptr<Zep::Object> thing(static_cast<Zep::Object*>(Global("thing")));
    Zep::MemoryStream saved(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive writer(&saved, false);
    thing->Save(writer);
    const std::string text = saved.GetAsString();
    EXPECT_EQ("\"Game::Item\" {\n\tCount 3\n\tShiny true\n\tWeight 2.50000\n}\n", text);

    Run("calls = {}");
    Zep::MemoryStream source(text.data(), static_cast<int32_t>(text.size()), 0);
    Zep::ITextArchive reader(&source, "saved");
    std::unique_ptr<Zep::Object> loaded(Zep::Object::CreateFromArchive(reader));
    EXPECT_EQ("Game::Item", loaded->GetClassName());
    EXPECT_EQ("create Count=3 Shiny=true Weight=2.5", Run("return table.concat(calls, ' ')"));

    // A failing property leaves the save with the fresh instance it compared with deleted.
    Run("function properties.Count:GetValue() error('no count', 0) end");
    EXPECT_THROW(thing->Save(writer), Zep::Exception::ScriptError);
    loaded.reset();
    EXPECT_EQ(actors, Actor::GetLiveActorCount());
}

}  // namespace
