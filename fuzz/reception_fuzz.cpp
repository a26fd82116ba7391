// Fuzzes the road of the photometer's bytes through the program: the framer
// cutting them into packets and the main window's packet handler decoding
// them, computing the optical depths and the temperature, showing them and
// recording the single measurements in the data file.
//
// The window is made once, on Qt's offscreen platform, with its port on a
// pseudo-terminal: what the program sends (the identification request) is
// read back on the other end, and the line's bytes are handed to the framer
// by this target, as the port would hand them. An input is
//
//   header (14 bytes, missing bytes read as 0)
//     0     bits 0-1: where the road starts: 0 the link check (a data file
//           just chosen), 1 the measurement parameters (identification
//           accepted), 2 the reception in single mode, 3 in continuous mode;
//           bit 2: the body is a list of commands rather than plain bytes;
//           bits 4-7: the size of the pieces the plain bytes arrive in
//     1-2   pressure typed, hPa (300 to 1100, what validation accepts)
//     3     elevation typed, degrees (1 to 90)
//     4-5   day of the year (1 to 366), for the Earth-Sun distance
//     6-13  the four counts of the identification frame that starts the
//           road (V0 and Vn green, V0 and Vn red; modulo 1023, so accepted)
//   body
//     plain: bytes on the line, cut into pieces of the chosen size;
//     commands: a byte below C0 or above CE is a piece of the line (its
//     length in the byte), C0 to CD a user's action or a timer's tick
//     (see Command), CE n k a piece made of the next (k mod 16) + 1 bytes
//     said n + 1 times (line noise, or a hundred frames in a few bytes).
//
// Each packet is checked as it is handled: the framer against a model of
// its cutting, the decoded voltages against counts worked out in integers,
// one data-file line for each single measurement and none for anything
// else, a request for each packet while the link is not verified, and the
// panel's labels for malformed numbers ("-0,00", "nan").
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/fond.h"
#include "app/police.h"
#include "fuzz/checks.h"
#include "fuzz/framing_model.h"
#include "fuzz/window_snapshot.h"
#include "link/comdatapacket.h"
#include "link/comport.h"
#include "measurement/astronomie.h"
#include "measurement/protocole.h"
#include "platform/clock.h"
#include "platform/ports.h"
#include "toolkit/toolkit.h"

using toolkit::TImage;
using toolkit::TLabel;
using toolkit::TSaveDialog;

using seriallink::TComDataPacket;
using seriallink::TComEvents;

using measurement::VoltsParCompte;

namespace {

// A data file larger than this is removed before the next input; choosing
// it again makes a new one.
constexpr off_t LargestDataFile = 1 << 20;

// Left of a gauge's pointer at count 0; a count c puts it c / 8 further.
constexpr int PointerAtZero = 113;

enum Start { LinkCheck = 0, Parameters = 1, Single = 2, Continuous = 3 };

// The user's actions and the timers' ticks that a command byte stands for.
enum Command : uint8_t {
    ClickResetGreen = 0xC0,
    ClickResetRed,
    ClickRecord,
    TickWritingNotice,
    TickCover,
    TickCoverToTheEnd,
    ClickDataFile,
    ClickParametersOK,
    ClickCalibrationOK,
    ClickStart,
    ClickStop,
    ClickEndOfMeasurements,
    TickLinkCheck,
    TickCalibrationDisplay,
    Repeat,
};

class Reader {
  public:
    Reader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool AtEnd() const { return pos_ >= size_; }
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int Word() {
        const int high = Byte();
        return 256 * high + Byte();
    }
    std::string Bytes(std::size_t n) {
        n = std::min(n, size_ - pos_);
        std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return s;
    }

