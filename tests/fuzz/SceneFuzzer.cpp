// Scene files: the input is loaded as an object through the class registry, as
// scene files, saved application data and script-made objects are, with every class
// the engine registers reachable. The object graph is saved, loaded again and saved
// again (the two saved texts must agree), then its animators are applied, captured
// and their key callbacks fired, as a running scene does.
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
#include "Common/Archive.h"
#include "Common/Audio.h"
#include "Common/ClassRegistry.h"
#include "Common/Collection.h"
#include "Common/MemoryStream.h"
#include "Common/Movie.h"
#include "Common/Object.h"
#include "Common/ParticleEmitter.h"
#include "Common/PropertyInfo.h"
#include "Common/SoundSystem.h"
#include "Common/ValueTypes.h"
#include "FuzzSupport.h"

namespace Fuzz {

// A class of the target's own with a property of every value type, animatable where
// an animator class exists for the type, an obsolete animatable and an obsolete plain
// property, a read-only one and a list of objects: it reaches every archive form of
// a value and every animator class, whichever engine classes are registered yet.
class Sample : public Zep::AnimableObject {
    ZEP_DECLARE_CLASS();

    Sample() {
        SetClassInfo(&staticClassInfo);
        items.SetOwnsObjects(true);
    }

    std::string text = "sample";
    Zep::Color color;
    Zep::Vector2 vector = Zep::Vector2(1.0f, -1.0f);
    float number = 0.5f;
    bool flag = false;
    Zep::BlendMode blend{};
    Zep::Movie::Action movieAction{};
    Zep::EmitterShape shape{};
    Zep::EmissionType emission{};
    Zep::RandomPair pair;
    int32_t integer = 3;
    HorizontalAlignment horizontal{};
    VerticalAlignment vertical{};
    Zep::Audio::Action audioAction{};
    uint32_t unsignedNumber = 7;
    Zep::SoundGroupType soundGroup{};
    char16_t character = u'Z';
    Zep::EaseParameters ease;
    Zep::SkinningWeights weights;
    float old = 0.0f;
    std::string oldText;
    int32_t keyCallbacks = 0;
    Zep::ObjectCollection items;
};

namespace {

void CountKey(Zep::Object* target, Zep::Object*, int32_t) {
    ++static_cast<Sample*>(target)->keyCallbacks;
}

}  // namespace

ZEP_IMPLEMENT_CLASS(Sample, "Fuzz::Sample", &Zep::AnimableObject::staticClassInfo);

#define SAMPLE_ANIMATABLE(Type, name, field, callback) \
    Zep::RegisterAnimatableProperty<Sample, Type>(     \
        name, [](Sample* o) { return o->field; }, [](Sample* o, Type value) { o->field = value; }, callback)
#define SAMPLE_PROPERTY(Type, name, field, flags) \
    Zep::RegisterProperty<Sample, Type>(          \
        name, [](Sample* o) { return o->field; }, [](Sample* o, Type value) { o->field = value; }, flags)

void Sample::DeclareProperties() {
    SAMPLE_ANIMATABLE(std::string, "Text", text, nullptr);
    SAMPLE_ANIMATABLE(Zep::Color, "Color", color, nullptr);
    SAMPLE_ANIMATABLE(Zep::Vector2, "Vector", vector, nullptr);
    SAMPLE_ANIMATABLE(float, "Number", number, nullptr);
    SAMPLE_ANIMATABLE(bool, "Flag", flag, &CountKey);
    SAMPLE_ANIMATABLE(Zep::BlendMode, "Blend", blend, nullptr);
    SAMPLE_ANIMATABLE(Zep::Movie::Action, "MovieAction", movieAction, &CountKey);
    SAMPLE_ANIMATABLE(Zep::EmitterShape, "Shape", shape, nullptr);
    SAMPLE_ANIMATABLE(Zep::EmissionType, "Emission", emission, nullptr);
    SAMPLE_ANIMATABLE(Zep::RandomPair, "Pair", pair, nullptr);
    SAMPLE_ANIMATABLE(int32_t, "Integer", integer, nullptr);
    SAMPLE_ANIMATABLE(HorizontalAlignment, "Horizontal", horizontal, nullptr);
    SAMPLE_ANIMATABLE(VerticalAlignment, "Vertical", vertical, nullptr);
    SAMPLE_ANIMATABLE(Zep::Audio::Action, "AudioAction", audioAction, &CountKey);
    SAMPLE_ANIMATABLE(uint32_t, "Unsigned", unsignedNumber, nullptr);
    SAMPLE_ANIMATABLE(Zep::SoundGroupType, "SoundGroup", soundGroup, nullptr);
    SAMPLE_PROPERTY(char16_t, "Character", character, 0);
    SAMPLE_PROPERTY(Zep::EaseParameters, "Ease", ease, 0);
    SAMPLE_PROPERTY(Zep::SkinningWeights, "Weights", weights, 0);
    SAMPLE_PROPERTY(std::string, "OldText", oldText, Zep::PROPERTY_OBSOLETE);
    Zep::RegisterProperty<Sample, int32_t>(
        "Callbacks", [](Sample* o) { return o->keyCallbacks; }, nullptr);
    Zep::RegisterObsoleteAnimatableProperty<Sample, float>(
        "Old", [](Sample* o) { return o->old; }, [](Sample* o, float value) { o->old = value; });
    Zep::RegisterCollection("Items", &Sample::items);
}

}  // namespace Fuzz

namespace {

const size_t kMaxInput = 1 << 20;

std::string Save(Zep::Object* object) {
    Zep::MemoryStream stream(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive writer(&stream, true);
    object->Save(writer);
    return stream.GetAsString();
}

Zep::Object* Load(const void* data, size_t size) {
    Zep::MemoryStream stream(data, static_cast<int32_t>(size), 0);
    Zep::ITextArchive reader(&stream, "fuzz");
    return Zep::Object::CreateFromArchive(reader);
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
    if (!Fuzz::Read([&] { loaded.reset(Load(data, size)); }))
        return 0;

    std::string saved;
    Fuzz::MustSucceed("a loaded object cannot be saved", [&] { saved = Save(loaded.get()); });
    std::unique_ptr<Zep::Object> reloaded;
    std::string savedAgain;
    Fuzz::MustSucceed("a saved object does not load again", [&] {
        reloaded.reset(Load(saved.data(), saved.size()));
        savedAgain = Save(reloaded.get());
    });
    if (savedAgain != saved)
        Fuzz::Fail("a saved object loads to another one", saved + "\n---- saved again:\n" + savedAgain);

    Fuzz::MustSucceed("a loaded object cannot be animated", [&] {
        Animate(loaded.get(), 0);
        Save(loaded.get());
    });
    return 0;
}
