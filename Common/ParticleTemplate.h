// Particle templates: the children of an emitter that say what its particles look
// like and how their factors change with age. So far their data and the mark that
// asks for a new bake of their keys.
#pragma once

#include <cstdint>
#include <string>

#include "Common/Actor.h"
#include "Common/ValueTypes.h"

namespace Zep {

// The factors a template applies to a particle's own values at one age; a baked key
// holds the same block.
struct ParticleTemplateValues {
    ParticleTemplateValues();

    int32_t time;  // ms
    float scale;
    float aspectRatio;
    float velocity;
    float spin;
    float angularVelocity;
    float randMotionRadius;
    float randMotionSpeed;
    float gravityAmount;
    float windAmount;
    float magnetAmount;
    Color color;
    int32_t firstFrame;
    int32_t lastFrame;
    float animationFps;
    bool loopedAnimation;
};

class ParticleTemplate : public Actor {
    ZEP_DECLARE_CLASS();

    ParticleTemplate();

    // The keys must be baked again before particles sample them.
    bool NeedsBaking() const { return !baked; }

    // --- Properties ---
    // Every setter but that of LoopedAnimation asks for a new bake, also when the
    // value does not change; TexturePath does when it changes.
    const std::string& GetTexturePath() const { return texturePath; }
    void SetTexturePath(const std::string& value);
    int32_t GetFirstFrame() const { return values.firstFrame; }
    void SetFirstFrame(int32_t value) { Rebake(values.firstFrame, value); }
    int32_t GetLastFrame() const { return values.lastFrame; }
    void SetLastFrame(int32_t value) { Rebake(values.lastFrame, value); }
    bool GetLoopedAnimation() const { return values.loopedAnimation; }
    void SetLoopedAnimation(bool value) { values.loopedAnimation = value; }
    float GetAnimationFps() const { return values.animationFps; }
    void SetAnimationFps(float value) { Rebake(values.animationFps, value); }
    float GetScale() const { return values.scale; }
    void SetScale(float value) { Rebake(values.scale, value); }
    float GetAspectRatio() const { return values.aspectRatio; }
    void SetAspectRatio(float value) { Rebake(values.aspectRatio, value); }
    float GetVelocity() const { return values.velocity; }
    void SetVelocity(float value) { Rebake(values.velocity, value); }
    float GetWindAmount() const { return values.windAmount; }
    void SetWindAmount(float value) { Rebake(values.windAmount, value); }
    float GetGravityAmount() const { return values.gravityAmount; }
    void SetGravityAmount(float value) { Rebake(values.gravityAmount, value); }
    float GetMagnetAmount() const { return values.magnetAmount; }
    void SetMagnetAmount(float value) { Rebake(values.magnetAmount, value); }
    float GetSpin() const { return values.spin; }
    void SetSpin(float value) { Rebake(values.spin, value); }
    float GetAngularVelocity() const { return values.angularVelocity; }
    void SetAngularVelocity(float value) { Rebake(values.angularVelocity, value); }
    float GetRandMotionRadius() const { return values.randMotionRadius; }
    void SetRandMotionRadius(float value) { Rebake(values.randMotionRadius, value); }
    float GetRandMotionSpeed() const { return values.randMotionSpeed; }
    void SetRandMotionSpeed(float value) { Rebake(values.randMotionSpeed, value); }
    const Color& GetColor() const { return values.color; }
    void SetColor(const Color& value) { Rebake(values.color, value); }

protected:
    template <class T>
    void Rebake(T& field, const T& value) {
        field = value;
        baked = false;
    }

    bool baked;
    // The values as the properties set them.
    ParticleTemplateValues values;
    std::string texturePath;
};

}  // namespace Zep
