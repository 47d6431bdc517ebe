// The engine classes as scripts see them: variables against their properties, the
// collections, class-wide switches, echoed results, and the checks the bindings add.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Common/Actor.h"
#include "Common/Archive.h"
#include "Common/Audio.h"
#include "Common/BundleSystem.h"
#include "Common/ClassInfo.h"
#include "Common/MemoryStream.h"
#include "Common/ParticleEmitter.h"
#include "Common/PropertyInfo.h"
#include "Common/Utils.h"
#include "ScriptTestSupport.h"
#include "TestSupport.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class ScriptClassesTest : public ScriptTestSupport::ScriptFixture {
protected:
    // The global "scene": the sample scene with nested actors, markers and every graphic
    // class, each actor named after its class.
    void LoadSampleScene() {
        Zep::BundleSystem* bundles = Zep::BundleSystem::GetInstance();
        bundles->MountDirectory(ZEP_TEST_DATA "/bindings");
        EXPECT_EQ("", Run("scene = Zep.CreateSceneFromFile('scene-classes.scene')"));
        bundles->Unmount(ZEP_TEST_DATA "/bindings");
    }
};

std::string ArchiveValue(const Zep::PropertyInfo* property, Zep::Object* object) {
    Zep::MemoryStream stream(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive writer(&stream, false);
    property->WriteToArchive(object, writer);
    return stream.GetAsString();
}

void ReadArchiveValue(const Zep::PropertyInfo* property, Zep::Object* object, const std::string& text) {
    Zep::MemoryStream stream(text.data(), static_cast<int32_t>(text.size()), 0);
    Zep::ITextArchive reader(&stream, "sample");
    property->ReadFromArchive(object, reader);
}

// Shows a value the way the samples below expect it back.
const char* const kShow =
    "local probe = Zep.Marker() "
    "function Ease(t0, t1, scale) local e = probe.easeParameters e.t0, e.t1, e.scale = t0, t1, scale return e end "
    "function Show(v) local t = tolua.type(v) "
    "  if t == 'Zep::Vector2' then return v.x .. ',' .. v.y end "
    "  if t == 'Zep::Color' then return v.a .. ',' .. v.r .. ',' .. v.g .. ',' .. v.b end "
    "  if t == 'Zep::RandomPair' then return v.median .. ',' .. v.variation end "
    "  if t == 'Zep::EaseParameters' then return v.t0 .. ',' .. v.t1 .. ',' .. v.scale end "
    "  return tostring(v) end";

TEST_F(ScriptClassesTest, EveryVariableOfAPropertyReadsAndWritesThatProperty) {
    // Two samples per kind: the one that differs from the object's default is used.
    struct Sample {
        const char* archive;  // the property's archive form
        const char* script;   // the value made by a script
        const char* shown;    // the value read by a script, as Show gives it
    };
    const std::map<std::string, std::vector<Sample>> samples = {
        {"number", {{"3", "3", "3"}, {"5", "5", "5"}}},
        {"boolean", {{"true", "true", "true"}, {"false", "false", "false"}}},
        {"text", {{"\"sample\"", "'sample'", "sample"}, {"\"other\"", "'other'", "other"}}},
        {"Vector2", {{"[ 1.5 2.5 ]", "Zep.Vector2(1.5, 2.5)", "1.5,2.5"}, {"[ 3 4 ]", "Zep.Vector2(3, 4)", "3,4"}}},
        {"Color",
         {{"0x80402010", "Zep.Color(64, 32, 16, 128)", "128,64,32,16"},
          {"0x11223344", "Zep.Color(34, 51, 68, 17)", "17,34,51,68"}}},
        {"RandomPair",
         {{"[ 1.5 2.5 ]", "Zep.RandomPair(1.5, 2.5)", "1.5,2.5"}, {"[ 3 4 ]", "Zep.RandomPair(3, 4)", "3,4"}}},
        {"EaseParameters",
         {{"[ 0.25 0.5 0.75 ]", "Ease(0.25, 0.5, 0.75)", "0.25,0.5,0.75"}, {"[ 1 2 3 ]", "Ease(1, 2, 3)", "1,2,3"}}},
    };
    Run(kShow);

    // The classes scripts create, with their bases and variables as the list has them.
    std::map<std::string, std::string> bases;
    std::map<std::string, std::vector<ScriptTestSupport::Entry>> variables;
    std::set<std::string> creatable;
    for (const ScriptTestSupport::Entry& entry : ScriptTestSupport::ReadList()) {
        if (entry.kind == "class")
            bases[entry.table] = entry.base == "-" ? "" : "Zep." + entry.base.substr(5);
        else if (entry.kind == "variable" && !entry.readOnly)
            variables[entry.table].push_back(entry);
        else if (entry.kind == "function" && entry.name == "new")
            creatable.insert(entry.table);
    }
    int checked = 0;
    for (const std::string& table : creatable) {
        Run("o = nil o = " + table + "()");  // some need arguments
        lua_getglobal(state, "o");
        Zep::Object* object = nullptr;
        uint32_t id = 0;
        Zep::Detail::ReadObjectBox(state, -1, &object, &id);
        lua_pop(state, 1);
        if (!object)
            continue;  // not an engine object
        for (std::string owner = table; !owner.empty(); owner = bases[owner]) {
            for (const ScriptTestSupport::Entry& variable : variables[owner]) {
                std::string name = variable.name;
                name[0] = static_cast<char>(std::toupper(name[0]));
                const Zep::PropertyInfo* property = object->GetClassInfo()->FindProperty(name, true);
                if (!property || property->IsReadOnly() || samples.count(variable.results) == 0)
                    continue;
                const std::string where = table + "." + variable.name;
                std::unique_ptr<Zep::Object> scratch(object->GetClassInfo()->CreateInstance());
                const std::string original = ArchiveValue(property, scratch.get());
                const Sample* sample = nullptr;
                std::string expected;
                for (const Sample& candidate : samples.at(variable.results)) {
                    ReadArchiveValue(property, scratch.get(), candidate.archive);
                    expected = ArchiveValue(property, scratch.get());
                    if (expected != original) {
                        sample = &candidate;
                        break;
                    }
                }
                ASSERT_NE(nullptr, sample) << where;
                // From the script to the property, and from the property to the script.
                EXPECT_EQ("", Run("o." + variable.name + " = " + sample->script)) << where;
                EXPECT_EQ(expected, ArchiveValue(property, object)) << where;
                ReadArchiveValue(property, object, original);
                EXPECT_EQ(original, ArchiveValue(property, object)) << where;
                ReadArchiveValue(property, object, sample->archive);
                EXPECT_EQ(sample->shown, Run("return Show(o." + variable.name + ")")) << where;
                ++checked;
            }
        }
        Run("o:delete()");
    }
    EXPECT_GT(checked, 300);
}

TEST_F(ScriptClassesTest, TheFourCollectionsAnswerByIndexAndByItemAlike) {
    // make(i) makes the i-th item; markers and animators must differ in frame and property.
    Run("function Exercise(c, make) "
        "  local r = {} local function put(v) r[#r + 1] = tostring(v) end "
        "  local x, y, z, w = make(1), make(2), make(3), make(4) "
        "  put(c:Add(x) == x) c:Add(z) c:Insert(1, y) put(c.count) put(c:IsEmpty()) "
        "  put(c:Get(1) == y and c[1] == y and c:GetFirst() == x and c:GetLast() == z) "
        "  put(c:IndexOf(z)) put(c:IndexOf(w)) "
        "  put(c:Extract(0) == x) put(c:IndexOf(y)) put(c:Extract(z) == z) put(c.count) "
        "  c.count = 3 put(c[1]) put(c.count) "
        "  c:Put(2, w) put(c[2] == w) c:Remove(1) put(c:IndexOf(w)) c:Remove(w) "
        "  c:Clear() put(c:IsEmpty()) "
        "  c:Add(x) c:Add(z) c.count = 0 "
        "  if tolua.type(x) ~= 'Zep::Animator' then put(pcall(function() return x.className end)) end "
        "  return table.concat(r, ',') "
        "end");
    const std::string expected = "true,3,false,true,2,-1,true,0,true,1,nil,3,true,1,true";
    // Each owner is kept in a global for as long as its collection is used.
    struct Row {
        const char* collection;
        const char* make;
        const char* deleted;  // what the last check shows of a deleted item
    };
    const Row rows[] = {
        {"Zep.ObjectCollection()", "function(i) return Zep.Actor() end", ",false"},
        {"(function() owner = Zep.Actor() owner.compound = true return owner.actors end)()",
         "function(i) return Zep.Actor() end", ",false"},
        {"(function() owner = Zep.Actor() return owner.markers end)()",
         "function(i) local m = Zep.Marker() m.frame = i * 10 return m end", ",false"},
        {"(function() owner = Zep.Graphic() return owner.animators end)()",
         "function(i) return source.animators:Create(({'Position', 'Size', 'Pivot', 'Scale'})[i]):Clone() end", ""},
    };
    Run("source = Zep.Graphic()");
    for (const Row& row : rows) {
        const int32_t liveActors = Zep::Actor::GetLiveActorCount();
        const std::string result =
            Run(std::string("local c = ") + row.collection + " return Exercise(c, " + row.make + ")");
        EXPECT_EQ(expected + row.deleted, result) << row.collection;
        // The owning collections deleted their items: only the owner actor is left.
        EXPECT_EQ("", Run("owner = nil collectgarbage()"));
        EXPECT_EQ(liveActors, Zep::Actor::GetLiveActorCount()) << row.collection;
    }
}

TEST_F(ScriptClassesTest, GlobalEnabledIsOneSwitchPerClass) {
    EXPECT_EQ("false,false,false,true",
              Run("local a, b = Zep.ParticleEmitter(), Zep.ParticleEmitter2() a.globalEnabled = false "
                  "return b.globalEnabled, Zep.ParticleEmitter.globalEnabled, a.globalEnabled, "
                  "Zep.Audio().globalEnabled"));
    EXPECT_FALSE(Zep::ParticleEmitter::globalEnabled);
    EXPECT_EQ("true,false", Run("Zep.ParticleEmitter.globalEnabled = true Zep.Audio.globalEnabled = false "
                                "return Zep.ParticleEmitter().globalEnabled, Zep.Audio().globalEnabled"));
    EXPECT_TRUE(Zep::ParticleEmitter::globalEnabled);
    EXPECT_FALSE(Zep::Audio::globalEnabled);
    Zep::Audio::globalEnabled = true;
    // The class tables stay plain tables for other fields.
    EXPECT_EQ("5,nil", Run("function Zep.Graphic:Five() return 5 end Zep.Audio.note = 'x' "
                           "return Zep.Graphic():Five(), rawget(Zep.Actor, 'note')"));
}

TEST_F(ScriptClassesTest, GivenTextsAndIndicesComeBackAfterTheResult) {
    LoadSampleScene();
    Run("graphic = Zep.Graphic() graphic.position = Zep.Vector2(1, 1) "
        "keys = graphic.animators:Create('Position') keys:Capture(graphic, 0) keys:Capture(graphic, 10, 1)");
    struct Call {
        const char* script;
        const char* results;
    };
    const Call calls[] = {
        {"return keys:FindKey(10, 7)", "true,1"},
        {"return keys:FindKey(5, 7)", "false,7"},
        {"return keys:FindEffectiveKey(5, 7)", "true,0"},
        {"return keys:GetAttributes(1), keys:GetFrameNumber(1), keys:GetLastFrameNumber()", "1,10,10"},
        {"local a, n = scene.actors:FindByName('Image') return a.name, tolua.type(a), n", "Image,Zep::Image,Image"},
        {"return scene:FindChild('Scene').markers:FindByName('stop').frame, select(2, "
         "scene:FindChild('Actor').markers:FindByName('Marker'))",
         "10,Marker"},
        {"return scene.actors:SetIgnoredByName('Text', true), scene.actors:FindByName('none')", "Text,nil,none"},
        {"local a, n = graphic.animators:Find('Position') return a == keys, n, graphic.animators:Erase('Size')",
         "true,Position,Size"},
        {"return Zep.ClassRegistry:GetInstance():FindClass('Zep::Gear').className, scene:IsKindOf('Zep::Control')",
         "Zep::Gear,true,Zep::Control"},
        {"local c = Zep.ClassRegistry:GetInstance():FindClass('Zep::Image') local p, n = c:FindProperty('Name') "
         "return p.ownerClass.className, n, c:FindProperty('Name', false), c.baseClassInfo.className",
         "Zep::Actor,Name,nil,Zep::Graphic"},
    };
    for (const Call& call : calls)
        EXPECT_EQ(call.results, Run(call.script)) << call.script;
    Run("scene:delete()");
}

TEST_F(ScriptClassesTest, AnAssignedCopyOfThePositionMovesTheGraphicAndItsTransform) {
    EXPECT_EQ("true,10,10", Run("local g = Zep.Graphic() local before = g:CalcFullTransformMatrix()._31 "
                                "local p = g.position p.x = p.x + 10 local kept = g:CalcFullTransformMatrix()._31 "
                                "g.position = p return kept == before, g:CalcFullTransformMatrix()._31 - before, "
                                "g.position.x"));
}

TEST_F(ScriptClassesTest, ValuesTheEngineCannotTakeAreLuaErrorsThatChangeNothing) {
    Run("a, b, c = Zep.Actor(), Zep.Actor(), Zep.Actor() b.parent = a c.parent = b graphic = Zep.Graphic() "
        "info = tolua.cast(Zep.ClassRegistry:GetInstance():FindClass('Zep::Actor'):FindProperty('Name'), "
        "'Zep::StringPropertyInfo')");
    struct Refused {
        const char* script;
        const char* error;
    };
    const Refused calls[] = {
        {"a.parent = a", "Zep.Actor.parent: the actor would become its own ancestor"},
        {"a.parent = c", "Zep.Actor.parent: the actor would become its own ancestor"},
        {"info:GetValue(nil)", "Zep.StringPropertyInfo.GetValue: argument #2 is nil; Zep::Object expected"},
        {"info:SetValue(nil, 'x')", "Zep.StringPropertyInfo.SetValue: argument #2 is nil; Zep::Object expected"},
        {"a:OverrideClassInfo(nil)", "Zep.Object.OverrideClassInfo: argument #2 is nil; Zep::ClassInfo expected"},
        {"graphic.animators:Create('Size'):Apply(nil, 0)", "Zep.Animator.Apply: argument #2 is nil; Zep::Object"},
        {"graphic.animators:Create('Size'):Capture(nil, 0, 1)", "Zep.Animator.Capture: argument #2 is nil"},
        {"Zep.ClassInfo('Test::Refused', nil):RegisterProperty(nil)", "argument #2 is nil; Zep::PropertyInfo"},
        {"a.markers:FindInsertionPlace(nil)", "argument #2 is nil; Zep::Marker expected"},
    };
    for (const Refused& call : calls) {
        const std::string result = Run(std::string("return pcall(function() ") + call.script + " end)");
        EXPECT_THAT(result, StartsWith("false,")) << call.script;
        EXPECT_THAT(result, HasSubstr(call.error)) << call.script;
    }
    // A parent that closes no cycle is stored as it is, without entering the parent's children.
    EXPECT_EQ("nil,true,0,Zep::Actor,true", Run("local d = Zep.Actor() d.parent = c "
                                                "return a.parent, c.parent == b, a.actors.count, a.className, "
                                                "d:GetRootActor() == a"));
}

TEST_F(ScriptClassesTest, ATreeWithEmptySlotsIsWalkedPastThem) {
    LoadSampleScene();
    // Each actor of the sample is named after its class; every container gets two empty
    // slots.
    EXPECT_EQ("16,", Run("function Walk(a, f) f(a) for i = 0, a.actors.count - 1 do "
                         "  local child = a.actors[i] if child then Walk(child, f) end end end "
                         "local count, wrong = 0, '' "
                         "Walk(scene, function(a) if a ~= scene then count = count + 1 "
                         "  if tolua.type(a) ~= 'Zep::' .. a.name then wrong = wrong .. a.name end end end) "
                         "Walk(scene, function(a) if a.compound then a.actors.count = a.actors.count + 2 end end) "
                         "return count, wrong"));
    const std::string saved = Run("return Zep.DumpObject(scene)");
    EXPECT_EQ("true,17,true,nil,true,0",
              Run("scene:SafeUpdate(120) scene:Render() local copy = scene:CloneRecursive() copy:Assign(scene) "
                  "local same = Zep.DumpObject(copy) == Zep.DumpObject(scene) copy:delete() "
                  "return scene.actors[13] == nil, scene.totalActors, scene:HitTest(Zep.Vector2(5, 5)), "
                  "scene:FindChild('none'), same, scene:FindChild('Scene').currentFrame"));
    lua_getglobal(state, "scene");
    Zep::Actor* scene = static_cast<Zep::Actor*>(Zep::LuaToObject(state, -1, nullptr));
    lua_pop(state, 1);
    scene->AcquireTextures();
    scene->ReleaseTextures();
    EXPECT_EQ(0, scene->FindCursorAt(scene->CalcFullRenderContext(), 0, Zep::Vector2(5, 5)));
    // The empty slots are not saved: the text reads back as the tree without them.
    Zep::MemoryStream stream(saved.data(), static_cast<int32_t>(saved.size()), 0);
    Zep::ITextArchive reader(&stream, "saved");
    std::unique_ptr<Zep::Actor> loaded(static_cast<Zep::Actor*>(Zep::Object::CreateFromArchive(reader)));
    EXPECT_EQ(13, loaded->GetActors().GetCount());
    EXPECT_EQ(17, loaded->GetTotalActors());
    Run("scene:delete()");
}

}  // namespace
