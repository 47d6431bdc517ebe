// The checked-in script API list against what scripts see and what the generated
// bindings register, read and push.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ScriptTestSupport.h"
#include "TestSupport.h"

namespace {

struct Entry {
    std::string table;  // _G, Zep, Zep.Vector2, a global class's name
    std::string base;   // on class lines
    std::string kind;
    std::string name;
    std::string arguments;
    std::string results;
    bool readOnly = false;

    std::string Text() const {
        return table + " | " + base + " | " + kind + " | " + name + " | " + arguments + " | " + results +
               (readOnly ? " | read-only" : "");
    }
};

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<Entry> ReadList() {
    std::vector<Entry> entries;
    std::istringstream lines(TestSupport::ReadFile(ZEP_TEST_DATA "/bindings/script-api.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> cells;
        std::istringstream columns(line);
        std::string cell;
        while (std::getline(columns, cell, '|'))
            cells.push_back(Trim(cell));
        cells.resize(7);
        entries.push_back({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6] == "read-only"});
    }
    return entries;
}

// The Lua name of a registered type: without the module's namespace and constness.
std::string LuaName(std::string type) {
    if (type.compare(0, 6, "const ") == 0)
        type = type.substr(6);
    if (type.compare(0, 5, "Zep::") == 0)
        type = type.substr(5);
    return type;
}

std::string Join(const std::vector<std::string>& kinds) {
    std::string text;
    for (const std::string& kind : kinds)
        text += (text.empty() ? "" : " ") + kind;
    return text.empty() ? "-" : text;
}

// The generated bindings: each registration of the open function with what its
// binding reads and pushes.
class GeneratedBindings {
public:
    GeneratedBindings() : source(TestSupport::ReadFile(ZEP_GENERATED_BINDINGS)) {
        std::istringstream lines(source.substr(source.find("TOLUA_API int tolua_Zep_open")));
        std::string line;
        std::vector<std::string> scopes;
        std::set<std::string> classes;
        bool skipping = false;
        const std::regex call(R"re(^\s*(tolua_\w+)\(tolua_S,?(.*)\);)re");
        std::smatch match;
        while (std::getline(lines, line) && line != "}") {
            if (line.find("#else") != std::string::npos)
                skipping = true;
            if (line.find("#endif") != std::string::npos)
                skipping = false;
            if (skipping || !std::regex_search(line, match, call))
                continue;
            const std::string function = match[1];
            const std::vector<std::string> arguments = Split(match[2]);
            const std::string table = scopes.empty() ? "" : scopes.back();
            // What lies in the global table is named by its own name.
            const auto Path = [&](const std::string& name) {
                return name == "_G" || table == "_G" ? name : table + "." + name;
            };
            if (function == "tolua_module") {
                const std::string name = arguments[0] == "NULL" ? "_G" : Unquote(arguments[0]);
                entries.push_back({Path(name), "-", "module", name, "-", "-"});
            } else if (function == "tolua_beginmodule") {
                scopes.push_back(Path(arguments[0] == "NULL" ? "_G" : Unquote(arguments[0])));
            } else if (function == "tolua_endmodule") {
                scopes.pop_back();
            } else if (function == "tolua_cclass") {
                const std::string base = Unquote(arguments[2]);
                const std::string path = Path(Unquote(arguments[0]));
                entries.push_back({path, base.empty() ? "-" : base, "class", "", "-", "-"});
                classes.insert(path);
            } else if (function == "tolua_function") {
                const std::string binding = Binding(arguments[1]);
                const bool member = classes.count(table) != 0;
                entries.push_back(
                    {table, "-", "function", Unquote(arguments[0]), Reads(binding, member ? 2 : 1), Pushes(binding)});
            } else if (function == "tolua_variable") {
                const bool readOnly = arguments[2] == "NULL";
                entries.push_back(
                    {table, "-", "variable", Unquote(arguments[0]), "-", Pushes(Binding(arguments[1])), readOnly});
                if (!readOnly)
                    setterReads[table + "." + Unquote(arguments[0])] = Reads(Binding(arguments[2]), 2);
            } else if (function == "tolua_array") {
                entries.push_back({table, "-", "array", Unquote(arguments[0]), "-", "-", arguments[2] == "NULL"});
            } else if (function == "tolua_constant") {
                entries.push_back({table, "-", "constant", Unquote(arguments[0]), "-", arguments[1]});
            }
        }
        const std::regex declared(R"re(tolua_usertype\(tolua_S,"([^"]+)"\))re");
        for (std::sregex_iterator it(source.begin(), source.end(), declared), end; it != end; ++it)
            types.insert((*it)[1]);
    }

    std::string source;
    std::vector<Entry> entries;
    std::set<std::string> types;
    std::map<std::string, std::string> setterReads;

private:
    static std::vector<std::string> Split(const std::string& text) {
        std::vector<std::string> parts;
        std::string part;
        bool quoted = false;
        for (char c : text) {
            if (c == '"')
                quoted = !quoted;
            if (c == ',' && !quoted) {
                parts.push_back(Trim(part));
                part.clear();
            } else {
                part += c;
            }
        }
        parts.push_back(Trim(part));
        return parts;
    }

    static std::string Unquote(const std::string& text) {
        return text.size() >= 2 && text.front() == '"' ? text.substr(1, text.size() - 2) : text;
    }

    // The body of the binding a guard registers.
    std::string Binding(const std::string& guard) const {
        const std::string name = guard.compare(0, 8, "guarded_") == 0 ? guard.substr(8) : guard;
        const size_t start = source.find("static int " + name + "(lua_State* tolua_S)");
        if (start == std::string::npos)
            return std::string();
        // Without the branches for C compilers.
        static const std::regex forC(R"re(#else\n[^#]*#endif)re");
        return std::regex_replace(source.substr(start, source.find("\n}\n", start) - start), forC, "");
    }

    // The kinds a binding reads from the stack positions from first on, in order.
    static std::string Reads(const std::string& body, int first) {
        std::map<int, std::string> reads;
        const std::regex basic(R"re(tolua_to(number|boolean|text)\(tolua_S,(\d+),)re");
        for (std::sregex_iterator it(body.begin(), body.end(), basic), end; it != end; ++it)
            reads[std::stoi((*it)[2])] = (*it)[1] == "boolean" ? "boolean" : (*it)[1] == "text" ? "text" : "number";
        const std::regex user(R"re(Argument\{"([^"]+)",\w+\}\(tolua_S,(\d+),)re");
        for (std::sregex_iterator it(body.begin(), body.end(), user), end; it != end; ++it)
            reads[std::stoi((*it)[2])] = LuaName((*it)[1]);
        std::vector<std::string> kinds;
        for (const auto& read : reads) {
            if (read.first >= first)
                kinds.push_back(read.second);
        }
        return Join(kinds);
    }

    // The kinds a binding pushes, in order.
    static std::string Pushes(const std::string& body) {
        const std::regex push(
            R"re(tolua_push(number|boolean|text)\(|(?:LuaPushObject|PushUserType|PushCopy<[\w:]+>)\(tolua_S,[^"]*"([^"]+)"\))re");
        std::vector<std::string> kinds;
        for (std::sregex_iterator it(body.begin(), body.end(), push), end; it != end; ++it)
            kinds.push_back((*it)[1].matched ? std::string((*it)[1]) : LuaName((*it)[2]));
        return Join(kinds);
    }
};

// Each kind's count, with the read-only variables apart.
std::map<std::string, int> CountKinds(const std::vector<Entry>& entries) {
    std::map<std::string, int> counts;
    for (const Entry& entry : entries) {
        ++counts[entry.kind];
        if (entry.readOnly)
            ++counts["read-only"];
    }
    return counts;
}

TEST(ScriptApiList, TheGeneratedBindingsRegisterReadAndPushWhatTheListSays) {
    const std::vector<Entry> list = ReadList();
    const GeneratedBindings generated;
    ASSERT_FALSE(generated.entries.empty());

    // Registration order, with the declared-only types apart.
    // Each class and declared type is a user type, named as its table with "::".
    std::vector<Entry> expected;
    std::set<std::string> types;
    for (Entry entry : list) {
        if (entry.kind == "type" || entry.kind == "class") {
            std::string type = entry.table + (entry.kind == "type" ? "." + entry.name : "");
            for (size_t dot = type.find('.'); dot != std::string::npos; dot = type.find('.', dot))
                type.replace(dot, 1, "::");
            types.insert(type);
        }
        if (entry.kind == "type")
            continue;
        if (entry.kind == "class")
            entry.name = "";
        expected.push_back(entry);
    }
    std::map<std::string, int> expectedCounts = CountKinds(expected);
    expectedCounts["type"] = static_cast<int>(types.size());
    std::map<std::string, int> generatedCounts = CountKinds(generated.entries);
    generatedCounts["type"] = static_cast<int>(generated.types.size());
    EXPECT_EQ(expectedCounts, generatedCounts);

    for (size_t i = 0; i < std::max(expected.size(), generated.entries.size()); ++i) {
        const std::string want = i < expected.size() ? expected[i].Text() : "(none)";
        const std::string got = i < generated.entries.size() ? generated.entries[i].Text() : "(none)";
        if (want != got) {
            ADD_FAILURE() << "registration " << i << ":\n  listed    " << want << "\n  generated " << got;
            break;
        }
    }

    // Every class and every declared type is a registered user type, and nothing else is.
    EXPECT_EQ(types, generated.types);

    // A setter reads the kind its variable pushes.
    for (const Entry& entry : list) {
        if (entry.kind == "variable" && !entry.readOnly) {
            const auto reads = generated.setterReads.find(entry.table + "." + entry.name);
            ASSERT_NE(generated.setterReads.end(), reads) << entry.Text();
            EXPECT_EQ(entry.results, reads->second) << entry.Text();
        }
    }
}

// What scripts see: the names in Zep, its classes and the global classes.
class ScriptApiWalk : public ScriptTestSupport::ScriptFixture {
protected:
    // Every name of the table (the module or a class table) with its kind:
    // function, variable, read-only variable, constant, class or module. The runtime's
    // own fields of class tables are left out.
    std::map<std::string, std::string> Walk(const std::string& path) {
        static const std::set<std::string> runtimeFields = {
            ".get",  ".set",  ".collector", "tolua_ubox", "__index", "__newindex", "__add", "__sub",
            "__mul", "__div", "__lt",       "__le",       "__eq",    "__call",     "__gc"};
        std::map<std::string, std::string> names;
        luaL_loadstring(state, ("return " + path).c_str());
        lua_call(state, 0, 1);
        const int table = lua_gettop(state);
        lua_pushnil(state);
        while (lua_next(state, table)) {
            const std::string name = lua_tostring(state, -2);
            if (runtimeFields.count(name) == 0) {
                if (lua_iscfunction(state, -1)) {
                    names[name] = "function";
                } else if (lua_isnumber(state, -1)) {
                    names[name] = "constant";
                } else if (lua_istable(state, -1)) {
                    lua_pushvalue(state, -1);
                    lua_rawget(state, LUA_REGISTRYINDEX);
                    names[name] = lua_isstring(state, -1) ? "class" : "module";
                    lua_pop(state, 1);
                } else {
                    names[name] = lua_typename(state, lua_type(state, -1));
                }
            }
            lua_pop(state, 1);
        }
        for (const char* accessors : {".get", ".set"}) {
            lua_getfield(state, table, accessors);
            if (lua_istable(state, -1)) {
                lua_pushnil(state);
                while (lua_next(state, -2)) {
                    const std::string name = lua_tostring(state, -2);
                    names[name] = accessors == std::string(".get") ? "read-only variable" : "variable";
                    lua_pop(state, 1);
                }
            }
            lua_pop(state, 1);
        }
        lua_settop(state, table - 1);
        return names;
    }
};

TEST_F(ScriptApiWalk, ScriptsSeeNoNameOutsideTheListAndEveryNameOfACompleteClass) {
    // The list's names per table, with their kinds as the walk tells them. A class or a
    // nested module is a name of the table it lies in.
    std::map<std::string, std::map<std::string, std::string>> listed;
    std::set<std::string> complete;
    for (const Entry& entry : ReadList()) {
        const size_t dot = entry.table.rfind('.');
        const std::string parent = dot == std::string::npos ? "_G" : entry.table.substr(0, dot);
        const std::string last = dot == std::string::npos ? entry.table : entry.table.substr(dot + 1);
        if (entry.kind == "class") {
            listed[parent][last] = "class";
            listed[entry.table];
            if (entry.name == "complete")
                complete.insert(entry.table);
        } else if (entry.kind == "module") {
            if (entry.name != "_G")
                listed[parent][last] = "module";
        } else if (entry.kind == "variable") {
            listed[entry.table][entry.name] = entry.readOnly ? "read-only variable" : "variable";
        } else if (entry.kind == "function" || entry.kind == "constant") {
            listed[entry.table][entry.name] = entry.kind;
        }
    }

    std::vector<std::string> tables = {"Zep"};
    for (const auto& name : Walk("Zep")) {
        if (name.second == "class" || name.second == "module")
            tables.push_back("Zep." + name.first);
    }
    for (const std::string& table : tables) {
        const std::map<std::string, std::string> seen = Walk(table);
        const std::map<std::string, std::string>& names = listed[table];
        for (const auto& name : seen) {
            const auto entry = names.find(name.first);
            if (entry == names.end())
                ADD_FAILURE() << table << "." << name.first << " (" << name.second << ") is not listed";
            else
                EXPECT_EQ(entry->second, name.second) << table << "." << name.first;
        }
        if (complete.count(table) != 0) {
            for (const auto& name : names)
                EXPECT_EQ(1u, seen.count(name.first)) << table << "." << name.first << " is listed but missing";
        }
    }
    // Every listed name of Zep itself is there.
    const std::map<std::string, std::string> zep = Walk("Zep");
    for (const auto& name : listed["Zep"])
        EXPECT_EQ(1u, zep.count(name.first)) << "Zep." << name.first << " is listed but missing";

    // The global table holds the module Zep and only listed classes and constants.
    for (const auto& name : Walk("_G")) {
        if (name.second == "class" || name.second == "constant") {
            EXPECT_EQ(1u, listed["_G"].count(name.first)) << "_G." << name.first << " is not listed";
        }
    }
    EXPECT_EQ("module", listed["_G"]["Zep"]);
    EXPECT_EQ(1u, Walk("_G").count("Zep"));
}

}  // namespace
