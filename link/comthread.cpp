#include "link/comthread.h"

#include <mutex>
#include <thread>

#include "link/comport.h"
#include "platform/application.h"
#include "platform/serial.h"

namespace seriallink {

namespace {

// Errors first, then received data, then the rest.
constexpr TComEvent deliveryOrder[] = {evError, evRxChar, evTxEmpty, evBreak, evRing,
                                       evCTS,   evDSR,    evRxFlag,  evRLSD,  evRx80Full};

bool IsLineFailure(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const EComPort&) {
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

int LineEventCode(TComEvent event) {
    // The event's bit in the device's event mask.
    return static_cast<int>(EventsToMask(TComEvents{event}));
}

// --- TMessageWindow ------------------------------------------------------------

// Outlives the window while messages for it are queued: a message that comes
// after the window is gone does nothing.
struct TMessageWindow::Target {
    std::mutex mutex;
    TCustomComPort* port;
};

TMessageWindow::TMessageWindow(TCustomComPort* port) : target_(std::make_shared<Target>()) {
    target_->port = port;
}

TMessageWindow::~TMessageWindow() {
    std::lock_guard lock(target_->mutex);
    target_->port = nullptr;
}

void TMessageWindow::SendMessage(int message, int code) {
    threads::Send([target = target_, message, code] {
        TCustomComPort* port;
        {
            std::lock_guard lock(target->mutex);
            port = target->port;
        }
        if (port == nullptr || message != LineEventMessage || !port->Connected()) return;
        for (TComEvent event : deliveryOrder) {
            if (LineEventCode(event) == code) {
                port->HandleEvent(event);
                return;
            }
        }
    });
}

// --- TComThread -----------------------------------------------------------------

TComThread::TComThread(TCustomComPort* port, TMessageWindow* window)
    : port_(port), window_(window), lineLost_(port->LineLostNotice()) {
    SetPriority(port->MonitorPriority());
    serial::SetCommMask(port->Handle(), EventsToMask(port->Events()));
    Start();
}

TComThread::~TComThread() {
    Stop();
    WaitFor();
}

void TComThread::Stop() {
    stopEvent_.Set();
    std::this_thread::yield();
}

void TComThread::DeliverEvents() {
    delivering_ = true;
    try {
        // A handler may close the port: the events left are then dropped.
        for (TComEvent event : deliveryOrder)
            if (currentEvents_.Contains(event) && port_->Connected()) port_->HandleEvent(event);
    } catch (...) {
        delivering_ = false;
        throw;
    }
    delivering_ = false;
}

void TComThread::Deliver() {
    switch (port_->SyncMethod()) {
        case smThreadSync:
            threads::Synchronize([this] { DeliverEvents(); });
            break;
        case smWindowSync:
            for (TComEvent event : deliveryOrder)
                if (currentEvents_.Contains(event) && window_ != nullptr)
                    window_->SendMessage(LineEventMessage, LineEventCode(event));
            break;
        case smNone:
            DeliverEvents();
            break;
    }
}

void TComThread::Execute() {
    {
        serial::EventWait wait(port_->Handle(), stopEvent_.Descriptor());
        for (;;) {
            uint32_t mask = 0;
            int error = 0;
            const auto result = wait.Wait(mask, error);
            if (result == serial::EventWait::Result::Failed) {
                // The device is gone (an adapter pulled, the far end of the
                // line closed): reception has stopped, and the user is told
                // once instead of finding the values frozen.
                threads::Queue([error, lost = lineLost_] {
                    application::ShowError(
                        std::make_exception_ptr(EComPort(CError_ReadFailed, error)));
                    lost();
                });
                break;
            }
            if (result != serial::EventWait::Result::Events) break;
            currentEvents_ = MaskToEvents(mask);
            std::exception_ptr failure;
            try {
                Deliver();
            } catch (...) {
                failure = std::current_exception();
            }
            if (failure) {
                // The handling failed: reception ends here. Nobody called us,
                // so the error goes to the application, once; the thread then
                // only waits to be stopped. The catch is left first, so the
                // main thread holds the only reference to the error.
                // A failure of the line itself (a read or write refused) has
                // lost it; another handler's error leaves it working.
                std::function<void()> lost;
                if (IsLineFailure(failure)) lost = lineLost_;
                threads::Queue([failure = std::move(failure), lost = std::move(lost)] {
                    application::ShowError(failure);
                    if (lost) lost();
                });
                stopEvent_.WaitSet();
                break;
            }
            // Stopped by a handler that closed the port: the device may be
            // released already, so it is not touched again.
            if (stopEvent_.IsSet()) break;
        }
    }
}

}  // namespace seriallink
