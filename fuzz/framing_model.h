#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

// How the window's framer must cut the line's bytes, written out byte by byte
// as a second opinion: a packet is the byte FF and the next Size - 1 bytes;
// bytes outside a packet wait for an FF and are dropped once 1024 of them have
// piled up at the end of an arrival; a new size drops whatever is pending.
class FramingModel {
  public:
    static constexpr std::size_t MaxBufferSize = 1024;

    void Reset(std::size_t size) {
        size_ = size;
        pending_.clear();
        inside_ = false;
    }
    // The framer only resets its buffer when the size really changes.
    void FollowSize(std::size_t size) {
        if (size != size_) Reset(size);
    }

    // The payloads (without the FF) that these bytes complete, in order.
    std::deque<std::string> Append(std::string_view bytes) {
        std::deque<std::string> packets;
        for (const char c : bytes) {
            if (!inside_) {
                if (c == '\xFF') {
                    pending_.assign(1, c);
                    inside_ = true;
                } else {
                    pending_ += c;
                }
            } else {
                pending_ += c;
            }
            if (inside_ && pending_.size() == size_) {
                packets.push_back(pending_.substr(1));
                pending_.clear();
                inside_ = false;
            }
        }
        if (!inside_ && pending_.size() >= MaxBufferSize) pending_.clear();
        return packets;
    }

    const std::string& Pending() const { return pending_; }
    bool Inside() const { return inside_; }

  private:
    std::size_t size_ = 8;
    std::string pending_;
    bool inside_ = false;
};
