// The renderer layer's singletons: each lives in a static holder object whose
// CreateInstance makes it at start-up, and every use reaches it through
// Lumo::InstanceHolder<T>::Get.
#pragma once

#include "Common/CoreUtils.h"

template <class T>
class SubsystemBase;

namespace Lumo {

template <class T>
class InstanceHolder {
public:
    // The instance of T's holder; a missing holder or instance fails the assertion.
    static T* Get();

private:
    friend class SubsystemBase<T>;
    static inline SubsystemBase<T>* holder = nullptr;
};

}  // namespace Lumo

// The holder of one renderer-layer singleton. There is one holder object per T;
// it registers itself when constructed and is what InstanceHolder<T> reads.
template <class T>
class SubsystemBase {
public:
    SubsystemBase() : instance(nullptr) { Lumo::InstanceHolder<T>::holder = this; }
    // The instance is never deleted here: the application deletes it at teardown.
    virtual ~SubsystemBase() {
        if (Lumo::InstanceHolder<T>::holder == this)
            Lumo::InstanceHolder<T>::holder = nullptr;
    }

    SubsystemBase(const SubsystemBase&) = delete;
    SubsystemBase& operator=(const SubsystemBase&) = delete;

    virtual void CreateInstance() = 0;

    T* GetInstance() const { return instance; }
    // The application clears it after deleting the instance at teardown.
    void SetInstance(T* value) { instance = value; }

protected:
    T* instance;
};

template <class T>
T* Lumo::InstanceHolder<T>::Get() {
    T* found = holder ? holder->GetInstance() : nullptr;
    // Reported as this header's line, like the rest of the layer's template code.
    if (!found)
        Zep::AssertionFailed("LumoSources\\Common\\LumoCommon.h", 60);
    return found;
}
