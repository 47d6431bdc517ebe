// The texture cache on the renderer: names and their roads, draining, references held
// by the renderer, the failure reports, and preloading on the worker thread.
#include <filesystem>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "Common/BundleSystem.h"
#include "Common/FileAttributes.h"
#include "Common/TextureManager.h"
#include "Common/Thread.h"
#include "DX8TestSupport.h"
#include "ImageSamples.h"

namespace {

using Zep::ManagedTexture;

class Manager : public Zep::TextureManager {
public:
    Manager() = default;
};

class TextureManagerTest : public DX8Testing::RendererTest {
protected:
    void SetUp() override {
        RendererTest::SetUp();
        Zep::BundleSystem::GetInstance()->MountDirectory(temp.Path());
    }
    void TearDown() override {
        delete manager;
        Zep::BundleSystem::GetInstance()->Unmount(temp.Path());
        Zep::FileAttributes::GetInstance().LoadAll();
        RendererTest::TearDown();
    }
    // A w x h RGB image.
    void WritePng(const std::string& name, uint32_t w = 2, uint32_t h = 2) {
        ImageSamples::Png png;
        png.width = w, png.height = h;
        png.scanlines = ImageSamples::Pattern(size_t(w) * h * 3);
        TestSupport::WriteFile(temp.File(name), png.Build());
    }
    // Loads t0 ... t<count - 1> and gives the references back: cached, unreferenced, the
    // last one the most recently used.
    void Cache(int count) {
        for (int i = 0; i < count; ++i) {
            WritePng(T(i) + ".png");
            manager->GetTexture(T(i))->Release();
        }
    }
    static std::string T(int i) { return "t" + std::to_string(i); }
    // The digits of the cached names of t0 to t9.
    std::string Cached() {
        std::string digits;
        for (int i = 0; i < 10; ++i)
            digits += manager->FindTexture(T(i)) ? std::to_string(i) : "";
        return digits;
    }

