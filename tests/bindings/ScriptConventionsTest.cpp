// How the bindings pass engine objects and values: construction and collection, object
// results under their own class, copies, overloads, texts, and what a bad call does.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <string>

#include "Bindings/BindingSupport.h"
#include "Common/Actor.h"
#include "Common/Application.h"
#include "Common/BundleSystem.h"
#include "Common/Image.h"
#include "Common/Object.h"
#include "Common/Scene.h"
#include "ScriptTestSupport.h"
#include "TestSupport.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using ScriptConventionsTest = ScriptTestSupport::ScriptFixture;

TEST_F(ScriptConventionsTest, ValuesMadeByCallingTheClassAreCollectedAndThoseMadeByNewAreNot) {
    EXPECT_EQ("3,4,3,4", Run("called = Zep.Vector2(3, 4) made = Zep.Vector2:new(3, 4) "
                             "local_ = Zep.Vector2:new_local(3, 4) "
                             "return called.x, called.y, made.x, made.y"));
    EXPECT_TRUE(IsCollected("called"));
    EXPECT_TRUE(IsCollected("local_"));
    EXPECT_FALSE(IsCollected("made"));
    // Results by value and copies of variables are collected too.
    Run("sum = called + made copy = Zep.Aabb2(0, 0, 1, 1).mins");
    EXPECT_TRUE(IsCollected("sum"));
    EXPECT_TRUE(IsCollected("copy"));

    lua_getglobal(state, "made");
    delete *static_cast<Zep::Vector2**>(lua_touserdata(state, -1));
    lua_pop(state, 1);
}

TEST_F(ScriptConventionsTest, ObjectResultsHaveTheMembersOfTheirOwnClassAndNullIsNil) {
    Zep::Scene scene;
    Zep::Image* image = new Zep::Image();
    image->SetName("picture");
    scene.GetActors().Add(image);
    SetGlobalObject("scene", &scene, "Zep::Scene");

    EXPECT_EQ("Zep::Image,picture,0,true,Zep::Scene,nil,nil",
              Run("local found, name = scene:FindChild('picture') "
                  "return tolua.type(found), name, found.position.x, found.parent == scene, "
                  "tolua.type(found.parent), scene:FindChild('none'), scene.parent"));
    // One object, one box, whatever the type it was passed as.
    EXPECT_EQ("true", Run("return scene:FindChild('picture') == scene:FindChild('picture')"));
}

TEST_F(ScriptConventionsTest, ValueVariablesAreCopiesThatAssignmentWritesBack) {
    EXPECT_EQ("0,10,0,7", Run("local g = Zep.Graphic() local p = g.position p.x = 10 local before = g.position.x "
                              "g.position = p local after = g.position.x "
                              "local b = Zep.Aabb2(0, 0, 1, 1) local m = b.mins m.y = 7 local y = b.mins.y b.mins = m "
                              "g:delete() return before, after, y, b.mins.y"));
}

TEST_F(ScriptConventionsTest, PlayAnimationTakesAFrameOrAMarkerName) {
    Zep::Actor actor;
    actor.GetMarkers().Create("loop", 10, Zep::MARKER_PLAY);
    SetGlobalObject("actor", &actor, "Zep::Actor");
    struct Call {
        const char* script;
        const char* results;
        int32_t frame;
    };
    const Call calls[] = {
        {"return actor:PlayAnimation(5)", "", 5},
        {"return actor:PlayAnimation('loop')", "loop", 10},
        {"return actor:PlayAnimation(7.9)", "", 7},
    };
    for (const Call& call : calls) {
        actor.SetCurrentFrame(0);
        EXPECT_EQ(call.results, Run(call.script)) << call.script;
        EXPECT_EQ(call.frame, actor.GetCurrentFrame()) << call.script;
    }
}

TEST_F(ScriptConventionsTest, TextsKeepTheirZeroBytesBothWays) {
    Zep::Actor actor;
    SetGlobalObject("actor", &actor, "Zep::Actor");
    EXPECT_EQ("3,true,3,true,true",
              Run("local s = Zep.StringVector() s:push_back('a\\0b') s[0] = s[0] .. s:push_back('\\0') "
                  "local found, name = actor:FindChild('a\\0b') "
                  "return #name, name == 'a\\0b', s:size() + 1, s[0] == 'a\\0b\\0', s[1] == '\\0'"));
}

TEST_F(ScriptConventionsTest, SceneFilesLoadIntoActorsByPathOrByFolderAndName) {
    TestSupport::TempFolder content;
    std::filesystem::create_directory(content.File("ui"));
    TestSupport::WriteFile(content.File("ui/menu.scene"),
                           "\"Zep::Scene\" {\n"
                           "\tActors [\n"
                           "\t\t\"Zep::Image\" {\n"
                           "\t\t\tName \"picture\"\n"
                           "\t\t\tPosition [ 3.00000 4.00000 ]\n"
                           "\t\t}\n"
                           "\t]\n"
                           "}\n");
    Zep::BundleSystem* bundles = Zep::BundleSystem::GetInstance();
    bundles->MountDirectory(content.Path());
    EXPECT_EQ("3,4,Zep::Image",
              Run("local byPath, byName = Zep.Scene(), Zep.Scene() "
                  "Zep.LoadSceneFromFile(byPath, 'ui/menu.scene') Zep.LoadSceneFromFile(byName, 'ui', 'menu.scene') "
                  "return byPath:FindChild('picture').position.x, byName:FindChild('picture').position.y, "
                  "tolua.type((byName:FindChild('picture')))"));
    bundles->Unmount(content.Path());
}

