#include "platform/component.h"

#include <algorithm>

TComponent::~TComponent() {
    NotifyDestruction();
}

void TComponent::EndLoading() {
    loading_ = false;
    Loaded();
}

void TComponent::FreeNotification(TComponent* other) {
    if (other == nullptr || other == this) return;
    if (std::find(notified_.begin(), notified_.end(), other) == notified_.end())
        notified_.push_back(other);
    if (std::find(other->notified_.begin(), other->notified_.end(), this) == other->notified_.end())
        other->notified_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (other == nullptr) return;
    std::erase(notified_, other);
    std::erase(other->notified_, this);
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::NotifyDestruction() {
    // Each notified component may unregister itself (and others) while being
    // told, so take them one at a time from the front.
    while (!notified_.empty()) {
        TComponent* other = notified_.front();
        notified_.erase(notified_.begin());
        std::erase(other->notified_, this);
        other->Notification(this, TOperation::opRemove);
    }
}
