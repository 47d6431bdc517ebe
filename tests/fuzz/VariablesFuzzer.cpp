// Variables set from text: the input is stored as a string variable and read back in
// every form; each converted value is stored again and read in the other forms. A
// first line naming a registered variable (in any case) stores into that one, so the
// variables the engine reads are set as a script would set them; the others go to one
// variable of the target's own, as variables are never removed.
#include <cstdint>
#include <string>

#include "Common/VarManager.h"
#include "FuzzSupport.h"

namespace {

const size_t kMaxInput = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::SetUpEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput)
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = input.find('\n');
    const std::string firstLine = lineEnd == std::string::npos ? std::string() : input.substr(0, lineEnd);
    const std::string text = lineEnd == std::string::npos ? input : input.substr(lineEnd + 1);

    Zep::VarManager* variables = Zep::VarManager::GetInstance();
    const std::string name = variables->Find(firstLine, false) ? firstLine : "FuzzValue";
    variables->SetString(name, text);
    if (variables->GetAsString(name) != text)
        Fuzz::Fail("a string variable reads back as another text", name);
    int integer = 0;
    float number = 0.0f;
    const bool isInteger = Fuzz::Read([&] { integer = variables->GetAsInteger(name); });
    const bool isFloat = Fuzz::Read([&] { number = variables->GetAsFloat(name); });
    variables->GetDataType(name);

    if (isFloat) {
        variables->SetFloat(name, number);
        variables->GetAsInteger(name);
        variables->GetAsString(name);
    }
    if (isInteger) {
        variables->SetInteger(name, integer);
        variables->GetAsFloat(name);
        variables->GetAsString(name);
    }
    return 0;
}
