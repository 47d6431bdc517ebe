// Compressed text and Base64: the input is given to UncompressString as the compressed
// form and to UnzipFromBase64 as its Base64 text. Whatever decodes must encode and
// decode back to the same bytes.
#include <cstdint>
#include <string>

#include "Common/Utils.h"
#include "FuzzSupport.h"

namespace {

// Compressed texts live in saved data and scripts; a megabyte is far beyond them.
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

    std::string text;
    if (Fuzz::Read([&] { text = Zep::UncompressString(input); })) {
        std::string again;
        Fuzz::MustSucceed("an uncompressed text does not compress and uncompress",
                          [&] { again = Zep::UncompressString(Zep::CompressString(text)); });
        if (again != text)
            Fuzz::Fail("an uncompressed text compresses to another one");
    }

    Fuzz::Read([&] { Zep::UnzipFromBase64(input); });

    const std::string bytes = Zep::Base64DecodeString(input);
    if (Zep::Base64DecodeString(Zep::Base64EncodeString(bytes)) != bytes)
        Fuzz::Fail("Base64 of decoded bytes decodes to other bytes");
    return 0;
}
