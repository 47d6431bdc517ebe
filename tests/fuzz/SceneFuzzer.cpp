// Scene files: the input is loaded as an object through the class registry, as
// scene files, saved application data and script-made objects are, with every class
// the engine registers reachable. The object graph is saved, loaded again and saved
// again (the two saved texts must agree), then its animators are applied, captured
// and their key callbacks fired, as a running scene does.
//
// The classes of the reflection and animator unit tests are registered too: between
// them they have a property of every value type, animatable ones of every animator
// class, obsolete and read-only ones and lists of objects, whichever engine classes
// exist yet. An input the target finds can so be loaded by those tests as it is.
//
// With ZEP_FUZZ_DICTIONARY=<file> in the environment the target writes a fuzzer
// dictionary of every registered class, property and collection name to the file
// and exits (scripts/fuzz.sh does so before each run).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "Common/AnimableObject.h"
#include "Common/Animator.h"
#include "Common/Archive.h"
#include "Common/ClassRegistry.h"
#include "Common/Collection.h"
#include "Common/MemoryStream.h"
#include "Common/Object.h"
#include "Common/PropertyInfo.h"
#include "FuzzSupport.h"
#include "ReflectionTestClasses.h"

namespace {

const size_t kMaxInput = 1 << 20;

std::string Save(Zep::Object* object) {
    Zep::MemoryStream stream(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive writer(&stream, true);
    object->Save(writer);
    return stream.GetAsString();
}

Zep::Object* Load(Zep::Stream& stream) {
    Zep::ITextArchive reader(&stream, "fuzz");
    return Zep::Object::CreateFromArchive(reader);
}

Zep::Object* LoadText(const std::string& text) {
    Zep::MemoryStream stream(text.data(), static_cast<int32_t>(text.size()), 0);
    return Load(stream);
}

// Runs the animators of every animable object of the graph as a scene's time does.
void Animate(Zep::Object* object, int depth) {
    // The loader itself is what meets deep graphs; the walk here stops early.
    if (depth > 200)
        return;
    if (Zep::AnimableObject* animable = dynamic_cast<Zep::AnimableObject*>(object)) {
        const int32_t last = animable->GetLastFrameNumber();
        const int64_t end = std::min<int64_t>(std::max<int64_t>(int64_t(last) * 50, -2147483647), 2147483600);
        for (int32_t ms : {0, 25, 1000, int32_t(end), int32_t(end + 25), -50, 2147483647}) {
            animable->ApplyAnimators(ms);
            animable->FireKeyCallbacks(ms / 50);
        }
        animable->CaptureAll(last / 2, 1);
    }
    Zep::CollectionInfoList collections;
    object->GetClassInfo()->GetCollections(collections, true);
    for (Zep::CollectionInfo* collection : collections) {
        for (int32_t i = 0; i < collection->GetCount(object); ++i) {
            if (Zep::Object* item = collection->Get(object, i))
                Animate(item, depth + 1);
        }
    }
}

// --- Dictionary of the registered names -------------------------------------------------

std::string DictionaryEntry(const std::string& token) {
    std::string entry = "\"";
    for (unsigned char c : token) {
        if (c == '"' || c == '\\') {
            entry += '\\';
            entry += static_cast<char>(c);
        } else if (c < 32 || c > 126) {
            char hex[5];
            std::snprintf(hex, sizeof(hex), "\\x%02X", c);
            entry += hex;
        } else {
            entry += static_cast<char>(c);
        }
    }
    return entry + "\"";
}

void WriteDictionary(const char* path) {
    std::set<std::string> tokens = {"Property", "Frames", "Attributes", "Keys"};
    for (const auto& named : Zep::ClassRegistry::GetInstance().GetClasses()) {
        Zep::ClassInfo* classInfo = named.second;
        tokens.insert("\"" + named.first + "\" {");
        Zep::PropertyInfoList properties;
        classInfo->GetProperties(properties, false);
        Zep::PropertyInfoList obsolete;
        classInfo->GetObsoleteProperties(obsolete, false);
        properties.insert(properties.end(), obsolete.begin(), obsolete.end());
        for (Zep::PropertyInfo* property : properties) {
            tokens.insert(property->GetName());
            if (Zep::AnimatablePropertyRegistry::GetInstance().Find(property))
                tokens.insert("\"" + property->GetName() + "@" + named.first + "\"");
        }
        Zep::CollectionInfoList collections;
        classInfo->GetCollections(collections, false);
        for (Zep::CollectionInfo* collection : collections)
            tokens.insert(collection->GetName());
    }
    FILE* file = std::fopen(path, "w");
    if (!file)
        Fuzz::Fail("cannot write the dictionary", path);
    for (const std::string& token : tokens)
        std::fprintf(file, "%s\n", DictionaryEntry(token).c_str());
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::SetUpEngine();
    // The object tests' stand-in animator loads as a plain object and stays unbound,
    // which no animator of the engine does.
    Zep::ClassRegistry::GetInstance().UnregisterClass(&ReflectionTest::FakeAnimator::staticClassInfo);
    if (const char* dictionary = std::getenv("ZEP_FUZZ_DICTIONARY")) {
        WriteDictionary(dictionary);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput)
        return 0;
    std::unique_ptr<Zep::Object> loaded;
    // The input is read in place in small windows that end where the fuzzer's bytes
    // end, so a read past them is reported; the saved text from a memory stream.
    Fuzz::InputStream input(data, size, 64);
    if (!Fuzz::Read([&] { loaded.reset(Load(input)); }))
        return 0;
    // An animator of a property that has become obsolete loads unbound, so that old
    // files still load; in a collection it is dropped, on its own it is kept, and
    // saving or applying an unbound animator is the assertion meant for it.
    if (Zep::Animator* animator = dynamic_cast<Zep::Animator*>(loaded.get())) {
        if (!animator->IsBound())
            return 0;
    }

    // What is saved loads again. Floats are written with five decimals, so the first
    // round may still change values (and with them what the delta rule omits); from
    // then on the text must stay the same.
    std::string saved;
    Fuzz::MustSucceed("a loaded object cannot be saved", [&] { saved = Save(loaded.get()); });
    std::string savedAgain, savedThird;
    Fuzz::MustSucceed("a saved object does not load again", [&] {
        savedAgain = Save(std::unique_ptr<Zep::Object>(LoadText(saved)).get());
        savedThird = Save(std::unique_ptr<Zep::Object>(LoadText(savedAgain)).get());
    });
    if (savedThird != savedAgain)
        Fuzz::Fail("a saved object loads to another one", savedAgain + "\n---- saved again:\n" + savedThird);

    Fuzz::MustSucceed("a loaded object cannot be animated", [&] {
        Animate(loaded.get(), 0);
        Save(loaded.get());
    });
    return 0;
}
