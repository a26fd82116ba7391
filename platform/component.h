#pragma once

#include <vector>

#include "platform/object.h"

// An object owned by the main window whose properties are restored from the
// window's stored description. While that loading runs, setters only store
// values; Loaded() runs when it ends. A component can ask to be told when
// another one is destroyed.
class TComponent : public TObject {
  public:
    enum class TOperation { opInsert, opRemove };

    TComponent() = default;
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    bool Loading() const { return loading_; }
    void BeginLoading() { loading_ = true; }
    // Clears the loading flag, then lets the component act on what was loaded.
    void EndLoading();

    // Both sides are told when either is destroyed.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

  protected:
    virtual void Loaded() {}
    virtual void Notification(TComponent* component, TOperation operation);
    // Tells every registered component that this one goes away. Called by the
    // base destructor, or earlier by a derived one that must still be whole.
    void NotifyDestruction();

  private:
    bool loading_ = false;
    std::vector<TComponent*> notified_;
};
