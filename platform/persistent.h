#pragma once

#include "platform/object.h"

// An object that copies all its fields onto another of its own class.
// Copying from an object of another class is refused with an Exception.
class TPersistent : public TObject {
  public:
    void Assign(const TPersistent& source);

  protected:
    // Copies the fields of source, already known to be of this object's class.
    virtual void AssignFrom(const TPersistent& source) = 0;
};
