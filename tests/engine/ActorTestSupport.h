// Actor classes of the scene-tree tests.
#pragma once

#include <string>

#include "Common/Actor.h"

namespace ActorTest {

// A container actor, so that scene files can nest children.
class Group : public Zep::Actor {
    ZEP_DECLARE_CLASS();
    Group();
};

// Logs the traversals that reach it as "<operation><id>" words.
class Recorder : public Zep::Actor {
public:
    Recorder(const std::string& id, std::string* log) : id(id), log(log) { SetCompound(true); }

    void Update(int32_t timeDelta) override {
        Write("u" + id + ":" + std::to_string(timeDelta));
        Actor::Update(timeDelta);
    }
    void RenderInContext(const Zep::RenderContext& context) override {
        Write("r" + id);
        Actor::RenderInContext(context);
    }
    int32_t FindCursorAt(const Zep::RenderContext& context, int32_t device, const Zep::Vector2& point) override {
        Write("c" + id);
        const int32_t found = Actor::FindCursorAt(context, device, point);
        return found ? found : cursor;
    }
    bool HitTestInContext(const Zep::RenderContext&, const Zep::Vector2&) override { return true; }
    bool IsPresented() override { return presented; }
    Zep::Matrix32 CalcTransformMatrix() override { return transform; }

    std::string id;
    std::string* log;
    int32_t cursor = 0;
    bool presented = true;
    Zep::Matrix32 transform;

private:
    void Write(const std::string& word) { *log += (log->empty() ? "" : " ") + word; }
};

}  // namespace ActorTest
