// The engine's named configuration variables: product identity, render size and
// whatever scripts store. Each variable holds an integer, a float or a string and
// converts on demand, caching every converted form until the next set.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace Zep {

enum VarType {
    VAR_TYPE_NODATA = 0,
    VAR_TYPE_INTEGER = 1,
    VAR_TYPE_FLOAT = 2,
    VAR_TYPE_STRING = 3,
};

class VarManager {
public:
    struct Variable {
        // Type word: bits 4-7 the VarType; bit 0, 1, 2: the integer, float and
        // string forms are valid.
        enum : uint32_t {
            kIntegerValid = 0x01,
            kFloatValid = 0x02,
            kStringValid = 0x04,
            kTypeShift = 4,
            kTypeMask = 0xF0,
        };

        int32_t intValue = 0;
        float floatValue = 0.0f;
        std::string stringValue;
        uint32_t typeWord = 0;

        int GetType() const { return static_cast<int>((typeWord & kTypeMask) >> kTypeShift); }
    };

    virtual ~VarManager();

    static VarManager* GetInstance();

    // Names are case-insensitive (ASCII). With create, a missing name gets a new
    // variable without data.
    Variable* Find(const std::string& name, bool create);

    // VAR_TYPE_NODATA when the variable does not exist.
    int GetDataType(const std::string& name);

    // A missing variable reads as 0 or the empty text and is not created. Text that
    // is no number is a panic; a variable without data is an assertion.
    int GetAsInteger(const std::string& name);
    float GetAsFloat(const std::string& name);
    std::string GetAsString(const std::string& name);

    // Create the variable when missing; only the set form is valid afterwards.
    void SetInteger(const std::string& name, int value);
    void SetFloat(const std::string& name, float value);
    void SetString(const std::string& name, const std::string& text);

protected:
    VarManager();

private:
    Variable* FindWithData(const std::string& name);

    std::map<std::string, Variable> variables_;
};

}  // namespace Zep
