// Focus navigation frames over a scene of 2000 actors holding 200 controls: 20 panels
// of 9 focusable buttons, each button drawn by 10 plain graphics. Each frame has 8
// events (the pointer moves in X and Y, "TAB" goes down and up: each physical event
// and its virtual one), handled by ProcessEvents, followed by the navigator's Update.
// The candidates are gathered afresh for every event.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "BenchmarkSupport.h"
#include "Common/Application.h"
#include "Common/FocusNavigator.h"
#include "Common/Scene.h"
#include "Common/VirtualInputDevice.h"
#include "FixedGameWindow.h"
#include "MessageDriver.h"
#include "LumoSources/Common/Subsystems.h"

namespace {

struct Window : TestSupport::FixedGameWindow {
    Window() : FixedGameWindow(1000, 1000) {}
};

template <class T>
T* Add(Zep::Actor& parent, T* child, float x, float y, float size) {
    child->SetPosition({x, y}), child->SetSize({size, size});
    parent.GetActors().Add(child);
    return child;
}

// The input system's mouse and keyboard, bound once: a run may call Frames again.
struct Devices {
    Devices() { Zep::VirtualInputDevice::Get(0)->Bind("NEXT", "KEYBOARD", "TAB"); }
    Zep::InputSystem* system = Zep::InputSystem::GetInstance();
    InputTesting::MessageDriver driver;
};

void Frames(benchmark::State& state) {
    BenchmarkSupport::UsePlayerHeap();
    const int32_t panels = BenchmarkSupport::Size(20, 2);
    Window window;
    gameRenderWindowSubsystem.SetInstance(&window);
    static Devices devices;
    Zep::InputSystem* system = devices.system;
    InputTesting::MessageDriver *mouse = &devices.driver, *keyboard = &devices.driver;
    Zep::Application* application = Zep::Application::GetInstance();
    application->SetWindowVirtualExtent(Zep::Aabb2({0, 0}, {1000, 1000}));

    Zep::FocusNavigator navigator;
    application->SetFocusNavigator(&navigator);
    {
        Zep::Scene scene;
        for (int32_t p = 0; p < panels; ++p) {
            auto* panel = Add(scene, new Zep::Control, 0.0f, 50.0f * p, 1000.0f);
            panel->SetCompound(true);
            for (int32_t b = 0; b < 9; ++b) {
                auto* button = Add(*panel, new Zep::Control, 100.0f * b, 0.0f, 40.0f);
                button->SetCompound(true), button->SetFocusable(true);
                for (int32_t g = 0; g < 10; ++g)
                    Add(*button, new Zep::Graphic, 2.0f * g, 2.0f * g, 20.0f);
            }
        }
        scene.Update(0);
        navigator.SetScene(&scene);

        static int32_t frame = 0;
        for (auto _ : state) {
            state.PauseTiming();
            ++frame;
            mouse->Move("X", static_cast<float>(frame * 37 % 1000));
            mouse->Move("Y", static_cast<float>(frame * 53 % 1000));
            keyboard->Press("TAB"), keyboard->Release("TAB");
            system->Update(true);
            state.ResumeTiming();
            navigator.ProcessEvents();
            navigator.Update(16);
        }
        state.counters["events"] = static_cast<double>(system->GetEvents().size());
        navigator.SetScene(nullptr);
    }
    application->SetFocusNavigator(nullptr);
    gameRenderWindowSubsystem.SetInstance(nullptr);
}

}  // namespace

BENCHMARK(Frames)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
