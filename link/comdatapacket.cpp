#include "link/comdatapacket.h"

#include <algorithm>

#include "link/comport.h"

namespace seriallink {

namespace {

// Only a to z fold: the strings are bytes, not text in some locale.
unsigned char Fold(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'a' && b <= 'z') ? static_cast<unsigned char>(b - ('a' - 'A')) : b;
}

bool SameFolded(char a, char b) {
    return Fold(a) == Fold(b);
}

// Offset of the first occurrence of a non-empty needle, or npos.
std::size_t Find(std::string_view hay, std::string_view needle, bool fold) {
    if (!fold) return hay.find(needle);
    const auto it = std::search(hay.begin(), hay.end(), needle.begin(), needle.end(), SameFolded);
    return it == hay.end() ? std::string_view::npos : static_cast<std::size_t>(it - hay.begin());
}

bool StartsWith(std::string_view hay, std::string_view prefix, bool fold) {
    if (hay.size() < prefix.size()) return false;
    if (!fold) return hay.starts_with(prefix);
    return std::equal(prefix.begin(), prefix.end(), hay.begin(), SameFolded);
}

}  // namespace

TComDataPacket::TComDataPacket() : link_(std::make_unique<TComLink>()) {
    link_->OnRxBuffer = [this](TObject*, const char* Buffer, int Count) { Receive(Buffer, Count); };
}

TComDataPacket::~TComDataPacket() {
    // Detaching only fails when the link is not in the port's list, so the
    // port holds no pointer to it and there is nothing left to undo.
    try {
        SetComPort(nullptr);
    } catch (...) {
    }
}

void TComDataPacket::Receive(const char* Buffer, int Count) {
    AppendData(std::string(Buffer, static_cast<std::size_t>(std::max(Count, 0))));
}

void TComDataPacket::AppendData(const std::string& Data) {
    // Without a way to end a packet, every piece read is a packet of its own.
    if (!HasStopCondition()) {
        FirePacket(Data);
        return;
    }
    pending_.append(Data);
    ProcessBuffer();
}

void TComDataPacket::ProcessBuffer() {
    // Handlers may re-enter (a setter resetting the buffer, AppendData), so
    // every step reads the state afresh instead of keeping offsets.
    try {
        for (;;) {
            if (!insidePacket_) LookForStart();
            if (!insidePacket_) break;
            if (!LookForEnd()) break;
        }
    } catch (...) {
        EndRun();
        throw;
    }
    EndRun();
}

void TComDataPacket::EndRun() {
    if (head_ > 0) {
        pending_.erase(0, head_);
        head_ = 0;
    }
    // Bounds a stream in which no packet is found.
    if (maxBufferSize_ > 0 && pending_.size() >= static_cast<std::size_t>(maxBufferSize_))
        ResetBuffer();
}

std::string_view TComDataPacket::PendingView() const {
    return std::string_view(pending_).substr(head_);
}

std::string TComDataPacket::TakeFront(std::size_t count) {
    std::string taken = pending_.substr(head_, count);
    head_ += taken.size();
    if (head_ == pending_.size()) {
        pending_.clear();
        head_ = 0;
    }
    return taken;
}

void TComDataPacket::LookForStart() {
    int pos = -1;
    FireCustomStart(PendingView(), pos);
    if (pos == -1) {
        if (startString_.empty()) {
            insidePacket_ = true;
            return;
        }
        const std::size_t at = Find(PendingView(), startString_, caseInsensitive_);
        if (at == std::string_view::npos) return;
        pos = static_cast<int>(at) + 1;
    } else if (pos <= 0) {
        return;
    }
    insidePacket_ = true;
    if (pos > 1) {
        const std::string discarded = TakeFront(static_cast<std::size_t>(pos - 1));
        FireDiscard(discarded);
    }
}

