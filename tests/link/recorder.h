#pragma once

#include <string>
#include <vector>

#include "link/comport.h"

// Records, in order, what a port tells its handlers and one link.
struct Recorder {
    std::vector<std::string> calls;
    seriallink::TComLink link;
    seriallink::TCustomComPort* watched = nullptr;

    // The port may outlive the recorder: it must not call into it then.
    ~Recorder() {
        if (watched == nullptr) return;
        watched->DetachLink(&link);
        watched->OnBeforeOpen = watched->OnAfterOpen = watched->OnBeforeClose =
            watched->OnAfterClose = nullptr;
        watched->OnCTSChange = watched->OnDSRChange = watched->OnRLSDChange = nullptr;
    }

    void Watch(seriallink::TCustomComPort& port) {
        watched = &port;
        port.OnBeforeOpen = [this](TObject*) { calls.push_back("BeforeOpen"); };
        port.OnAfterOpen = [this](TObject*) { calls.push_back("AfterOpen"); };
        port.OnBeforeClose = [this](TObject*) { calls.push_back("BeforeClose"); };
        port.OnAfterClose = [this](TObject*) { calls.push_back("AfterClose"); };
        port.OnCTSChange = [this](TObject*, bool on) { calls.push_back(Signal("CTSChange", on)); };
        port.OnDSRChange = [this](TObject*, bool on) { calls.push_back(Signal("DSRChange", on)); };
        port.OnRLSDChange = [this](TObject*, bool on) {
            calls.push_back(Signal("RLSDChange", on));
        };
        link.OnConnectionChanged = [this](TObject*, bool on) {
            calls.push_back(Signal("link.Connection", on));
        };
        link.OnCTSChanged = [this](TObject*, bool on) { calls.push_back(Signal("link.CTS", on)); };
        link.OnDSRChanged = [this](TObject*, bool on) { calls.push_back(Signal("link.DSR", on)); };
        link.OnRLSDChanged = [this](TObject*, bool on) {
            calls.push_back(Signal("link.RLSD", on));
        };
        port.AttachLink(&link);
    }

    static std::string Signal(const std::string& name, bool on) {
        return name + (on ? " on" : " off");
    }
};
