// A player built on the real program entry whose main routine fails on demand,
// so that tests can watch how the entry and the reports end the process.
#include <FatalSignals.h>

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "Common/Application.h"
#include "Common/Archive.h"
#include "Common/BundleSystem.h"
#include "Common/ClassInfo.h"
#include "Common/ClassRegistry.h"
#include "Common/CoreUtils.h"
#include "Common/FileStream.h"
#include "Common/LuaCore.h"
#include "Common/MemoryStream.h"
#include "Common/Object.h"
#include "Common/PropertyInfo.h"
#include "Common/ZepBoxMain.h"
#include "Platforms/Win32/Win32Application.h"
#include "Platforms/Win32/WinMain.h"
#include "Debugger/LuaDebugger.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace {

std::string mode;

// Subsystems of the probe that say when they are built and torn down.
template <int N>
class Traced {
public:
    static Traced* GetInstance() { return Zep::SubSystemSingleton<Traced, Traced>::Instance(); }

protected:
    Traced() { std::fprintf(stderr, "construct %d\n", N); }
    virtual ~Traced() {
        std::fprintf(stderr, "destroy %d\n", N);
        // The first one made reaches back to the last one, already gone.
        if (N == 1 && mode == "late-access")
            Traced<3>::GetInstance();
    }
};

// A subsystem that reaches itself while it is being built.
class SelfReaching {
public:
    static SelfReaching* GetInstance() { return Zep::SubSystemSingleton<SelfReaching, SelfReaching>::Instance(); }

protected:
    SelfReaching() { GetInstance(); }
    virtual ~SelfReaching() {}
};

class FailingListener : public Zep::ApplicationListener {
public:
    void OnException(std::string text) override {
        std::fprintf(stderr, "listener heard: %s\n", text.c_str());
        ZEP_PANIC("listener failed too");
    }
};

class RecordingListener : public Zep::ApplicationListener {
public:
    void OnException(std::string text) override { std::fprintf(stderr, "listener heard: %s\n", text.c_str()); }
};

// Prints the registered classes in the order of their registration, and what is
// wrong with them: a base chain that does not end in the registered Zep::Object, an
// animatable property whose animator class is not a registered animator. The classes are
// reached by name only, so only the main routine's call keeps them in the probe.
void ReportRegistrations() {
    Zep::ClassRegistry& registry = Zep::ClassRegistry::GetInstance();
    const Zep::ClassInfo* animatorClass = registry.FindClass("Zep::Animator");
    int animatable = 0;
    for (const Zep::ClassInfo* info : registry.GetRegistrationOrder()) {
        std::fprintf(stderr, "registered %s\n", info->GetName().c_str());
        const Zep::ClassInfo* root = info;
        for (int steps = 0; root->GetBaseClassInfo() && steps < 64; ++steps)
            root = root->GetBaseClassInfo();
        if (root != registry.FindClass("Zep::Object") || root->GetBaseClassInfo())
            std::fprintf(stderr, "base chain of %s ends in %s\n", info->GetName().c_str(), root->GetName().c_str());

        Zep::PropertyInfoList properties;
        Zep::PropertyInfoList obsolete;
        info->GetProperties(properties, false);
        info->GetObsoleteProperties(obsolete, false);
        properties.insert(properties.end(), obsolete.begin(), obsolete.end());
        for (const Zep::PropertyInfo* property : properties) {
            const Zep::AnimatablePropertyEntry* entry = Zep::AnimatablePropertyRegistry::GetInstance().Find(property);
            if (!entry)
                continue;
            ++animatable;
            const Zep::ClassInfo* animator = entry->animatorClass;
            if (registry.FindClass(animator->GetName()) != animator || !animator->IsKindOf(animatorClass) ||
                entry->ownerClass != info)
                std::fprintf(stderr, "unresolved animator class of %s@%s\n", property->GetName().c_str(),
                             info->GetName().c_str());
        }
    }
    std::fprintf(stderr, "animatable properties %d\n", animatable);
}

// At exit, each class record that leaves the registry.
void ReportUnregistration(const Zep::ClassInfo& info) {
    std::fprintf(stderr, "unregistered %s, %zu left\n", info.GetName().c_str(),
                 Zep::ClassRegistry::GetInstance().GetClasses().size());
}