  private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

struct Header {
    Start start;
    bool commands;
    std::size_t piece;
    int pressure, elevation, day;
    int counts[4];
};

Header ReadHeader(Reader& in) {
    static constexpr std::size_t Pieces[16] = {1,  2,  3,  4,  5,  6,  7,   8,
                                               10, 11, 13, 16, 32, 64, 128, 512};
    Header h{};
    const uint8_t mode = in.Byte();
    h.start = static_cast<Start>(mode & 3);
    h.commands = (mode & 4) != 0;
    h.piece = Pieces[mode >> 4];
    h.pressure = 300 + in.Word() % 801;
    h.elevation = in.Byte() % 90 + 1;
    h.day = in.Word() % 366 + 1;
    for (int& c : h.counts) c = in.Word() % 1023;
    return h;
}

// Everything that lives for the whole run, freed at exit (CleanUp).
struct Bench {
    QApplication* application = nullptr;
    std::string folder, dataFile;
    int master = -1, slave = -1;  // the line's other end, where the photometer sits
    int reader = -1;              // the data file, read back
    TF_Fond* window = nullptr;
    WindowSnapshot* snapshot = nullptr;
    FramingModel model;
    std::deque<std::string> expected;  // packets the framer owes
    std::size_t requests = 0;          // identification requests owed on the line
};
Bench* bench = nullptr;

std::string Quoted(const std::string& bytes) {
    static const char hex[] = "0123456789ABCDEF";
    std::string s;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!s.empty()) s += ' ';
        s += hex[b >> 4];
        s += hex[b & 15];
    }
    return "[" + s + "]";
}

// The data file is read through a descriptor of its own, opened once it has
// been chosen.
off_t DataFileSize() {
    struct stat st {};
    return bench->reader >= 0 && fstat(bench->reader, &st) == 0 ? st.st_size : 0;
}

