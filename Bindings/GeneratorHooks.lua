-- The engine's changes to the binding generator tolua++ 1.0.93, loaded with -L.
--
-- tolua++ runs this file before it reads the package, so everything here can replace
-- or wrap the generator's own functions. Each change below says what the stock
-- generator writes and what the engine's packages need instead; the C++ side of each
-- lives in Bindings/BindingSupport.h.
--
--  1. Object classes: values of classes derived from Zep::Object are read through the
--     engine's checked object reader (which applies the destroyed-object check of
--     Common/LuaCore) and pushed through LuaPushObject, under the declared type.
--  2. Checked reading: the stock reader hands a binding null for a missing value and any
--     user data for a mismatched one, and its checks are compiled out under
--     TOLUA_RELEASE. The engine's readers check the class of every user-type value and
--     refuse a missing one wherever the binding dereferences it; a pointer parameter
--     and a pointer variable still take nil as null.
--  3. Plain pushes never retag an object box found in a shared box cache.
--  4. The property kinds "get" (GetName/SetName) and "is" (IsName/SetName).
--  5. Variables of the value types push a collected copy; the stock getter pushes the
--     address of the variable or of the getter's result.
--  6. std::string is the basic kind "text", passed with its length both ways; the stock
--     kind cuts a text at its first zero byte.
--  7. Guards: every binding is registered through a guard that turns the binding's
--     argument errors and a script error thrown through it into a Lua error once the
--     binding's C++ frames are gone.
--  8. Collectors: the engine's collector templates replace the stock ones, and the value
--     types always have one (variables push collected copies of them).
--  9. "delete" drops the value's registration for collection before deleting it.
-- 10. Every class refuses assignments to its read-only variables.
-- 11. Zep::Vector2Array is declared among the user types.

local zep = {
    -- The classes whose variables push collected copies.
    valueTypes = {
        ['Zep::Vector2'] = true,
        ['Zep::IntVector2'] = true,
        ['Zep::Aabb2'] = true,
        ['Zep::Color'] = true,
        ['Zep::Matrix32'] = true,
        ['Zep::RenderContext'] = true,
        ['Zep::RandomPair'] = true,
        ['Zep::EaseParameters'] = true,
    },
    -- Types declared for scripts without being bound as classes.
    declaredTypes = {'Zep::Vector2Array'},
    -- The declaration whose value the next reader reads: a parameter, or the value
    -- assigned to a variable. Nil while a binding reads its self.
    reading = nil,
    -- The variable whose getter is being written.
    variable = nil,
    -- True while a const method is being written.
    constMethod = false,
}

local function StripConst(t)
    return (string.gsub(t, '^const%s+', ''))
end

local function IsValueType(t)
    return zep.valueTypes[StripConst(t)] == true
end

-- The Lua path of a feature, as "Zep.Actor.FindChild" or "Zep.Vector2['.eq']".
local function LuaPath(feature, lname)
    local path = ''
    local container = feature.parent
    while container do
        local name = container.lname or container.name
        if container.classtype == 'class' or container.classtype == 'namespace' or container.classtype == 'module' then
            path = name .. '.' .. path
        end
        container = container.parent
    end
    if string.sub(lname, 1, 1) == '.' then
        return string.sub(path, 1, -2) .. "['" .. lname .. "']"
    end
    return path .. lname
end

-- 1, 2. Readers -----------------------------------------------------------------------

_base_to_functions['Zep::Object'] = 'Zep::Bindings::ObjectArgument'

local stockGetToFunction = get_to_function
function get_to_function(t)
    local reading = zep.reading
    zep.reading = nil
    local reader = stockGetToFunction(StripConst(t))
    if reader == 'tolua_tousertype' then
        reader = 'Zep::Bindings::UserArgument'
    end
    local type = t
    if not reading and zep.constMethod and not string.find(t, '^const%s') then
        type = 'const ' .. t
    end
    -- A pointer takes nil; a value or reference is dereferenced by the binding.
    local required = not (reading and reading.ptr == '*')
    return reader .. '{"' .. type .. '",' .. tostring(required) .. '}'
end

local stockBuildDeclaration = classDeclaration.builddeclaration
function classDeclaration:builddeclaration(narg, cplusplus)
    zep.reading = self
    local line = stockBuildDeclaration(self, narg, cplusplus)
    zep.reading = nil
    return line
end

-- A variable's setter checks the assigned value's type right before reading it.
local stockVariableCheckType = classVariable.outchecktype
function classVariable:outchecktype(narg)
    zep.reading = self
    return stockVariableCheckType(self, narg)
end

-- 1, 3, 5. Pushes ---------------------------------------------------------------------

_base_push_functions['Zep::Object'] = 'LuaPushObject'

