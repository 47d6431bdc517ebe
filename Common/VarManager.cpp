#include "Common/VarManager.h"

#include <cmath>
#include <climits>

#include "Common/CoreUtils.h"
#include "Common/StringUtils.h"

namespace Zep {

namespace {

const uint32_t kIntegerWord =
    (VAR_TYPE_INTEGER << VarManager::Variable::kTypeShift) | VarManager::Variable::kIntegerValid;
const uint32_t kFloatWord = (VAR_TYPE_FLOAT << VarManager::Variable::kTypeShift) | VarManager::Variable::kFloatValid;
const uint32_t kStringWord = (VAR_TYPE_STRING << VarManager::Variable::kTypeShift) | VarManager::Variable::kStringValid;

// Rounds half up, as floor(value + 0.5). A value outside the int range is clamped
// to it and NaN reads as 0: converting either unclamped is undefined.
int RoundToInt(float value) {
    if (std::isnan(value))
        return 0;
    const double rounded = std::floor(static_cast<double>(value) + 0.5);
    if (rounded >= 2147483647.0)
        return INT_MAX;
    if (rounded <= -2147483648.0)
        return INT_MIN;
    return static_cast<int>(rounded);
}

}  // namespace

VarManager::VarManager() {
    SetString("CompanyName", "Company name");
    SetString("ProductName", "ZepBox");
    SetString("ProductVersion", "1.00");
    SetInteger("RenderWidth", 800);
    SetInteger("RenderHeight", 600);
    SetInteger("Fullscreen", 0);
}

VarManager::~VarManager() {}

VarManager* VarManager::GetInstance() {
    return SubSystemSingleton<VarManager, VarManager>::Instance();
}

VarManager::Variable* VarManager::Find(const std::string& name, bool create) {
    const std::string key = ToUpper(name);
    const auto found = variables_.find(key);
    if (found != variables_.end())
        return &found->second;
    if (!create)
        return nullptr;
    return &variables_[key];
}

int VarManager::GetDataType(const std::string& name) {
    const Variable* variable = Find(name, false);
    return variable ? variable->GetType() : VAR_TYPE_NODATA;
}

VarManager::Variable* VarManager::FindWithData(const std::string& name) {
    Variable* variable = Find(name, false);
    if (variable)
        ZEP_ASSERT(variable->GetType() != VAR_TYPE_NODATA);
    return variable;
}

int VarManager::GetAsInteger(const std::string& name) {
    Variable* variable = FindWithData(name);
    if (!variable)
        return 0;
    if (!(variable->typeWord & Variable::kIntegerValid)) {
        if (variable->GetType() == VAR_TYPE_FLOAT) {
            variable->intValue = RoundToInt(variable->floatValue);
        } else {
            int value = 0;
            if (!StringToInt(variable->stringValue, value))
                ZEP_PANIC("Failed to convert \"" + variable->stringValue + "\" to integer");
            variable->intValue = value;
        }
        variable->typeWord |= Variable::kIntegerValid;
    }
    return variable->intValue;
}

float VarManager::GetAsFloat(const std::string& name) {
    Variable* variable = FindWithData(name);
    if (!variable)
        return 0.0f;
    if (!(variable->typeWord & Variable::kFloatValid)) {
        if (variable->GetType() == VAR_TYPE_INTEGER) {
            variable->floatValue = static_cast<float>(variable->intValue);
        } else {
            float value = 0.0f;
            if (!StringToFloat(variable->stringValue, value))
                ZEP_PANIC("Failed to convert \"" + variable->stringValue + "\" to float");
            variable->floatValue = value;
        }
        variable->typeWord |= Variable::kFloatValid;
    }
    return variable->floatValue;
}

std::string VarManager::GetAsString(const std::string& name) {
    Variable* variable = FindWithData(name);
    if (!variable)
        return std::string();
    if (!(variable->typeWord & Variable::kStringValid)) {
        if (variable->GetType() == VAR_TYPE_INTEGER)
            variable->stringValue = Sprintf("%d", variable->intValue);
        else
            variable->stringValue = Sprintf("%.6f", static_cast<double>(variable->floatValue));
        variable->typeWord |= Variable::kStringValid;
    }
    return variable->stringValue;
}

void VarManager::SetInteger(const std::string& name, int value) {
    Variable* variable = Find(name, true);
    variable->intValue = value;
    variable->typeWord = kIntegerWord;
}

void VarManager::SetFloat(const std::string& name, float value) {
    Variable* variable = Find(name, true);
    variable->floatValue = value;
    variable->typeWord = kFloatWord;
}

void VarManager::SetString(const std::string& name, const std::string& text) {
    Variable* variable = Find(name, true);
    variable->stringValue = text;
    variable->typeWord = kStringWord;
}

}  // namespace Zep
