#include "Common/Application.h"

#include <algorithm>
#include <map>

#include "Common/Actor.h"
#include "Common/BundleSystem.h"
#include "Common/CoreUtils.h"
#include "Common/CursorManager.h"
#include "Common/FileSystem.h"
#include "Common/FocusNavigator.h"
#include "Common/InputSystem.h"
#include "Common/MemoryManager.h"
#include "Common/Scene.h"
#include "Common/SoundSystem.h"
#include "Common/StringUtils.h"
#include "Common/TextureManager.h"
#include "Common/Thread.h"
#include "Common/VarManager.h"
#include "Common/VirtualInputDevice.h"
#include "Debugger/LuaDebugger.h"
#include "LumoSources/Common/FontSystem.h"
#include "LumoSources/Common/GameRenderWindow.h"
#include "LumoSources/Common/PlatformRenderer.h"
#include "LumoSources/Common/PlatformVideoSystem.h"
#include "LumoSources/Common/Subsystems.h"

namespace Zep {

// Stand-in until dictionaries are read: the localisation dictionary is empty and
// "Dictionary.txt" is not read. The dictionary issue replaces it.
class Dictionary {
public:
    std::map<std::string, std::string> entries;
};

namespace {

// Reports name the lines the engine has always given them.
const char* const kSourceName = "Common\\Application.cpp";
const int32_t kMaxTimeDelta = 49;
const uint32_t kOpaqueBlack = 0xFF000000u;
const uint32_t kWhite = 0xFFFFFFFFu;
// Media errors that ask for the disc again: removed and wrong media.
const int kMediaRemoved = -4;
const int kWrongMedia = -5;
const double kMegabyte = 1048576.0;

int mediaErrorForTests = 0;

int MediaError() {
    if (mediaErrorForTests != 0)
        return mediaErrorForTests;
    return FileSystem::GetInstance()->CheckMediaError(0);
}

template <class T>
void DeleteHeld(SubsystemBase<T>& holder) {
    delete holder.GetInstance();
    holder.SetInstance(nullptr);
}

}  // namespace

void Detail::SetMediaErrorForTests(int error) {
    mediaErrorForTests = error;
}

ApplicationListener::~ApplicationListener() {
    Application::ForgetListener(this);
}

Application::Application() : windowVirtualExtent(Vector2(0.1f, 0.1f), Vector2(0.0f, 0.0f)) {}

Application::~Application() {
    if (FileSystem* files = FileSystem::GetExisting())
        files->SetMediaErrorCallback(nullptr, 0);
    if (cursorManager)
        cursorManager->Clear();
    if (rootScene)
        rootScene->GetActors().Clear();
    listener = nullptr;
    delete focusNavigator;
    focusNavigator = nullptr;
    delete rootScene;
    rootScene = nullptr;
    delete cursorManager;
    cursorManager = nullptr;
    delete skinScene;
    skinScene = nullptr;
    // The platform's objects belong to the application that started them up.
    if (initialized)
        ShutdownPlatform();
    delete dictionary;
    dictionary = nullptr;
}

void Application::ShutdownPlatform() {
    if (PlatformRenderer* renderer = rendererSubsystem.GetInstance()) {
        renderer->Shutdown();
        DeleteHeld(rendererSubsystem);
    }
    if (GameRenderWindow* window = gameRenderWindowSubsystem.GetInstance()) {
        window->Hide();
        DeleteHeld(gameRenderWindowSubsystem);
    }
    if (FontSystem* fonts = fontSubsystem.GetInstance()) {
        fonts->Clear();
        DeleteHeld(fontSubsystem);
    }
    if (PlatformVideoSystem* video = videoSubsystem.GetInstance()) {
        video->Shutdown();
        DeleteHeld(videoSubsystem);
    }
}

// --- Start-up ------------------------------------------------------------------------

void Application::Startup() {
    OnStartupBegin();
    LoadDictionary();

    videoSubsystem.CreateInstance();
    Lumo::InstanceHolder<PlatformVideoSystem>::Get()->Initialize();
    rendererSubsystem.CreateInstance();
    Lumo::InstanceHolder<PlatformRenderer>::Get()->Initialize();
    gameRenderWindowSubsystem.CreateInstance();
    Lumo::InstanceHolder<GameRenderWindow>::Get()->Initialize();
    fontSubsystem.CreateInstance();
    Lumo::InstanceHolder<FontSystem>::Get()->CreateSystemFont();

    FileSystem::GetInstance()->SetMediaErrorCallback(&MediaErrorCallback, 0);

    rootScene = new Scene();
    skinScene = new Scene();
    focusNavigator = new FocusNavigator();
    cursorManager = new CursorManager();

    GameRenderWindow* window = Lumo::InstanceHolder<GameRenderWindow>::Get();
    const Vector2 size(static_cast<float>(window->GetWidth()), static_cast<float>(window->GetHeight()));
    rootScene->SetSize(size);
    rootScene->MarkTransformStale();
    windowVirtualExtent = Aabb2(Vector2(0.0f, 0.0f), size);

    OnStartupEnd();
    initialized = true;
}

void Application::LoadDictionary() {
    delete dictionary;
    dictionary = new Dictionary();
}

void Application::CheckInitialized() const {
    if (!initialized)
        Panic(kSourceName, 144, "Application is not initialized");
}

// --- Frames --------------------------------------------------------------------------

void Application::ProcessInput() {
    CheckInitialized();
    InputSystem* input = InputSystem::GetInstance();
    input->Update(true);
    if (input->IsDeviceListChanged())
        devicesChanged = true;
    focusNavigator->SetScene(rootScene);
    focusNavigator->ProcessEvents();
}

void Application::Update() {
    CheckInitialized();
    timeDelta = std::min(static_cast<int32_t>(timer.GetElapsedMilliseconds()), kMaxTimeDelta);

    // Each pointer shows the cursor of what lies under it.
    for (int32_t index = 0; index < CursorManager::kDevices; ++index) {
        const VirtualInputDevice* device = VirtualInputDevice::Get(index);
        if (!device->IsPluggedAndEnabled())
            continue;
        cursorManager->SetCursor(index,
                                 rootScene->FindCursorAt(RenderContext::GetDefault(), index, device->GetCursorPos()));
    }
    focusNavigator->Update(timeDelta);
    if (MediaError() != 0)
        return;
    rootScene->SafeUpdate(timeDelta);
    Actor::DeleteKilledActors();
    if (MediaError() != 0)
        return;
    if (listener && devicesChanged)
        listener->OnInputDeviceListChange();
    devicesChanged = false;
    if (listener)
        listener->OnUpdate(timeDelta);
    if (MediaError() != 0)
        return;
    SoundSystem::GetInstance()->Update(static_cast<float>(timeDelta) * 0.001f);
    TextureManager::GetInstance()->Update(timeDelta);
    cursorManager->Update(timeDelta);
}

void Application::Render() {
    CheckInitialized();
    renderStarted = true;
    if (DrawMediaErrorScreen())
        return;
    cursorManager->AcquireTextures();
    rootScene->AcquireTextures();
    PlatformRenderer* renderer = Lumo::InstanceHolder<PlatformRenderer>::Get();
    renderer->SetProjection(windowVirtualExtent.mins, windowVirtualExtent.maxs);
    renderer->BeginRenderFrame();
    renderer->ClearScreen(Color(kOpaqueBlack));
    rootScene->Render();
    cursorManager->Render();
    if (showStatistics)
        DrawStatistics();
    renderer->EndRenderFrame();
    cursorManager->ReleaseTextures();
    rootScene->ReleaseTextures();
}

void Application::DrawStatistics() {
    PlatformRenderer* renderer = Lumo::InstanceHolder<PlatformRenderer>::Get();
    const size_t heapUsed = MemoryManager::GetHeapAllocateSize(nullptr);
    const size_t heapFree = MemoryManager::GetHeapFreeSize(nullptr);
    TextureManager* textures = TextureManager::GetInstance();
    SoundSystem* sounds = SoundSystem::GetInstance();

    std::string text;
    text += Sprintf("Actors: %d / %d\n", rootScene->GetTotalActors(), Actor::GetLiveActorCount());
    text += Sprintf("Threads: %d\n", LDB::GetLiveThreadCount());
    text += Sprintf("Memory: %.2f of %.1f Mb\n", heapUsed / kMegabyte, (heapUsed + heapFree) / kMegabyte);
    text += Sprintf("Textures: %.2f of %.1f Mb\n", textures->CalcMemoryUsage() / kMegabyte,
                    textures->GetMemoryLimit() / kMegabyte);
    text += Sprintf("Sounds: %.1f of %.1f Mb\n", sounds->GetMemoryUsage() / kMegabyte,
                    sounds->GetMemoryLimit() / kMegabyte);
    text += Sprintf("Draw calls: %d\n", renderer->GetDrawCallCount());
    text += Sprintf("FPS: %d, ms: %d\n", static_cast<int>(timer.GetFps()), timeDelta);

    ApplyBlendMode(BLEND_ALPHA);
    Aabb2 box = windowVirtualExtent;
    box.Inflate(Vector2(-3.0f, -3.0f));
    renderer->DrawText(box, Utf8ToWide(text), Color(kWhite), 14.0f, 0, 0, 0.0f);
}

// --- Media errors --------------------------------------------------------------------

bool Application::DrawMediaErrorScreen() {
    const int error = MediaError();
    if (error == 0)
        return false;
    const std::string text =
        error == kMediaRemoved || error == kWrongMedia
            ? Sprintf("Please insert the %s disc.", VarManager::GetInstance()->GetAsString("ProductName").c_str())
            : std::string("Unknown media error");
    GameRenderWindow* window = Lumo::InstanceHolder<GameRenderWindow>::Get();
    const float width = static_cast<float>(window->GetWidth());
    const float height = static_cast<float>(window->GetHeight());
    PlatformRenderer* renderer = Lumo::InstanceHolder<PlatformRenderer>::Get();
    renderer->SetProjection(Vector2(0.0f, 0.0f), Vector2(width, height));
    renderer->BeginRenderFrame();
    renderer->ClearScreen(Color(kOpaqueBlack));
    renderer->DrawText(Aabb2(Vector2(40.0f, 30.0f), Vector2(width - 40.0f, height - 30.0f)), Utf8ToWide(text),
                       Color(kWhite), 30.0f, 1, 1, 0.0f);
    renderer->EndRenderFrame();
    Thread::Sleep(25);
    return true;
}

bool Application::OnMediaError() {
    if (!renderStarted)
        DrawMediaErrorScreen();
    return true;
}

int Application::MediaErrorCallback(uintptr_t) {
    return GetInstance()->OnMediaError() ? 1 : 0;
}

// --- Skins and the scene tree ----------------------------------------------------------

void Application::LoadSkin(const std::string& path) {
    CheckInitialized();
    delete skinScene;
    skinScene = nullptr;
    AdoptSkin(CreateSceneFromFile(path), 155);
}

void Application::LoadSkin(const std::string& directory, const std::string& fileName) {
    CheckInitialized();
    delete skinScene;
    skinScene = nullptr;
    AdoptSkin(CreateSceneFromFile(directory, fileName), 166);
}

void Application::AdoptSkin(Actor* loaded, int reportLine) {
    if (loaded && loaded->GetClassInfo()->IsKindOf(&Scene::staticClassInfo))
        skinScene = static_cast<Scene*>(loaded);
    else
        delete loaded;
    if (!skinScene)
        AssertionFailed(kSourceName, reportLine, "Failed to load skin");
}

void Application::CleanupRootScene() {
    if (rootScene)
        rootScene->GetActors().Clear();
}

void Application::CleanupCursorManager() {
    if (cursorManager)
        cursorManager->Clear();
}

void Application::AdjustRenderWindow(IntVector2 size, bool fullscreen) {
    windowVirtualExtent = Aabb2(Vector2(0.0f, 0.0f), Vector2(static_cast<float>(size.x), static_cast<float>(size.y)));
    Lumo::InstanceHolder<GameRenderWindow>::Get()->SetMode(size.x, size.y, fullscreen);
}

bool Application::IsSystemCursorsEnabled() const {
    return cursorManager && cursorManager->IsSystemCursorsEnabled();
}

void Application::SetSystemCursorsEnabled(bool enabled) {
    if (cursorManager)
        cursorManager->SetSystemCursorsEnabled(enabled);
}

void Application::NotifyException(const char* text) {
    if (listener)
        listener->OnException(text ? text : "");
}

void Application::NotifyClose() {
    if (listener)
        listener->OnClose();
}

}  // namespace Zep
