#include "platform/shell.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A stand-in for the desktop's opener: a script that records the arguments
// it was given, its open descriptors and its session, then waits for the
// test's leave to finish, so the test can see whether Open waited for it.
class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/solvenare-shell-XXXXXX";
        dir_ = mkdtemp(tmpl);
        opener_ = dir_ + "/ouvreur";
        std::ofstream(opener_) << "#!/bin/sh\n"
                                  "d='"
                               << dir_
                               << "'\n"
                                  "printf '%s\\0' \"$@\" > \"$d/argv.tmp\"\n"
                                  "ls -l /proc/$$/fd > \"$d/fds\"\n"
                                  "cut -d' ' -f6 /proc/$$/stat > \"$d/sid\"\n"
                                  "mv \"$d/argv.tmp\" \"$d/argv\"\n"
                                  "i=0\n"
                                  "while [ ! -e \"$d/go\" ] && [ $i -lt 200 ]; do sleep 0.05; "
                                  "i=$((i+1)); done\n"
                                  "touch \"$d/done\"\n";
        chmod(opener_.c_str(), 0755);
        shell::SetOpenerProgramForTests(opener_);
    }

    void TearDown() override {
        shell::SetOpenerProgramForTests("");
        // Let a script still waiting end before its folder goes.
        Touch("go");
        if (fs::exists(dir_ + "/argv")) WaitFor("done");
        fs::remove_all(dir_);
    }

    void Touch(const std::string& name) { std::ofstream(dir_ + "/" + name) << ""; }

    bool WaitFor(const std::string& name) {
        for (int i = 0; i < 400; ++i) {
            if (fs::exists(dir_ + "/" + name)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    std::string Read(const std::string& name) {
        std::ifstream in(dir_ + "/" + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // The arguments the opener received, once it has run.
    std::vector<std::string> ArgsSeen() {
        EXPECT_TRUE(WaitFor("argv")) << "the opener never ran";
        std::vector<std::string> args;
        const std::string raw = Read("argv");
        size_t start = 0;
        for (size_t end; (end = raw.find('\0', start)) != std::string::npos; start = end + 1)
            args.push_back(raw.substr(start, end - start));
        return args;
    }

    // Ready for the next Open.
    void Reset() {
        Touch("go");
        WaitFor("done");
        for (const char* f : {"argv", "fds", "sid", "go", "done"}) fs::remove(dir_ + "/" + f);
    }

    std::string dir_;
    std::string opener_;
};

// No child of ours is left, neither running nor a zombie.
bool NoChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

}  // namespace

TEST_F(ShellTest, TheTextReachesTheOpenerAsOneArgumentAndRunsNothing) {
    const std::string pwned = dir_ + "/pwned";
    const std::vector<std::string> targets = {
        "https://aeronet.gsfc.nasa.gov/",
        "https://x.invalid/\"; touch " + pwned + "; \"",
        "$(touch " + pwned + ")",
        "`touch " + pwned + "`",
        "https://x.invalid/a b  c?d=1&e=2|touch " + pwned,
        "'; touch " + pwned + " #",
        "*",
        "ligne\ntouch " + pwned,
        "/home/élève/Doc_Solvenare.pdf",
        "",
    };
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        shell::Open(target);
        EXPECT_EQ(ArgsSeen(), std::vector<std::string>{target});
        EXPECT_FALSE(fs::exists(pwned));
        Reset();
    }
}

TEST_F(ShellTest, TheOpenerRunsDetachedWithoutOurDescriptorsAndLeavesNoChild) {
    // A descriptor left open without close-on-exec, as a serial port could be.
    const std::string port = dir_ + "/port-ouvert";
    Touch("port-ouvert");
    const int inherited = open(port.c_str(), O_RDONLY);
    ASSERT_GE(inherited, 0);

    shell::Open("https://www.globe.gov/");
    // Open returned while the opener still waits for the test.
    EXPECT_FALSE(fs::exists(dir_ + "/done")) << "Open waited for the application";
    EXPECT_TRUE(NoChildLeft());

    EXPECT_EQ(ArgsSeen(), std::vector<std::string>{"https://www.globe.gov/"});
    EXPECT_EQ(Read("fds").find(port), std::string::npos) << Read("fds");
    EXPECT_NE(std::stoi(Read("sid")), getsid(0)) << "the opener has a session of its own";
    close(inherited);

    Touch("go");
    EXPECT_TRUE(WaitFor("done"));
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(ShellTest, ATextWithANulByteOpensNothingRatherThanItsFirstPart) {
    shell::Open(std::string("https://x.invalid/\0autre", 24));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(dir_ + "/argv"));
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(ShellTest, AMissingOpenerIsIgnored) {
    for (const std::string& program : {dir_ + "/absent", std::string("solvenare-absent-opener")}) {
        shell::SetOpenerProgramForTests(program);
        EXPECT_NO_THROW(shell::Open("https://www.globe.gov/"));
        EXPECT_TRUE(NoChildLeft());
    }
    EXPECT_FALSE(fs::exists(dir_ + "/argv"));
}

TEST_F(ShellTest, ARunnableOpenerIsFoundThroughThePath) {
    const char* old = getenv("PATH");
    const std::string saved = old ? old : "";
    setenv("PATH", ("/nonexistent::" + dir_ + ":" + saved).c_str(), 1);
    shell::SetOpenerProgramForTests("ouvreur");
    shell::Open("https://www.wmo.int/");
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(ArgsSeen(), std::vector<std::string>{"https://www.wmo.int/"});
}
