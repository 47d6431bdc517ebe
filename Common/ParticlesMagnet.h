// Particle magnets: graphics whose rectangle draws the particles of the emitters
// beside them. They draw nothing themselves. So far their data.
#pragma once

#include "Common/Graphic.h"

namespace Zep {

class ParticlesMagnet : public Graphic {
    ZEP_DECLARE_CLASS();

    ParticlesMagnet();

    // --- Properties ---
    float GetAttenuation() const { return attenuation; }
    void SetAttenuation(float value) { attenuation = value; }
    float GetStrength() const { return strength; }
    void SetStrength(float value) { strength = value; }

protected:
    float attenuation;
    float strength;
};

}  // namespace Zep
