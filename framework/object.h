// The root of the framework's class tree: a polymorphic base, nothing more.
#pragma once

class CObject {
 public:
  virtual ~CObject() = default;
};