TEST_F(ScriptConventionsTest, ClassFunctionsTakeTheClassTableOrNothing) {
    Zep::Application* application = Zep::Application::GetInstance();
    EXPECT_EQ("true,true,1024,nil",
              Run("local app = Zep.Application.GetInstance() "
                  "app.showStatistics = true "
                  "return app == Zep.Application:GetInstance(), app.showStatistics, app:GetDesktopSize().x, "
                  "app.rootScene"));
    EXPECT_TRUE(application->showStatistics);
    application->showStatistics = false;
}

TEST_F(ScriptConventionsTest, BadCallsAreLuaErrors) {
    struct BadCall {
        const char* script;
        const char* error;
    };
    const BadCall calls[] = {
        {"Zep.Actor.FindChild('x')", "Zep.Actor.FindChild: argument #1 is string; Zep::Actor expected"},
        {"Zep.Actor.FindChild()", "Zep.Actor.FindChild: argument #1 is no value; Zep::Actor expected"},
        {"Zep.Actor.FindChild(Zep.Vector2(1, 2), 'x')",
         "Zep.Actor.FindChild: argument #1 is Zep::Vector2; Zep::Actor expected"},
        {"Zep.Actor.FindChild(tolua.cast(Zep.Vector2(1, 2), 'Zep::Actor'), 'x')",
         "Zep.Actor.FindChild: argument #1 is not an engine object; Zep::Actor expected"},
        {"return Zep.Graphic.position", "Zep.Graphic.position: argument #1 is no value; Zep::Graphic expected"},
        {"Zep.Graphic().position = 5", "Zep.Graphic.position: argument #2 is number; Zep::Vector2 expected"},
        {"Zep.Graphic().position = nil", "Zep.Graphic.position: argument #2 is nil; Zep::Vector2 expected"},
        {"Zep.Actor().parent = Zep.Vector2(1, 1)",
         "Zep.Actor.parent: argument #2 is Zep::Vector2; Zep::Actor expected"},
        {"Zep.Matrix32(1):TransformVector()", "Zep.Matrix32.TransformVector: argument #2 is no value"},
        {"return Zep.Vector2(1, 1) + 5", "Zep.Vector2['.add']: argument #2 is number; Zep::Vector2 expected"},
        {"Zep.Vector2()", "Zep.Vector2['.call']: argument #2 is no value; Zep::IntVector2 expected"},
        {"Zep.Aabb2(0, 0, 1, 1).width = 3", "Zep.Aabb2.width is read-only"},
        {"Zep.Image().position = Zep.Vector2(1, 1) Zep.Image().parent = nil "
         "Zep.Application.GetInstance().rootScene = Zep.Scene()",
         "Zep.Application.rootScene is read-only"},
        {"return Zep.StringVector()[0]", "Zep.StringVector['.geti']: index 0 is outside 0 to -1"},
        {"local s = Zep.StringVector() s:push_back('a') s[1] = 'b'",
         "Zep.StringVector['.seti']: index 1 is outside 0 to 0"},
        {"Zep.StringVector():resize(-1)", "Zep.StringVector.resize: size -1 is negative"},
        {"local a = Zep.Actor() a:delete() a:PlayAnimation(1)",
         "Attempt to access destroyed Zep::Object (object id: 0, reference id: "},
        {"local a = Zep.Actor() local g = Zep.Graphic() g:delete() a.parent = g",
         "Attempt to access destroyed Zep::Object (object id: 0, reference id: "},
    };
    for (const BadCall& call : calls) {
        const std::string result =
            Run(std::string("local ok, error = pcall(function() ") + call.script + " end) return ok, error");
        EXPECT_THAT(result, StartsWith("false,")) << call.script;
        EXPECT_THAT(result, HasSubstr(call.error)) << call.script;
        EXPECT_EQ("2", Run("return 1 + 1")) << call.script;
    }
    // A refused assignment leaves the value as it was, with nothing stored beside it.
    EXPECT_EQ("0,0", Run("local b = Zep.Aabb2(0, 0, 0, 0) pcall(function() b.width = 3 end) "
                         "return b.width, rawget(tolua.getpeer(b) or {}, 'width') or 0"));
    // nil is null where the engine takes a pointer.
    EXPECT_EQ("true,nil", Run("local a, s = Zep.Actor(), Zep.Scene() a.parent = s local had = a.parent == s "
                              "a.parent = nil return had, a.parent"));
}

