// Particle emitters: graphics that send out particles made from the templates
// among their children, drawn towards the magnets of the scene. So far their data.
#pragma once

#include <cstdint>

#include "Common/Graphic.h"
#include "Common/ValueTypes.h"

namespace Zep {

// The figure particles are emitted from.
enum EmitterShape : int32_t {
    EMITTER_POINT = 0,
    EMITTER_LINE = 1,
    EMITTER_ELLIPSE = 2,
    EMITTER_AREA = 3,
};

// Which side of the shape's outline particles leave from (bits; 0 none, both either).
enum EmissionType : int32_t {
    EMISSION_INNER = 1,
    EMISSION_OUTER = 2,
};

// The space particles live in once emitted.
enum ParticlesLinkage : int32_t {
    PARTICLES_LINKAGE_ROOT = 0,    // the world: they stay where they were emitted
    PARTICLES_LINKAGE_PARENT = 1,  // the emitter's: they move with it
};

// A container of its templates: its constructor sets compound. Random pairs are
// (median, variation); angles in degrees, times in seconds.
class ParticleEmitter : public Graphic {
    ZEP_DECLARE_CLASS();

    ParticleEmitter();

    // One switch for every emitter: while false no particle is emitted. True at start.
    static bool globalEnabled;

    // --- Properties ---
    EmitterShape GetShape() const { return shape; }
    void SetShape(EmitterShape value) { shape = value; }
    EmissionType GetEmissionType() const { return emissionType; }
    void SetEmissionType(EmissionType value) { emissionType = value; }
    ParticlesLinkage GetParticlesLinkage() const { return particlesLinkage; }
    void SetParticlesLinkage(ParticlesLinkage value) { particlesLinkage = value; }
    // Particles per second.
    float GetNumber() const { return number; }
    void SetNumber(float value) { number = value; }
    // The emitter's time factor.
    float GetSpeed() const { return speed; }
    void SetSpeed(float value) { speed = value; }
    const RandomPair& GetWindDirection() const { return windDirection; }
    void SetWindDirection(const RandomPair& value) { windDirection = value; }
    const RandomPair& GetWindAmount() const { return windAmount; }
    void SetWindAmount(const RandomPair& value) { windAmount = value; }
    const RandomPair& GetGravityDirection() const { return gravityDirection; }
    void SetGravityDirection(const RandomPair& value) { gravityDirection = value; }
    const RandomPair& GetGravityAmount() const { return gravityAmount; }
    void SetGravityAmount(const RandomPair& value) { gravityAmount = value; }
    const RandomPair& GetOrientation() const { return orientation; }
    void SetOrientation(const RandomPair& value) { orientation = value; }
    const RandomPair& GetDirection() const { return direction; }
    void SetDirection(const RandomPair& value) { direction = value; }
    const RandomPair& GetLife() const { return life; }
    void SetLife(const RandomPair& value) { life = value; }
    const RandomPair& GetZoom() const { return zoom; }
    void SetZoom(const RandomPair& value) { zoom = value; }
    const RandomPair& GetAspectRatio() const { return aspectRatio; }
    void SetAspectRatio(const RandomPair& value) { aspectRatio = value; }
    // Units per second.
    const RandomPair& GetVelocity() const { return velocity; }
    void SetVelocity(const RandomPair& value) { velocity = value; }
    // Degrees per second.
    const RandomPair& GetSpin() const { return spin; }
    void SetSpin(const RandomPair& value) { spin = value; }
    const RandomPair& GetMagnetAmount() const { return magnetAmount; }
    void SetMagnetAmount(const RandomPair& value) { magnetAmount = value; }
    // Degrees per second.
    const RandomPair& GetAngularVelocity() const { return angularVelocity; }
    void SetAngularVelocity(const RandomPair& value) { angularVelocity = value; }
    const RandomPair& GetRandMotionRadius() const { return randMotionRadius; }
    void SetRandMotionRadius(const RandomPair& value) { randMotionRadius = value; }
    // Curve segments per second.
    const RandomPair& GetRandMotionSpeed() const { return randMotionSpeed; }
    void SetRandMotionSpeed(const RandomPair& value) { randMotionSpeed = value; }

protected:
    EmitterShape shape;
    EmissionType emissionType;
    ParticlesLinkage particlesLinkage;
    float number;
    float speed;
    RandomPair windDirection;
    RandomPair windAmount;
    RandomPair gravityDirection;
    RandomPair gravityAmount;
    RandomPair orientation;
    RandomPair direction;
    RandomPair life;
    RandomPair zoom;
    RandomPair aspectRatio;
    RandomPair velocity;
    RandomPair spin;
    RandomPair magnetAmount;
    RandomPair angularVelocity;
    RandomPair randMotionRadius;
    RandomPair randMotionSpeed;
    // Particles that live in the emitter's space start white rather than in its Color.
    bool whiteLocal;
};

// The emitter whose particles start white when they live in its space, and whose
// lengths follow its world scale when they do not.
class ParticleEmitter2 : public ParticleEmitter {
    ZEP_DECLARE_CLASS();

    ParticleEmitter2();
};

}  // namespace Zep
