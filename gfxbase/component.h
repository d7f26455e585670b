// The small component model of the non-visual parts: a class name for messages, the
// Assign/AssignTo copy protocol, and named components destroyed by their owner.
#pragma once

#include "gfxbase/export.h"

#include <string>
#include <string_view>
#include <vector>

namespace dendrokit {

class DENDROKIT_EXPORT TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  // Class name as shown in messages ("TVector").
  virtual std::string_view ClassName() const { return "TObject"; }
};

// An object that can be copied from another one with Assign.
class DENDROKIT_EXPORT TPersistent : public TObject {
 public:
  std::string_view ClassName() const override { return "TPersistent"; }
  // Copies source into this object. The standard fallback lets the source try AssignTo;
  // when that cannot copy either, EConvertError "Cannot assign a <source> to a <this>".
  // A null source reads as "nil".
  virtual void Assign(const TPersistent* source);

 protected:
  // Copies this object into dest; the default raises the standard EConvertError.
  virtual void AssignTo(TPersistent& dest) const;
  [[noreturn]] static void RaiseAssignError(const TPersistent* source, const TPersistent& dest);
};

// A named component. An owner destroys the components it owns together with itself; a
// component destroyed earlier leaves its owner's list.
class DENDROKIT_EXPORT TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  ~TComponent() override;
  std::string_view ClassName() const override { return "TComponent"; }

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  const std::vector<TComponent*>& Components() const { return owned_; }

 private:
  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> owned_;
};

}  // namespace dendrokit