std::string DataFileFrom(off_t offset) {
    std::string content;
    char buffer[4096];
    ssize_t n;
    while (bench->reader >= 0 && (n = pread(bench->reader, buffer, sizeof buffer, offset)) > 0) {
        content.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
    return content;
}

// Reads back the requests the program sent. Writes on a pseudo-terminal
// reach the other end a little later, so the owed ones are waited for; any
// byte beyond them is a request too many.
void CollectRequests(bool check) {
    const std::size_t owed = 2 * bench->requests;
    std::string got;
    for (int waited = 0;;) {
        char buffer[512];
        const ssize_t n = read(bench->master, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (!check || got.size() >= owed) break;
        pollfd p{bench->master, POLLIN, 0};
        if (poll(&p, 1, 100) == 0 && ++waited == 20) break;
    }
    bench->requests = 0;
    if (!check) return;
    std::string request;
    for (std::size_t i = 0; i < owed / 2; ++i) request += "\xFF\x40";
    if (got != request)
        Fail("the line carried " + Quoted(got) + " where the requests " + Quoted(request) +
             " were owed");
}

void CheckMaximum(const TLabel* voltage, const TLabel* depth, const TImage* pointer, double maximum,
                  const char* channel) {
    const std::string& v = voltage->Caption();
    const std::string& eo = depth->Caption();
    const std::string where = std::string(" (") + channel + " maximum)";
    if (v == "---" || v == "0") {
        if (eo != v) Fail("maximum shows " + v + " beside " + eo + where);
        if (maximum != 0) Fail("maximum shown as " + v + " is not 0" + where);
        if (pointer->Left() != PointerAtZero) Fail("pointer away from 0" + where);
        return;
    }
    const double count = maximum / VoltsParCompte;
    if (count != static_cast<int>(count) || count < 1 || count > 65535)
        Fail("maximum is not a count" + where);
    const int c = static_cast<int>(count);
    if (v != ExpectedVoltage(c))
        Fail("maximum label " + v + " for count " + std::to_string(c) + where);
    if (eo != "------" && !IsOpticalDepth(eo)) Fail("maximum optical depth " + eo + where);
    // The pointer stops at the gauge's end, past the detector's ten bits.
    if (pointer->Left() != PointerAtZero + std::min(c, 1023) / 8)
        Fail("pointer at " + std::to_string(pointer->Left()) + where);
}

// What the reception panel shows, at any time.
void CheckPanel() {
    const TF_Fond& f = *bench->window;
    for (const TLabel* l : {f.LVVert, f.LVRouge})
        if (l->Caption() != "------" && !IsVoltage(l->Caption()))
            Fail(l->Name() + " shows \"" + l->Caption() + "\"");
    for (const TLabel* l : {f.LEOVert, f.LEORouge})
        if (l->Caption() != "------" && !IsOpticalDepth(l->Caption()))
            Fail(l->Name() + " shows \"" + l->Caption() + "\"");
    const std::string& t = f.LTemperature->Caption();
    if (t != "----") {
        if (!IsTemperature(t)) Fail("LTemperature shows \"" + t + "\"");
        const int degrees = std::stoi(t);
        if (degrees < -1483 || degrees > 154) Fail("temperature out of the sensor's range: " + t);
    }
    CheckMaximum(f.LVMaxVert, f.LEOMaxVert, f.IM_PointeurVert, f.VMaxVert, "green");
    CheckMaximum(f.LVMaxRouge, f.LEOMaxRouge, f.IM_PointeurRouge, f.VMaxRouge, "red");
}

// The framer after an arrival: what it keeps is what the model keeps, which
// also bounds it by MaxBufferSize.
void CheckFramer() {
    const TComDataPacket& framer = *bench->window->ComDataPacket;
    if (!bench->expected.empty())
        Fail("the framer kept back " + std::to_string(bench->expected.size()) + " packet(s)");
    if (framer.Pending() != bench->model.Pending() ||
        framer.InsidePacket() != bench->model.Inside())
        Fail("the framer holds " + Quoted(framer.Pending()) + " where " +
             Quoted(bench->model.Pending()) + " was due");
    if (framer.Pending().size() >= static_cast<std::size_t>(framer.MaxBufferSize()))
        Fail("Pending reached MaxBufferSize");
}

std::string RecordLine(const char* mode, const std::string& v1, const std::string& eo1,
                       const std::string& v2, const std::string& eo2) {
    const TF_Fond& f = *bench->window;
    return std::string(mode) + ";" + f.L_Heure->Caption() + ";" + v1 + ";" + eo1 + ";" + v2 + ";" +
           eo2 + ";" + f.LTemperature->Caption() + "\r\n";
}

// The window's packet handler, watched.
void OnPacket(TObject* sender, const std::string& p) {
    Bench& b = *bench;
    TF_Fond& f = *b.window;
    if (b.expected.empty() || b.expected.front() != p)
        Fail("the framer delivered " + Quoted(p) + " where " +
             (b.expected.empty() ? std::string("nothing") : Quoted(b.expected.front())) +
             " was due");
    b.expected.pop_front();

    const int32_t etat = f.Etat;
    const bool linked = f.LiaisonOK;
    const bool receiving = f.ReceptionOuverte;
    const off_t before = DataFileSize();
    f.ComDataPacketPacket(sender, p);

    const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(p[i]); };
    const auto word = [&](std::size_t i) { return 256 * byte(i) + byte(i + 1); };
    std::string line;
    bool accepted = false;
    if (etat == EtatVerificationLiaison && p.size() >= 10) {
        accepted = true;
        for (const std::size_t i : {2, 4, 6, 8}) accepted = accepted && word(i) <= 1022;
        if (f.LiaisonOK != accepted)
            Fail(std::string("identification ") + Quoted(p) +
                 (accepted ? " refused" : " accepted"));
        const double constants[] = {f.V0Vert, f.VnVert, f.V0Rouge, f.VnRouge};
        for (int k = 0; k < 4; ++k)
            if (std::abs(constants[k] - word(2 + 2 * k) * VoltsParCompte) > 0.005 + 1e-9)
                Fail("identification constant not the count to 0.01 V");
        if (f.Etat != (accepted ? EtatRepos : EtatVerificationLiaison))
            Fail("state " + std::to_string(f.Etat) + " after an identification");
    } else if ((etat == EtatSimple || etat == EtatContinu) && linked && receiving &&
               p.size() >= 7) {
        const int green = word(1), red = word(3), temperature = word(5);
        if (f.LVVert->Caption() != ExpectedVoltage(green) ||
            f.LVRouge->Caption() != ExpectedVoltage(red))
            Fail("voltages " + f.LVVert->Caption() + " " + f.LVRouge->Caption() + " for " +
                 Quoted(p));
        if (!(f.VnVert < f.VVert) && f.LEOVert->Caption() != "------")
            Fail("green optical depth without a voltage above the dark one");
        if (!(f.VnRouge < f.VRouge) && f.LEORouge->Caption() != "------")
            Fail("red optical depth without a voltage above the dark one");
        if (etat == EtatSimple) {
            if (temperature <= 5051 && f.LTemperature->Caption() == "----")
                Fail("no temperature for the count " + std::to_string(temperature));
            line = RecordLine("Simple", f.LVVert->Caption(), f.LEOVert->Caption(),
                              f.LVRouge->Caption(), f.LEORouge->Caption());
        } else {
            // A single-mode byte resets the maxima and gauges right after.
            const bool reset = byte(0) == EtatSimple;
            if (f.G_Vert->Progress() != (reset ? 0 : std::min(green, 1024)) ||
                f.G_Rouge->Progress() != (reset ? 0 : std::min(red, 1024)))
                Fail("gauges not at the frame's counts");
            if (!reset && (f.VMaxVert < f.VVert || f.VMaxRouge < f.VRouge))
                Fail("a maximum below the last voltage");
        }
    }
    // The mode of the following frames; a byte naming the link check or
    // expert mode must not lead there. Before the reception panel has opened
    // no frame changes the state.
    const int mode = !receiving                                                    ? etat
                     : byte(0) == EtatVerificationLiaison || byte(0) == EtatExpert ? EtatRepos
                                                                                   : byte(0);
    if (f.LiaisonOK && !accepted && f.Etat != mode)
        Fail("state " + std::to_string(f.Etat) + " after the mode byte " + std::to_string(byte(0)));
    if (!f.LiaisonOK) b.requests += 1;

    const off_t after = DataFileSize();
    if (line.empty()) {
        if (after != before) Fail("the data file changed for a packet that records nothing");
    } else {
        const std::string written = DataFileFrom(before);
        if (written != line) Fail("recorded \"" + written + "\" instead of \"" + line + "\"");
    }
    CheckPanel();
}

// Bytes arriving at the port: lost while it is closed, handed to the framer
// while it is open.
void Deliver(const std::string& bytes) {
    Bench& b = *bench;
    TF_Fond& f = *b.window;
    if (bytes.empty() || !f.ComPort->Connected()) return;
    b.expected = b.model.Append(bytes);
    try {
        f.ComDataPacket->AppendData(bytes);
    } catch (const std::exception& e) {
        // On a working line and file nothing may fail: it would end the
        // port's event thread.
        Fail(std::string("the packet handler raised: ") + e.what());
    }
    CheckFramer();
    // Read back now and then only: each wait for the line costs a switch to
    // the kernel's worker; the terminal holds a few kilobytes meanwhile.
    if (b.requests >= 256) CollectRequests(true);
}

// After an action: a new frame size empties the framer, both here and there.
void AfterAction() {
    bench->model.FollowSize(static_cast<std::size_t>(bench->window->ComDataPacket->Size()));
    CheckFramer();
    CollectRequests(true);
    CheckPanel();
}

void Run(Command command) {
    TF_Fond& f = *bench->window;
    // Requests in flight are read before anything may close the port, which
    // would purge them.
    CollectRequests(true);
    switch (command) {
        case ClickResetGreen:
            f.IM_RAZVert->Click();
            break;
        case ClickResetRed:
            f.IM_RAZRouge->Click();
            break;
        case ClickRecord: {
            const bool reachable =
                f.IM_Ecrire->Showing() && f.IM_Ecrire->Enabled() && f.P_ReceptionMesures->Enabled();
            const std::string line =
                RecordLine("Continu", f.LVMaxVert->Caption(), f.LEOMaxVert->Caption(),
                           f.LVMaxRouge->Caption(), f.LEOMaxRouge->Caption());
            const off_t before = DataFileSize();
            f.IM_Ecrire->Click();
            const std::string written = DataFileFrom(before);
            if (written != (reachable ? line : std::string()))
                Fail("recording the maxima wrote \"" + written + "\"");
            break;
        }
        case TickWritingNotice:
            if (f.T_Ecriture->Enabled()) f.T_Ecriture->Tick();
            break;
        case TickCover:
            if (f.T_Volet->Enabled()) f.T_Volet->Tick();
            break;
        case TickCoverToTheEnd:
            for (int i = 0; i < 64 && f.T_Volet->Enabled(); ++i) f.T_Volet->Tick();
            break;
        case ClickDataFile:
            f.IM_Fichiers->Click();
            break;
        case ClickParametersOK:
            f.IM_OKParametresDesMesures->Click();
            break;
        case ClickCalibrationOK:
            f.IM_OKEtalonnages->Click();
            break;
        case ClickStart:
            f.IM_Demarrer->Click();
            break;
        case ClickStop:
            f.IM_Arreter->Click();
            break;
        case ClickEndOfMeasurements:
            f.IM_FINMesures->Click();
            break;
        case TickLinkCheck:
            if (f.T_LiaisonSerie->Enabled()) {
                if (f.PBPortSerie->Position() + 1 > 2 && f.ComPort->Connected())
                    bench->requests += 1;
                f.T_LiaisonSerie->Tick();
            }
            break;
        case TickCalibrationDisplay:
            if (f.T_Etalonnage->Enabled()) f.T_Etalonnage->Tick();
            break;
        case Repeat:
            break;
    }
    AfterAction();
}

// Back to the window as the program starts it, port closed.
void Reset(const Header& h) {
    Bench& b = *bench;
    TF_Fond& f = *b.window;
    CollectRequests(false);
    f.ComPort->Close();
    f.FichierDonnees.Fermer();
    if (DataFileSize() > LargestDataFile) unlink(b.dataFile.c_str());
    if (b.reader >= 0) close(b.reader);
    b.reader = -1;
    b.snapshot->Restore();
    f.ComDataPacket->ResetBuffer();
    f.ComDataPacket->SetSize(8);
    b.model.Reset(8);
    b.expected.clear();

    f.Etat = EtatRepos;
    f.LiaisonOK = false;
    f.NomFichier.clear();
    f.FichierOuvert = false;
    f.ReceptionOuverte = false;
    f.NumeroPhotometre = 0;
    f.VersionLogiciel = 0;
    f.V0Vert = f.VnVert = f.V0Rouge = f.VnRouge = 0;
    f.Pression = 0;
    f.AngleElevation = 0;
    f.SaisieParametres = 0;
    f.RapportPression = f.MasseAir = 0;
    f.DistanceTerreSoleil = measurement::DistanceTerreSoleil(h.day);
    f.VVert = f.VRouge = 0;
    f.TemperatureBrute = 0;
    f.VMaxVert = f.VMaxRouge = 0;
    f.SommeTemperatures = 0;
    f.NombreTemperatures = 0;
    f.EtapeEtalonnage = 0;
    f.PositionVolet = 200;
    // What the user has typed by the time the parameters are validated.
    f.EPression->SetText(std::to_string(h.pressure));
    f.EAngleElevation->SetText(std::to_string(h.elevation));
}

// The road to the chosen start, through the program's own handlers.
void Prepare(const Header& h) {
    TF_Fond& f = *bench->window;
    Run(ClickDataFile);
    if (f.Etat != EtatVerificationLiaison || !f.ComPort->Connected())
        Fail("choosing the data file did not start the link check");
    bench->reader = open(bench->dataFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (bench->reader < 0) Fail("choosing the data file did not make it");
    if (h.start == LinkCheck) return;

    std::string identification = "\xFF\x07\x0C";
    for (const int c : h.counts) {
        identification += static_cast<char>(c >> 8);
        identification += static_cast<char>(c & 0xFF);
    }
    Deliver(identification);
    if (!f.LiaisonOK) Fail("the identification was not accepted");
    if (h.start == Parameters) return;

    Run(ClickParametersOK);
    for (int i = 0; i < 7; ++i) Run(TickCalibrationDisplay);
    Run(ClickCalibrationOK);
    Run(ClickStart);
    if (f.Etat != EtatSimple || !f.P_ReceptionMesures->Visible() || !f.ComPort->Connected())
        Fail("the reception did not start");
    if (h.start == Single) return;

    // The photometer switched to continuous measurement: the first such frame
    // is still recorded as single, the display switches after it.
    Deliver(std::string("\xFF\xF0\x01\x00\x00\x80\x03\x0C", 8));
    if (f.Etat != EtatContinu) Fail("the continuous frame did not switch the display");
}

void CleanUp() {
    if (bench == nullptr) return;
    delete bench->snapshot;
    delete bench->window;
    bench->window = nullptr;
    // Qt lets go of the font library's caches only when the application ends.
    delete bench->application;
    close(bench->master);
    close(bench->slave);
    std::error_code ignored;
    std::filesystem::remove_all(bench->folder, ignored);
}

// A folder in memory when there is one: every recorded line is synchronised
// to the disk, which on a real disk would slow the runs down a hundredfold.
std::string TemporaryFolder() {
    std::string base = "/dev/shm";
    if (access(base.c_str(), W_OK) != 0) {
        const char* tmp = std::getenv("TMPDIR");
        base = tmp != nullptr ? tmp : "/tmp";
    }
    std::string pattern = base + "/solvenare-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) Fail("no temporary folder in " + base);
    return pattern;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "reception_fuzz";
    static char* argv[] = {name, nullptr};
    bench = new Bench;
    bench->application = new QApplication(argc, argv);
    InstallerPoliceDeSubstitution();
    toolkit::SetApplicationTitle("Solvenare 1.0");

    bench->folder = TemporaryFolder();
    bench->dataFile = bench->folder + "/mesures.txt";

    ports::SetListSerialPortsForTests([] { return std::vector<std::string>{"SIM0"}; });
    clock_seam::SetNow([] { return clock_seam::Make(2010, 12, 6, 9, 5, 3); });
    toolkit::SetShowMessageHook([](const std::string&) {});
    toolkit::SetErrorDisplayHook(
        [](const std::string& text) { Fail("an error reached the user: " + text); });
    toolkit::InstallErrorDisplay();
    TSaveDialog::SetExecuteHook(
        [](const TSaveDialog&) { return std::optional<std::string>(bench->dataFile); });

    char path[256] = {};
    if (openpty(&bench->master, &bench->slave, path, nullptr, nullptr) != 0) Fail("no openpty");
    fcntl(bench->master, F_SETFL, fcntl(bench->master, F_GETFL) | O_NONBLOCK);

    // The window reads the settings and links files from the current folder
    // as it starts; libFuzzer's own paths are relative to the folder it was
    // started in.
    const std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(bench->folder);
    TF_Fond& f = *(bench->window = new TF_Fond);
    std::filesystem::current_path(started);
    // The line's bytes come from this target, not from an event thread.
    f.ComPort->SetEvents(TComEvents{});
    f.ComPort->SetPort(path);
    f.T_HorlogeTimer(nullptr);
    f.ComDataPacket->OnPacket = OnPacket;
    bench->snapshot = new WindowSnapshot(
        f, {f.T_Etalonnage.get(), f.T_Horloge.get(), f.T_Volet.get(), f.T_LiaisonSerie.get(),
            f.T_Ecriture.get(), f.T_EcriturePhotometre.get()});
    std::atexit(CleanUp);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Reader in(data, size);
    const Header h = ReadHeader(in);
    Reset(h);
    Prepare(h);
    if (!h.commands) {
        while (!in.AtEnd()) Deliver(in.Bytes(h.piece));
    } else {
        while (!in.AtEnd()) {
            const uint8_t op = in.Byte();
            if (op < ClickResetGreen) {
                Deliver(in.Bytes((op & 0x3F) + 1u));
            } else if (op > Repeat) {
                Deliver(in.Bytes(op - Repeat));
            } else if (op == Repeat) {
                const int times = in.Byte() + 1;
                const std::string pattern = in.Bytes(in.Byte() % 16 + 1u);
                std::string piece;
                for (int i = 0; i < times; ++i) piece += pattern;
                Deliver(piece);
            } else {
                Run(static_cast<Command>(op));
            }
        }
    }
    CollectRequests(true);
    // What Qt posted meanwhile (layout, deferred deletes) must not pile up
    // over millions of inputs; the timers stay untouched.
    QCoreApplication::sendPostedEvents();
    return 0;
}