bool TComDataPacket::LookForEnd() {
    int pos = -1;
    FireCustomStop(PendingView(), pos);
    const std::string_view pending = PendingView();
    std::size_t length = 0;
    if (pos > 0) {
        // An end past the bytes received means they have not all arrived.
        if (static_cast<std::size_t>(pos) > pending.size()) return false;
        length = static_cast<std::size_t>(pos);
    } else if (pos == -1) {
        if (size_ > 0 && pending.size() >= static_cast<std::size_t>(size_)) {
            length = static_cast<std::size_t>(size_);
        } else {
            // Behind the start string, so a stop string inside it cannot end the packet.
            if (stopString_.empty() || pending.size() <= startString_.size()) return false;
            const std::size_t at =
                Find(pending.substr(startString_.size()), stopString_, caseInsensitive_);
            if (at == std::string_view::npos) return false;
            length = startString_.size() + at + stopString_.size();
        }
    } else {
        return false;
    }
    insidePacket_ = false;
    std::string packet = TakeFront(length);
    StripDelimiters(packet);
    FirePacket(packet);
    return true;
}

bool TComDataPacket::HasStopCondition() const {
    return size_ > 0 || !stopString_.empty() || static_cast<bool>(OnCustomStop);
}

void TComDataPacket::ResetBuffer() {
    if (PendingView().empty()) return;
    const std::string all = Pending();
    // Emptied whatever the handler does, or a throwing handler would see the
    // same bytes again on every arrival.
    const auto empty = [this] {
        pending_.clear();
        head_ = 0;
        insidePacket_ = false;
    };
    try {
        FireDiscard(all);
    } catch (...) {
        empty();
        throw;
    }
    empty();
}

void TComDataPacket::StripDelimiters(std::string& Packet) const {
    if (includeStrings_) return;
    if (!startString_.empty() && StartsWith(Packet, startString_, caseInsensitive_))
        Packet.erase(0, startString_.size());
    if (stopString_.empty()) return;
    // Only a stop string whose first occurrence ends the packet is a delimiter.
    const std::size_t at = Find(Packet, stopString_, caseInsensitive_);
    if (at != std::string::npos && at + stopString_.size() == Packet.size()) Packet.erase(at);
}

void TComDataPacket::SetComPort(TCustomComPort* value) {
    if (value == comPort_) return;
    if (comPort_ != nullptr) comPort_->DetachLink(link_.get());
    comPort_ = value;
    if (comPort_ != nullptr) {
        FreeNotification(comPort_);
        comPort_->AttachLink(link_.get());
    }
}

void TComDataPacket::SetCaseInsensitive(bool value) {
    if (value == caseInsensitive_) return;
    caseInsensitive_ = value;
    if (!Loading()) ResetBuffer();
}

void TComDataPacket::SetStartString(const std::string& value) {
    if (value == startString_) return;
    startString_ = value;
    if (!Loading()) ResetBuffer();
}

void TComDataPacket::SetStopString(const std::string& value) {
    if (value == stopString_) return;
    stopString_ = value;
    if (!Loading()) ResetBuffer();
}

void TComDataPacket::SetSize(int32_t value) {
    if (value == size_) return;
    size_ = value;
    if (!Loading()) ResetBuffer();
}

void TComDataPacket::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    // The port is going away: let go of it while it can still detach the link.
    if (operation == TOperation::opRemove && component != nullptr && component == comPort_)
        SetComPort(nullptr);
}

void TComDataPacket::FireDiscard(const std::string& Str) {
    if (OnDiscard) OnDiscard(this, Str);
}

void TComDataPacket::FirePacket(const std::string& Str) {
    if (OnPacket) OnPacket(this, Str);
}

void TComDataPacket::FireCustomStart(std::string_view Str, int& Pos) {
    if (OnCustomStart) OnCustomStart(this, std::string(Str), Pos);
}

void TComDataPacket::FireCustomStop(std::string_view Str, int& Pos) {
    if (OnCustomStop) OnCustomStop(this, std::string(Str), Pos);
}

}  // namespace seriallink
