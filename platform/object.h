#pragma once

// The root of the program's objects: what an event passes as its Sender.
class TObject {
  public:
    virtual ~TObject() = default;
};