// Reads every object of a file of the bundles and saves them one after the other
// into another file of the current folder.
int CopyObjects(const char* from, const char* to) {
    Zep::FileStream file(from, Zep::FS_OPEN_READ);
    Zep::ITextArchive reader(&file, from);
    Zep::MemoryStream saved(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive writer(&saved, false);
    for (;;) {
        uint8_t next = 0;
        while (file.PeekByte(next) && std::isspace(next))
            file.ReadByte(next);
        if (file.IsEOF())
            break;
        std::unique_ptr<Zep::Object> object(Zep::Object::CreateFromArchive(reader));
        object->Save(writer);
    }
    std::FILE* out = std::fopen(to, "wb");
    if (!out)
        return 6;
    const uint8_t* bytes = nullptr;
    int32_t count = 0;
    saved.Seek(0, Zep::Stream::SeekStart);
    saved.GetBufferedBytes(bytes, count);
    std::fwrite(bytes, 1, static_cast<size_t>(count), out);
    std::fclose(out);
    return 0;
}

int ProbeRoutine(int, char**) {
    if (mode == "ok")
        return 0;
    if (mode == "panic") {
        Traced<1>::GetInstance();
        Zep::Application::GetInstance()->SetListener(new RecordingListener);
        ZEP_PANIC("forced failure");
    }
    if (mode == "assert")
        ZEP_ASSERT_MSG(1 + 1 == 3, "arithmetic is broken");
    if (mode == "std")
        throw std::runtime_error("standard failure");
    if (mode == "engine")
        throw Zep::Exception::Memory("Failed to allocate 16 bytes");
    if (mode == "unknown")
        throw 42;
    if (mode == "order" || mode == "late-access") {
        Traced<1>::GetInstance();
        Traced<2>::GetInstance();
        Traced<3>::GetInstance();
        return 0;
    }
    if (mode == "self")
        SelfReaching::GetInstance();
    if (mode == "listener-fails") {
        Zep::Application::GetInstance()->SetListener(new FailingListener);
        ZEP_PANIC("first failure");
    }
    if (mode == "editor")
        return Zep::Win32::IsRunningInEditor() ? 10 : 20;
    if (mode == "crash")
        ::raise(SIGSEGV);
    if (mode == "content") {
        // The player's own mounting, then one file read through the bundles.
        PlayerMain(1, nullptr);
        Zep::BundleSystem* bundles = Zep::BundleSystem::GetInstance();
        Zep::FileHandle file = bundles->OpenFile("probe.txt", Zep::FS_OPEN_READ);
        if (!file)
            return 4;
        char text[64] = {};
        bundles->ReadFile(file, text, sizeof(text) - 1);
        bundles->CloseFile(file);
        std::fprintf(stderr, "probe.txt: %s\n", text);
        std::fprintf(stderr, "folder: %s\n", Zep::FileSystem::GetInstance()->GetCurrentDirectory().c_str());
        return 0;
    }
    if (mode == "classes") {
        // The class records of a program that reaches the engine through the main
        // routine only, as the player does.
        for (const auto& entry : Zep::ClassRegistry::GetInstance().GetClasses())
            std::fprintf(stderr, "class %s\n", entry.first.c_str());
        return 0;
    }
    if (mode == "registrations") {
        // As the main routine finds them; then the teardown at exit.
        ReportRegistrations();
        Zep::ClassRegistry::SetUnregisterObserver(&ReportUnregistration);
        return 0;
    }
    if (mode == "copy-objects") {
        // The player's start with its "Main.lua", then a scene file loaded and saved.
        PlayerMain(1, nullptr);
        return CopyObjects("every-concrete-class.scene", "copy.scene");
    }
    if (mode == "lua-unknown") {
        // A foreign exception thrown by a native function that a script called.
        lua_State* state = Zep::CreateLuaState(true);
        Zep::mainLuaState = state;
        lua_register(state, "Throw", [](lua_State*) -> int { throw 42; });
        const char script[] = "function inner()\n  Throw()\nend\ninner()\n";
        luaL_loadbuffer(state, script, sizeof(script) - 1, "@probe.lua");
        LDB::PCall(state, 0, 0, 0);
        return 5;
    }
    return 3;
}

}  // namespace

int main(int argc, char** argv) {
    mode = argc > 1 ? argv[1] : "ok";
    PlatformProcess::InstallFatalSignalHandler();
    static char commandLine[] = "";
    const int result = Zep::Win32::RunMainRoutine(&ProbeRoutine, commandLine);
    std::fprintf(stderr, "entry returned %d\n", result);
    return result;
}
