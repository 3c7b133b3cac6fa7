#pragma once

namespace platform {

// Base of every component of the program: knows its owner, nothing more.
// Owned components are held by their owner as members (unique_ptr), so
// destruction order follows C++ member order rather than an owner list.
class TComponent {
 public:
  explicit TComponent(TComponent* owner = nullptr) : owner_(owner) {}
  virtual ~TComponent() = default;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }

 private:
  TComponent* owner_;
};

}  // namespace platform