local stockGetPushFunction = get_push_function
function get_push_function(t)
    local pusher = stockGetPushFunction(StripConst(t))
    if pusher ~= 'tolua_pushusertype' then
        return pusher
    end
    local variable = zep.variable
    if variable and variable.ptr ~= '*' and IsValueType(t) then
        return 'Zep::Bindings::PushCopy<' .. StripConst(t) .. '>'
    end
    return 'Zep::Bindings::PushUserType'
end

-- The getter takes the address of its value; a getter's result is made an lvalue that
-- lives until the copy is made.
local stockGetValue = classVariable.getvalue
function classVariable:getvalue(class, static, prop_get)
    local value = stockGetValue(self, class, static, prop_get)
    if prop_get and not isbasic(self.type) and self.ptr ~= '*' then
        return 'Zep::Bindings::AsLvalue(' .. value .. ')'
    end
    return value
end

-- 4. Property kinds ---------------------------------------------------------------------

function get_property_methods_hook(kind, name)
    local capitalised = string.upper(string.sub(name, 1, 1)) .. string.sub(name, 2)
    if kind == 'get' then
        return 'Get' .. capitalised, 'Set' .. capitalised
    elseif kind == 'is' then
        return 'Is' .. capitalised, 'Set' .. capitalised
    end
    return nil
end

-- 6. Texts ------------------------------------------------------------------------------

-- Made here because the generator maps std::string to its own kind after loading
-- this file.
function preparse_hook(package)
    _basic['string'] = 'text'
    _basic['std::string'] = 'text'
    _basic_ctype.text = 'const std::string&'
end

-- 7. Guards -----------------------------------------------------------------------------

local function OutputGuard(binding, path)
    output('/* guard of ' .. binding .. ' */')
    output('static int guarded_' .. binding .. '(lua_State* tolua_S)')
    output('{')
    output(' return Zep::Bindings::Guard(tolua_S,' .. binding .. ',"' .. path .. '");')
    output('}\n')
end

local stockFunctionSupcode = classFunction.supcode
function classFunction:supcode(local_constructor)
    zep.reading = nil
    zep.constMethod = self.const ~= ''
    stockFunctionSupcode(self, local_constructor)
    zep.constMethod = false
    zep.reading = nil
    if self.name == 'new' and self.parent.flags.pure_virtual then
        return -- the generator wrote nothing
    end
    if local_constructor then
        OutputGuard(self.cname .. '_local', LuaPath(self, 'new_local'))
    else
        OutputGuard(self.cname, LuaPath(self, self.lname))
    end
end

local stockFunctionRegister = classFunction.register
function classFunction:register(pre)
    local cname = self.cname
    self.cname = 'guarded_' .. cname
    stockFunctionRegister(self, pre)
    self.cname = cname
end

local stockVariableSupcode = classVariable.supcode
function classVariable:supcode()
    zep.reading = nil
    zep.variable = self
    stockVariableSupcode(self)
    zep.variable = nil
    zep.reading = nil
    OutputGuard(self.cgetname, LuaPath(self, self.lname))
    if self.csetname then
        OutputGuard(self.csetname, LuaPath(self, self.lname))
    end
end

local stockVariableRegister = classVariable.register
function classVariable:register(pre)
    local getter, setter = self.cgetname, self.csetname
    self.cgetname = 'guarded_' .. getter
    if setter then
        self.csetname = 'guarded_' .. setter
    end
    stockVariableRegister(self, pre)
    self.cgetname, self.csetname = getter, setter
end

-- 8, 11. Collectors and declared types ------------------------------------------------------

local function IsObjectClass(t)
    local class = _global_classes[StripConst(t)]
    while class do
        if class.type == 'Zep::Object' then
            return true
        end
        class = _global_classes[class.btype]
    end
    return false
end

local stockPreamble = classPackage.preamble
function classPackage:preamble()
    for _, type in ipairs(zep.declaredTypes) do
        _usertype[type] = type
    end
    -- The stock preamble writes a collector for each class it finds; the engine's
    -- collectors are templates, so it is told there are none to write.
    self.requirecollection = function(package, collect)
        classPackage.requirecollection(package, collect)
        for type in pairs(zep.valueTypes) do
            collect[type] = true
        end
        for type in pairs(collect) do
            if IsObjectClass(type) then
                collect[type] = 'Zep::Bindings::CollectObject'
            else
                collect[type] = 'Zep::Bindings::CollectValue<' .. type .. '>'
            end
        end
        return false
    end
    stockPreamble(self)
    self.requirecollection = nil
end

-- 9. delete -----------------------------------------------------------------------------

function pre_call_hook(f)
    if f.name == 'delete' and f:inclass() then
        output('  Zep::Bindings::ForgetCollection(tolua_S,(void*)self);')
    end
end

-- 10. Read-only variables -------------------------------------------------------------------

local stockClassRegister = classClass.register
function classClass:register(pre)
    stockClassRegister(self, pre)
    if self:check_public_access() then
        output((pre or '') .. 'Zep::Bindings::GuardReadOnlyVariables(tolua_S,"' .. self.type .. '");')
    end
end
