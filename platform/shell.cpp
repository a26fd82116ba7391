#include "platform/shell.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/descripteur.h"

namespace shell {
namespace {

std::function<void(const std::string&)>& Opener() {
    static std::function<void(const std::string&)> opener;
    return opener;
}

std::string& OpenerProgram() {
    static std::string program;
    return program;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The program's full path, looked up in PATH as execvp would, but before the
// fork: after it, a threaded program may only make async-signal-safe calls.
std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
    const char* env = std::getenv("PATH");
    const std::string path = env ? env : "/bin:/usr/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        const std::string dir = end > start ? path.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

}  // namespace

void SetOpenerForTests(std::function<void(const std::string&)> opener) {
    Opener() = std::move(opener);
}

void SetOpenerProgramForTests(const std::string& program) {
    OpenerProgram() = program;
}

void Open(const std::string& target) {
    // An argument ends at its first NUL byte: the opener would be given
    // another name than the one chosen.
    if (target.find('\0') != std::string::npos) return;
    if (Opener()) {
        Opener()(target);
        return;
    }
    const std::string program =
        FindProgram(OpenerProgram().empty() ? std::string("xdg-open") : OpenerProgram());
    if (program.empty()) return;

    // Everything the children use is prepared here, before the fork.
    std::string name = program;
    std::string argument = target;
    char* const argv[] = {name.data(), argument.data(), nullptr};
    const long maxDescriptor = sysconf(_SC_OPEN_MAX);
    platform::Descripteur devNull;
    platform::Ouvrir("/dev/null", platform::Acces::Lecture, devNull);

    const pid_t child = fork();
    if (child == 0) {
        // A session of its own, so that the terminal's signals reach the
        // program and not the application it starts.
        setsid();
        if (fork() == 0) {
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            signal(SIGPIPE, SIG_DFL);
            if (devNull.Valide()) dup2(devNull.Get(), STDIN_FILENO);
            // The serial port's descriptor, and the lock on it, must not live
            // on in a browser that outlasts the program.
            if (close_range(3, ~0U, 0) != 0) {
                for (long fd = 3; fd < maxDescriptor; ++fd) close(static_cast<int>(fd));
            }
            execv(program.c_str(), argv);
            _exit(127);
        }
        // Orphaned at once, the application is reaped by init, never by us.
        _exit(0);
    }
    if (child > 0) platform::SansInterruption([&] { return waitpid(child, nullptr, 0); });
}

}  // namespace shell