    TestSupport::TempFolder temp;
    Manager* manager = new Manager();
};

TEST_F(TextureManagerTest, DrainUnloadsAShareOfTheLeastRecentlyUsedUnreferencedOnes) {
    struct Case {
        int cached, percent;
        std::vector<int> held, bound;  // referenced; bound on a stage, then unbound
        std::string left;
    } cases[] = {{5, 30, {}, {}, "1234"},  {10, 30, {}, {}, "3456789"}, {10, 30, {0, 2}, {}, "0256789"},
                 {5, 30, {}, {0}, "0234"}, {4, 100, {3}, {}, "3"},      {3, 2000000000, {}, {}, ""}};
    for (const Case& c : cases) {
        delete manager;
        manager = new Manager();
        Cache(c.cached);
        for (int i : c.held)
            manager->GetTexture(T(i));
        for (int i : c.bound) {
            renderer->SetCurrentTexture(manager->FindTexture(T(i)), 0);
            renderer->SetCurrentTexture(nullptr, 0);
        }
        EXPECT_TRUE(manager->Drain(c.percent));
        EXPECT_EQ(c.left, Cached()) << c.cached << " at " << c.percent;
        EXPECT_EQ(int(c.left.size()), manager->GetNumTextures());
        for (int i : c.held)
            manager->FindTexture(T(i))->Release();
    }
    EXPECT_FALSE(Manager().Drain(30));
}

TEST_F(TextureManagerTest, NamesFindTheStubRenderTargetsOrFiles) {
    WritePng("#e.png", 3, 3);
    WritePng("#ab.png", 5, 5);
    struct Case {
        std::string name;
        int size, references;
        bool cached;
    } cases[] = {{"", 128, 2, false},   {"#a", 256, 1, true},       {"#b", 256, 1, true},      {"#c", 512, 1, true},
                 {"#d", 1024, 1, true}, {"#e", 3, 1, true},         {"#ab", 5, 1, true},       {"#A", 128, 3, false},
                 {"#c", 512, 2, true},  {"missing", 128, 4, false}, {"missing", 128, 5, false}};
    for (const Case& c : cases) {
        ManagedTexture* texture = manager->GetTexture(c.name);
        EXPECT_EQ(c.size, texture->GetWidth()) << c.name;
        EXPECT_EQ(c.references, texture->GetRefCount()) << c.name;
        EXPECT_EQ(c.cached, manager->FindTexture(c.name) == texture) << c.name;
    }
    // Not remembered as missing: the next request finds the file.
    WritePng("missing.png", 7, 7);
    EXPECT_EQ(7, manager->GetTexture("missing")->GetWidth());
    EXPECT_EQ(manager->GetStubTexture(), manager->FindTexture("<stub>"));
    // Drawn 1:1: squares of 8 x 8 pixels, white and light blue.
    renderer->BeginRenderFrame();
    renderer->DrawTexturedRect2d(manager->GetStubTexture(), Zep::Vector2(0, 0), Zep::Vector2(128, 128),
                                 Zep::Vector2(0, 0), Zep::Vector2(1, 1), 0, Zep::Vector2(1, 1), Zep::Color(~0u), 0);
    const std::vector<uint32_t> drawn = Capture();
    renderer->EndRenderFrame();
    const int probes[] = {0, 7, 8 * kWidth + 8, 8, 8 * kWidth, 127 * kWidth + 112};  // white, then blue
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(i < 3 ? ~0u : 0xFF3333FFu, drawn[probes[i]]) << probes[i];
    EXPECT_EQ(8, manager->GetNumTextures());
    for (const char* name : {"#a", "#b", "#c", "#c", "#d", "#e", "#ab", "missing"})
        manager->FindTexture(name)->Release();
    for (int i = 0; i < 4; ++i)
        manager->GetStubTexture()->Release();
    EXPECT_EQ(1, manager->GetStubTexture()->GetRefCount());

    EXPECT_EQ(100.0f, manager->GetPreloadingPercent());
    manager->SetCollectingPreloadingTextures(true);
    WritePng("new.png");
    manager->GetTexture("new")->Release();
    manager->Drain(100);
    manager->GetTexture("new")->Release();
    EXPECT_EQ(Zep::StringVector{"new"}, manager->GetPreloadingList());

    const char* keys[][2] = {{"", ""}, {"#C", "#c"}, {"#A.png", "#a.png"}, {"UI/Big.Icon.PNG", "ui/big.icon"}};
    for (auto& key : keys)
        EXPECT_EQ(key[1], Manager::NormalizeTextureName(key[0]));
}

TEST_F(TextureManagerTest, BoundTexturesHoldAReferenceOfTheRenderer) {
    Cache(2);
    renderer->SetCurrentTexture(manager->FindTexture("t0"), 1);
    renderer->SetCurrentTexture(manager->GetTexture("#a"), 0);
    manager->FindTexture("#a")->Release();
    manager->Drain(100);
    EXPECT_EQ("0", Cached());
    renderer->ReleaseResources();
    EXPECT_EQ(0, manager->FindTexture("#a")->GetRefCount() + manager->FindTexture("t0")->GetRefCount());
}

TEST_F(TextureManagerTest, MisuseFailsWithItsReport) {
    Cache(1);
    ManagedTexture* texture = manager->FindTexture("t0");
    EXPECT_TRUE(std::regex_match(TestSupport::QuietReportOf([&] { texture->Release(); }),
                                 std::regex("Panic error in file \"Common.TextureManager.cpp\", line [0-9]+:\n  "
                                            "Attempt to release not referenced texture")));
    Zep::IntrusiveList<ManagedTexture> other;
    EXPECT_EQ("Panic error in file \"Common\\IntrusiveList.h\", line 39:\n  Item already present in the list",
              TestSupport::QuietReportOf([&] { other.PushFront(texture); }));
    texture->AddRef();
    renderer->BeginRenderFrame();
    EXPECT_EQ("Assertion failed in file \"Common\\TextureManager.cpp\", line 311",
              TestSupport::QuietReportOf([&] { manager->GetTexture("t1"); }));
    EXPECT_EQ(texture, manager->GetTexture("t0"));  // cached names are fine inside a frame
    texture->Release();
    texture->Release();

    const TestSupport::ChildResult child = TestSupport::RunInChild([] { Manager().GetTexture("#a"); });
    EXPECT_NE(std::string::npos,
              child.stdErr.find("\"Common\\TextureManager.cpp\", line 446:\n  TextureManager::~TextureManager() failed "
                                "- some of textures are still referenced"))
        << child.stdErr;
}

TEST_F(TextureManagerTest, PreloadingCachesTheListedImagesOnTheWorker) {
    std::filesystem::create_directories(temp.File("sharp"));
    std::string list;
    for (int i = 0; i < 20; ++i) {
        const std::string name = (i % 4 == 0 ? "sharp/p" : "p") + std::to_string(i);
        if (i != 7)
            WritePng(name + ".png", 4 + i, 4);
        list += name + (i == 3 ? "\np3\n" : "\n");
    }
    list.pop_back();  // the last line ends without a line feed
    TestSupport::WriteFile(temp.File("sharp/.attributes"), "\"*\" PixelAccess \"true\" \"*\" MipMaps \"true\"");
    TestSupport::WriteFile(temp.File("list.txt"), list);
    Zep::FileAttributes::GetInstance().LoadAll();
    ASSERT_TRUE(manager->LoadPreloadingListFromFile("list.txt"));
    ASSERT_EQ(21u, manager->GetPreloadingList().size());
    manager->GetTexture("p1")->Release();  // already cached: passed over

    manager->StartPreloading(0);
    int updates = 0;
    for (; updates < 4000 && manager->GetPreloadingPercent() < 100.0f; ++updates) {
        manager->Update(16);
        Zep::Thread::Sleep(1);
    }
    EXPECT_EQ(100.0f, manager->GetPreloadingPercent()) << updates << " updates";
    for (int i = 0; i < 20; ++i) {
        const std::string name = (i % 4 == 0 ? "sharp/p" : "p") + std::to_string(i);
        ManagedTexture* texture = manager->FindTexture(name);
        ASSERT_EQ(i != 7, texture != nullptr) << name;
        if (!texture)
            continue;
        auto* plain = static_cast<Zep::PlainTexture*>(texture->GetTexture());
        EXPECT_EQ(std::make_tuple(4 + i, 0, i % 4 == 0),
                  std::make_tuple(texture->GetWidth(), texture->GetRefCount(), plain->HasMemoryCopy()))
            << name;
    }
    EXPECT_EQ(19, manager->GetNumTextures());

    manager->SavePreloadingListToFile("saved.txt");
    std::string saved = list + "\n";
    saved.erase(saved.find("p7\n"), 3);
    EXPECT_EQ(saved, TestSupport::ReadFile(temp.File("saved.txt")));
}

}  // namespace
