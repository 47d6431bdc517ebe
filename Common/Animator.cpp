#include "Common/Animator.h"

namespace Zep {

ZEP_IMPLEMENT_ABSTRACT_CLASS(Animator, "Zep::Animator", &Object::staticClassInfo);

void Animator::DeclareProperties() {}

Animator::Animator() {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
