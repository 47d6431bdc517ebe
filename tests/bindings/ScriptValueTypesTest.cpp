// The value types and string lists as scripts make and use them.
#include <gtest/gtest.h>

#include <string>

#include "ScriptTestSupport.h"

namespace {

using ScriptValueTypesTest = ScriptTestSupport::ScriptFixture;

struct ValueRule {
    const char* rule;
    const char* script;
    const char* results;
};

const ValueRule kValueRules[] = {
    {"a colour keeps the low 8 bits of each channel and is opaque by default",
     "local c = Zep.Color(300, 0, 0) return c.r, c.g, c.b, c.a", "44,0,0,255"},
    {"a colour of red alone is opaque red", "local c = Zep.Color(255, 0, 0) return c.a, c.r, c.g", "255,255,0"},
    {"negative and large channels wrap too", "local c = Zep.Color(-1, 256, 1, 511) return c.r, c.g, c.b, c.a",
     "255,0,1,255"},
    {"colours multiply as the engine's and compare exactly",
     "local c = Zep.Color(128, 128, 128) "
     "return c * Zep.Color(255, 255, 255) == c, (c * 0.5).r, c == Zep.Color(128, 128, 128, 254)",
     "true,64,false"},
    {"an integer vector from a vector truncates and wraps to 16 bits",
     "local v = Zep.IntVector2(Zep.Vector2(40000.7, -2.9)) return v.x, v.y", "-25536,-2"},
    {"integer vectors add, subtract, negate and compare exactly",
     "local a, b = Zep.IntVector2(1, 2), Zep.IntVector2(3, 5) "
     "local s, d, n = a + b, a - b, Zep.IntVector2['.sub'](a) "
     "return s.x, s.y, d.x, d.y, n.x, n.y, s == Zep.IntVector2(4, 7), a == Zep.IntVector2(1, 3)",
     "4,7,-2,-3,-1,-2,true,false"},
    {"a vector from an integer vector is exact", "local v = Zep.Vector2(Zep.IntVector2(-7, 9)) return v.x, v.y",
     "-7,9"},
    {"vectors compare within 0.001",
     "return Zep.Vector2(1, 1) == Zep.Vector2(1.0009, 1), Zep.Vector2(1, 1) == Zep.Vector2(1.001, 1)", "true,false"},
    {"vector arithmetic works per component",
     "local a, b = Zep.Vector2(6, 8), Zep.Vector2(2, 4) "
     "local r = {a + b, a - b, a * 2, a * b, a / 2, a / b, Zep.Vector2['.sub'](a)} "
     "local t = {} for _, v in ipairs(r) do t[#t + 1] = v.x .. ' ' .. v.y end return table.concat(t, ';')",
     "8 12;4 4;12 16;12 32;3 4;3 2;-6 -8"},
    {"normalising answers the squared length it had", "local v = Zep.Vector2(3, 4) return v:Normalize(), v.x, v.y",
     "25,0.60000002384186,0.80000001192093"},
    {"the length of a vector", "return Zep.Vector2(3, 4):CalcLength(), Zep.Vector2(0, 0):CalcLength()", "5,0"},
    {"an empty box has no width", "local b = Zep.Aabb2(5, 0, 1, 1) return b.width, b.height, b:IsEmpty()", "0,1,true"},
    {"a box of one point is not empty and grows by points",
     "local b = Zep.Aabb2(1, 1, 1, 1) local e = b:IsEmpty() "
     "b:IncludePoint(3, 2) b:IncludePoint(Zep.Vector2(0, 5)) "
     "return e, b.mins.x, b.mins.y, b.maxs.x, b.maxs.y, b.size.x, b.size.y",
     "false,0,1,3,5,3,4"},
    {"a matrix of one number scales",
     "local m = Zep.Matrix32(1) local n = Zep.Matrix32(2) "
     "return m._11, m._12, m._21, m._22, m._31, m._32, n._11, n._22, n._12",
     "1,0,0,1,0,0,2,2,0"},
    {"a transform set on a matrix answers the matrix itself",
     "local m = Zep.Matrix32(1) "
     "local same = m:SetTransform(Zep.Vector2(0, 0), Zep.Vector2(2, 2), 0, Zep.Vector2(5, 1)) "
     "local p = m:TransformVector(Zep.Vector2(1, 1)) local i = m * m:CalcInversed() "
     "return rawequal(same, m), p.x, p.y, i._11, i._22, i._31",
     "true,7,3,1,1,0"},
    {"a random pair keeps its median and variation", "local r = Zep.RandomPair(5, 2) return r.median, r.variation",
     "5,2"},
    {"string lists index from zero and grow with empty texts",
     "local s = Zep.StringVector() local t = s:push_back('x') s:resize(3) s[2] = 'z' "
     "return t, s:size(), s[0], s[1] == '', s[2]",
     "x,3,x,true,z"},
};

TEST_F(ScriptValueTypesTest, ValueRules) {
    for (const ValueRule& rule : kValueRules)
        EXPECT_EQ(rule.results, Run(rule.script)) << rule.rule;
}

}  // namespace