TEST_F(ScriptConventionsTest, DeletedObjectsAreNotCollectedAgain) {
    for (const char* type : {"Object", "Actor", "Graphic", "Image", "Scene"}) {
        const std::string make = std::string("Zep.") + type;
        EXPECT_EQ("false", Run("deleted = " + make + "() deleted:delete() owned = " + make +
                               ":new() owned:delete() return rawequal(deleted, owned)"))
            << type;
        EXPECT_FALSE(IsCollected("deleted")) << type;
        EXPECT_EQ("", Run("deleted, owned = nil, nil collectgarbage()")) << type;
    }
}

TEST_F(ScriptConventionsTest, ACollectedObjectAdoptedByTheEngineIsLeftToItsOwner) {
    Zep::Scene* scene = new Zep::Scene();
    SetGlobalObject("scene", scene, "Zep::Scene");
    Run("picture = Zep.Image() picture.position = Zep.Vector2(4, 5)");
    lua_getglobal(state, "picture");
    Zep::Actor* picture = static_cast<Zep::Actor*>(Zep::LuaToObject(state, -1, nullptr));
    lua_pop(state, 1);
    scene->GetActors().Add(picture);
    picture->SetName("picture");

    EXPECT_EQ("", Run("picture = nil collectgarbage() collectgarbage()"));
    // The scene still has its child: drawn, walked and found.
    scene->Render();
    EXPECT_EQ(2, scene->GetTotalActors());
    EXPECT_EQ("4", Run("return scene:FindChild('picture').position.x"));
    delete scene;  // and the image with it
    EXPECT_THAT(Run("return scene:FindChild('picture')"), HasSubstr("Attempt to access destroyed Zep::Object"));
}

TEST_F(ScriptConventionsTest, AStaleRegistrationNeverFreesANewerObjectAtItsAddress) {
    alignas(Zep::Actor) unsigned char storage[sizeof(Zep::Actor)];
    Zep::Actor* first = new (storage) Zep::Actor();
    LuaPushObject(state, first, "Zep::Actor");
    Zep::Bindings::RegisterForCollection(state);
    first->~Actor();
    Zep::Actor* second = new (storage) Zep::Actor();

    lua_pushcfunction(state, &Zep::Bindings::CollectObject);
    lua_insert(state, -2);
    lua_call(state, 1, 0);
    EXPECT_TRUE(Zep::Object::IsLiveObject(second, second->GetObjectId()));
    Zep::Bindings::ForgetCollection(state, storage);
    second->~Actor();
}

TEST_F(ScriptConventionsTest, APlainPushLeavesAnObjectBoxFoundInTheSharedCacheAlone) {
    // A state whose object class has no box cache of its own, so that objects and the
    // declared-only type share the registry's.
    lua_State* shared = Zep::CreateLuaState(false);
    tolua_open(shared);
    tolua_usertype(shared, "Zep::Object");
    tolua_usertype(shared, "Zep::Vector2Array");
    Zep::Object* object = new Zep::Object();
    LuaPushObject(shared, object, "Zep::Object");
    delete object;  // the script still holds the box of the destroyed object

    Zep::Bindings::PushUserType(shared, object, "Zep::Vector2Array");
    EXPECT_FALSE(lua_rawequal(shared, -1, -2));
    luaL_getmetatable(shared, "Zep::Object");
    lua_getmetatable(shared, -3);
    EXPECT_TRUE(lua_rawequal(shared, -1, -2));
    // The value's own box is found again.
    Zep::Bindings::PushUserType(shared, object, "Zep::Vector2Array");
    EXPECT_TRUE(lua_rawequal(shared, -1, -4));
    lua_close(shared);
}

// An actor whose parent change runs the script's global "change" protected, as the
// engine runs script overrides from C++ frames.
class ScriptedActor : public Zep::Actor {
public:
    explicit ScriptedActor(lua_State* state) : state(state) {}

    void SetParent(Zep::Actor* parent) override {
        lua_getglobal(state, "change");
        if (lua_pcall(state, 0, 0, 0) != 0)
            Zep::ThrowScriptError(state);
        Zep::Actor::SetParent(parent);
    }

private:
    lua_State* state;
};

TEST_F(ScriptConventionsTest, AScriptErrorThrownThroughABindingIsRaisedThereAsTheSameValue) {
    ScriptedActor actor(state);
    SetGlobalObject("actor", &actor, "Zep::Actor");
    EXPECT_EQ("false,true,2,true", Run("local marker = {} function change() error(marker) end "
                                       "local ok, error = pcall(function() actor.parent = nil end) "
                                       "function change() end "
                                       "local calls = 0 for i = 1, 2 do calls = calls + 1 actor.parent = nil end "
                                       "return ok, error == marker, calls, actor.parent == nil"));
    EXPECT_EQ("Boom", Run("function change() error('Boom', 0) end "
                          "local ok, error = pcall(function() actor.parent = nil end) return error"));
}

}  // namespace
