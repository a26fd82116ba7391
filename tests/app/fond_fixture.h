#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/fond.h"
#include "link/comdatapacket.h"
#include "link/comport.h"
#include "platform/clock.h"
#include "platform/ports.h"
#include "toolkit/toolkit.h"

// A window started in a folder of its own (the settings and links files are
// read from the current directory), with the port list, the clock and the
// message boxes under the test's control.
class FondTest : public ::testing::Test {
  protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        ancien_ = fs::current_path();
        char tmpl[] = "/tmp/solvenare-fond-XXXXXX";
        dossier_ = mkdtemp(tmpl);
        fs::current_path(dossier_);
        ports::SetListSerialPortsForTests([this] { return ports_; });
        clock_seam::SetNow([this] { return maintenant_; });
        toolkit::SetShowMessageHook([this](const std::string& t) { messages_.push_back(t); });
        toolkit::SetErrorDisplayHook([this](const std::string& t) { erreurs_.push_back(t); });
        toolkit::InstallErrorDisplay();
    }

    void TearDown() override {
        fenetre_.reset();
        ports::SetListSerialPortsForTests(nullptr);
        clock_seam::SetNow(nullptr);
        toolkit::SetShowMessageHook(nullptr);
        toolkit::SetErrorDisplayHook(nullptr);
        std::filesystem::current_path(ancien_);
        std::filesystem::remove_all(dossier_);
    }

    TF_Fond& Demarrer() {
        fenetre_ = std::make_unique<TF_Fond>();
        return *fenetre_;
    }

    static void Ecrire(const std::string& nom, const std::string& octets) {
        std::ofstream(nom, std::ios::binary) << octets;
    }
    static std::string Lire(const std::string& nom) {
        std::ifstream in(nom, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Lets Qt run what it has queued (painting, posted hand-overs).
    static void Traiter() { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); }

    std::vector<std::string> ports_;
    TDateTime maintenant_ = clock_seam::Make(2010, 12, 6, 9, 5, 3);
    std::vector<std::string> messages_;
    std::vector<std::string> erreurs_;
    std::unique_ptr<TF_Fond> fenetre_;
    std::string dossier_;

  private:
    std::filesystem::path ancien_;
};
