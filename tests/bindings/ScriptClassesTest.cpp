// The engine classes as scripts see them: variables against their properties, the
// collections, and what the bindings themselves decide.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "Common/BundleSystem.h"
#include "Common/Object.h"
#include "Common/PropertyInfo.h"
#include "ScriptTestSupport.h"

namespace {

using ScriptTestSupport::ArchiveValue;
using ScriptTestSupport::ReadArchiveValue;
using ::testing::HasSubstr;
using ScriptClassesTest = ScriptTestSupport::ScriptFixture;

TEST_F(ScriptClassesTest, EveryVariableOfAPropertyReadsAndWritesThatProperty) {
    struct Sample {
        const char* archive;  // the property's archive form
        const char* script;   // made by a script
        const char* shown;    // read by a script, through Show
    };
    // Two per kind: the second where the first is the object's own value.
    const std::map<std::string, std::pair<Sample, Sample>> samples = {
        {"number", {{"3", "3", "3"}, {"5", "5", "5"}}},
        {"boolean", {{"true", "true", "true"}, {"false", "false", "false"}}},
        {"text", {{"\"sample\"", "'sample'", "sample"}, {"\"x\"", "'x'", "x"}}},
        {"Vector2", {{"[ 1.5 2.5 ]", "Zep.Vector2(1.5, 2.5)", "1.5,2.5"}, {"[ 3 4 ]", "Zep.Vector2(3, 4)", "3,4"}}},
        {"Color",
         {{"0x80402010", "Zep.Color(64, 32, 16, 128)", "128,64,32,16"}, {"0x1", "Zep.Color(0, 0, 1, 0)", "0,0,0,1"}}},
        {"RandomPair",
         {{"[ 1.5 2.5 ]", "Zep.RandomPair(1.5, 2.5)", "1.5,2.5"}, {"[ 3 4 ]", "Zep.RandomPair(3, 4)", "3,4"}}},
        {"EaseParameters",
         {{"[ 0.25 0.5 0.75 ]", "Ease(0.25, 0.5, 0.75)", "0.25,0.5,0.75"}, {"[ 1 2 3 ]", "Ease(1, 2, 3)", "1,2,3"}}},
    };
    Run("local m = Zep.Marker() function Ease(t0, t1, s) local e = m.easeParameters e.t0, e.t1, e.scale = t0, t1, s "
        "return e end function Show(v) local t = tolua.type(v) "
        "if t == 'Zep::Vector2' or t == 'Zep::RandomPair' then return (v.x or v.median) .. ',' .. (v.y or v.variation) "
        "elseif t == 'Zep::Color' then return v.a .. ',' .. v.r .. ',' .. v.g .. ',' .. v.b "
        "elseif t == 'Zep::EaseParameters' then return v.t0 .. ',' .. v.t1 .. ',' .. v.scale end return tostring(v) "
        "end");

    // Every class that scripts create, with its variables and those of its bases.
    std::map<std::string, std::string> bases;
    std::multimap<std::string, ScriptTestSupport::Entry> variables;
    for (const ScriptTestSupport::Entry& entry : ScriptTestSupport::ReadList()) {
        if (entry.kind == "class")
            bases[entry.table] = entry.base == "-" ? "" : "Zep." + entry.base.substr(5);
        else if (entry.kind == "variable" && !entry.readOnly && samples.count(entry.results))
            variables.emplace(entry.table, entry);
    }
    int checked = 0;
    for (const auto& [table, base] : bases) {
        Run("o = nil o = " + table + "()");  // only creatable classes make one
        lua_getglobal(state, "o");
        Zep::Object* object = nullptr;
        uint32_t id = 0;
        Zep::Detail::ReadObjectBox(state, -1, &object, &id);  // null unless an engine object
        lua_pop(state, 1);
        for (std::string owner = table; object && !owner.empty(); owner = bases[owner]) {
            for (auto it = variables.lower_bound(owner); it != variables.upper_bound(owner); ++it) {
                const std::string& name = it->second.name;
                const Zep::PropertyInfo* property = object->GetClassInfo()->FindProperty(
                    static_cast<char>(std::toupper(name[0])) + name.substr(1), true);
                if (!property || property->IsReadOnly())
                    continue;
                const std::string original = ArchiveValue(property, object);
                const auto& pair = samples.at(it->second.results);
                ReadArchiveValue(property, object, pair.first.archive);
                const Sample& sample = ArchiveValue(property, object) == original ? pair.second : pair.first;
                ReadArchiveValue(property, object, sample.archive);
                const std::string expected = ArchiveValue(property, object);
                // From the property to the script, then from the script to the property.
                EXPECT_EQ(sample.shown, Run("return Show(o." + name + ")")) << table << "." << name;
                ReadArchiveValue(property, object, original);
                EXPECT_EQ("", Run("o." + name + " = " + sample.script)) << table << "." << name;
                EXPECT_EQ(expected, ArchiveValue(property, object)) << table << "." << name;
                ++checked;
            }
        }
        if (object)
            Run("o:delete()");
    }
    EXPECT_GT(checked, 300);
}

TEST_F(ScriptClassesTest, TheFourCollectionsAnswerByIndexAndByItemAlike) {
    // make(i) makes the i-th item; markers and animators must differ in frame and property.
    Run("function Exercise(c, make) local r = {} local function put(v) r[#r + 1] = tostring(v) end "
        "local x, y, z, w = make(1), make(2), make(3), make(4) "
        "put(c:Add(x) == x) c:Add(z) c:Insert(1, y) put(c.count) put(c:IsEmpty()) "
        "put(c:Get(1) == y and c[1] == y and c:GetFirst() == x and c:GetLast() == z) put(c:IndexOf(z)) "
        "put(c:IndexOf(w)) put(c:Extract(0) == x) put(c:IndexOf(y)) put(c:Extract(z) == z) put(c.count) "
        "c.count = 3 put(c[1]) put(c.count) c:Put(2, w) put(c[2] == w) c:Remove(1) put(c:IndexOf(w)) "
        "c:Remove(w) c:Clear() put(c:IsEmpty()) c:Add(x) c:Add(z) c.count = 0 "
        "if tolua.type(x) ~= 'Zep::Animator' then put(pcall(function() return x.className end)) end "
        "return table.concat(r, ',') end "
        "source = Zep.Graphic()");
    const std::string expected = "true,3,false,true,2,-1,true,0,true,1,nil,3,true,1,true";
    // The owner lives in a global for as long as its collection is used.
    const char* const rows[][3] = {
        {"Zep.ObjectCollection()", "function(i) return Zep.Actor() end", ",false"},
        {"(function() owner = Zep.Actor() owner.compound = true return owner.actors end)()",
         "function(i) return Zep.Actor() end", ",false"},
        {"(function() owner = Zep.Actor() return owner.markers end)()",
         "function(i) local m = Zep.Marker() m.frame = i * 10 return m end", ",false"},
        {"(function() owner = Zep.Graphic() return owner.animators end)()",
         "function(i) return source.animators:Create(({'Position', 'Size', 'Pivot', 'Scale'})[i]):Clone() end", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(expected + row[2], Run(std::string("return Exercise(") + row[0] + ", " + row[1] + ")")) << row[0];
}

TEST_F(ScriptClassesTest, WhatTheBindingsDecide) {
    Run("a, b, c, g = Zep.Actor(), Zep.Actor(), Zep.Actor(), Zep.Graphic() b.parent = a c.parent = b "
        "keys = g.animators:Create('Size') keys:Capture(g, 0) keys:Capture(g, 10, 1) "
        "info = tolua.cast(Zep.ClassRegistry:GetInstance():FindClass('Zep::Actor'):FindProperty('Name'), "
        "'Zep::StringPropertyInfo') function Try(f) return select(2, pcall(f)) end");
    const char* const calls[][2] = {
        {"local f, i = keys:FindKey(10, 7) local n, j = keys:FindKey(5, 7) local e, k = keys:FindEffectiveKey(5, 7) "
         "return f, i, n, j, e, k",
         "true,1,false,7,true,0"},
        {"c.name = 'c' b.compound = true b.actors:Add(Zep.Actor()).name = 'd' local found, name = "
         "b.actors:FindByName('d') local missing, asked = b.actors:FindByName('c') return found.name, name, missing, "
         "asked",
         "d,d,nil,c"},
        {"local e = Zep.ParticleEmitter() e.globalEnabled = false local seen = Zep.ParticleEmitter2().globalEnabled "
         "Zep.ParticleEmitter.globalEnabled = true return seen, e.globalEnabled, Zep.Audio().globalEnabled",
         "false,true,true"},
        {"function Zep.Graphic:Five() return 5 end return g:Five(), rawget(Zep.Actor, 'Five')", "5,nil"},
        {"local p = g.position p.x = p.x + 10 local before = g:CalcFullTransformMatrix()._31 g.position = p "
         "return g:CalcFullTransformMatrix()._31 - before",
         "10"},
        // An actor never becomes its own ancestor; any other parent is stored as it is.
        {"return Try(function() a.parent = c end)", "Zep.Actor.parent: the actor would become its own ancestor"},
        {"local d = Zep.Actor() d.parent = c local root = d:GetRootActor() d.parent = nil "
         "return a.parent, a.actors.count, root == a",
         "nil,0,true"},
        // Nil where the engine would dereference it.
        {"return Try(function() info:GetValue(nil) end)", "GetValue: argument #2 is nil; Zep::Object expected"},
        {"return Try(function() a:OverrideClassInfo(nil) end)", "argument #2 is nil; Zep::ClassInfo expected"},
    };
    for (const auto& call : calls)
        EXPECT_THAT(Run(call[0]), HasSubstr(call[1])) << call[0];
    Run("b.parent, c.parent = nil, nil");  // neither lies in its parent's children
}

TEST_F(ScriptClassesTest, ATreeWithEmptySlotsIsWalkedPastThem) {
    // The sample scene has every graphic class, each actor named after its class.
    Zep::BundleSystem::GetInstance()->MountDirectory(ZEP_TEST_DATA "/bindings");
    EXPECT_EQ("16,", Run("scene = Zep.CreateSceneFromFile('scene-classes.scene') "
                         "function Walk(a, f) f(a) for i = 0, a.actors.count - 1 do "
                         "if a.actors[i] then Walk(a.actors[i], f) end end end local count, wrong = -1, '' "
                         "Walk(scene, function(a) count = count + 1 "
                         "if a ~= scene and tolua.type(a) ~= 'Zep::' .. a.name then wrong = wrong .. a.name end end) "
                         "Walk(scene, function(a) if a.compound then a.actors.count = a.actors.count + 2 end end) "
                         "return count, wrong"));
    Zep::BundleSystem::GetInstance()->Unmount(ZEP_TEST_DATA "/bindings");
    // Updated, drawn, hit-tested, searched, copied and saved; the saved text has no slot.
    EXPECT_EQ("true,17,true,nil,true,20",
              Run("scene:SafeUpdate(120) scene:Render() local copy = scene:CloneRecursive() copy:Assign(scene) "
                  "local saved = Zep.DumpObject(scene) local same = Zep.DumpObject(copy) == saved copy:delete() "
                  "return scene.actors[14] == nil, scene.totalActors, scene:HitTest(Zep.Vector2(5, 5)), "
                  "scene:FindChild('none'), same, select(2, saved:gsub('\"Zep::%w+\" {', ''))"));
    Run("scene:delete()");
}

}  // namespace
