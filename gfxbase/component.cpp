#include "gfxbase/component.h"

#include <algorithm>

#include "gfxbase/errors.h"
#include "gfxbase/globals.h"

namespace dendrokit {

bool AbortComputation = false;
double ProgressCounter = 0.0;

std::string ComponentMessage(const std::string& name, const char* suffix) {
  return "Component \"" + name + "\"" + suffix;
}

void TPersistent::Assign(const TPersistent* source) {
  if (source == nullptr) RaiseAssignError(nullptr, *this);
  source->AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest) const { RaiseAssignError(this, dest); }

void TPersistent::RaiseAssignError(const TPersistent* source, const TPersistent& dest) {
  const std::string src = source ? std::string(source->ClassName()) : std::string("nil");
  throw EConvertError("Cannot assign a " + src + " to a " + std::string(dest.ClassName()));
}

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->owned_.push_back(this);
}

TComponent::~TComponent() {
  // Children leave the list themselves while they are destroyed, so take it first.
  std::vector<TComponent*> owned;
  owned.swap(owned_);
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    (*it)->owner_ = nullptr;
    delete *it;
  }
  if (owner_) std::erase(owner_->owned_, this);
}

}  // namespace dendrokit
