#include "server/verifier.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace board {

namespace {

namespace fs = std::filesystem;

// The value of `key=` in a line of space-separated fields, or "".
std::string field(const std::string& line, const std::string& key) {
    const std::string want = " " + key + "=";
    const size_t at = (" " + line).find(want);
    if (at == std::string::npos) return {};
    const size_t from = at + want.size() - 1;
    const size_t to = line.find(' ', from);
    return line.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

bool toLong(const std::string& text, long& out) {
    if (text.empty() || text.size() > 18) return false;
    char* end = nullptr;
    out = std::strtol(text.c_str(), &end, 10);
    return *end == '\0';
}

// A private folder for one run, removed with everything in it.
struct TempFolder {
    std::string path;
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "tirlane-verify-XXXXXX").string();
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
};

// Everything the child needs, made before the fork: between fork and exec
// only async-signal-safe calls are made.
struct ChildSetup {
    std::string runner, folder;
    std::vector<std::string> args;
    std::vector<std::string> environment;
    VerifyLimits limits;
};

[[noreturn]] void runChild(const ChildSetup& s, char* const* argv, char* const* envp, int out,
                           int err) {
    setsid(); // its own group, so the wall-clock kill reaches all of it
    const int null = open("/dev/null", O_RDONLY);
    if (null < 0 || dup2(null, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(120);
    // Nothing the server holds (its sockets, its database) reaches the runner.
    if (syscall(SYS_close_range, 3U, ~0U, 0U) != 0) {
        for (int fd = 3; fd < 65536; ++fd) close(fd);
    }
    if (chdir(s.folder.c_str()) != 0) _exit(121);
    const rlim_t cpu = static_cast<rlim_t>(s.limits.cpuSeconds);
    const rlim_t memory = static_cast<rlim_t>(s.limits.memoryMiB) << 20;
    const rlimit cpuLimit{cpu, cpu + 1};
    const rlimit memoryLimit{memory, memory};
    const rlimit fileLimit{1 << 20, 1 << 20}; // the runner writes no file of its own
    const rlimit noCore{0, 0};
    if (setrlimit(RLIMIT_CPU, &cpuLimit) != 0 ||
        (memory > 0 && setrlimit(RLIMIT_AS, &memoryLimit) != 0) ||
        setrlimit(RLIMIT_FSIZE, &fileLimit) != 0 || setrlimit(RLIMIT_CORE, &noCore) != 0)
        _exit(122);
    execve(s.runner.c_str(), argv, envp);
    _exit(123);
}

} // namespace

Verdict verifyReplay(const std::string& runner, const std::string& replay,
                     const VerifyLimits& limits) {
    Verdict v;
    TempFolder folder;
    if (folder.path.empty()) {
        v.error = "cannot make a private folder";
        return v;
    }
    {
        std::ofstream file(folder.path + "/run.replay", std::ios::binary);
        file << replay;
        if (!file.flush()) {
            v.error = "cannot write the replay";
            return v;
        }
    }
    ChildSetup s{runner,
                 folder.path,
                 {runner, "--replay", "run.replay", "--no-pictures", "--print-end"},
                 {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "LC_ALL=C"},
                 limits};
    // A runner built with the sanitizers takes their settings from the
    // server's own environment; nothing else of it reaches the runner.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            s.environment.push_back(std::string(name) + "=" + value);
    std::vector<char*> argv, envp;
    for (std::string& a : s.args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : s.environment) envp.push_back(e.data());
    envp.push_back(nullptr);

    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) {
        v.error = "cannot make a pipe";
        return v;
    }
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        v.error = "cannot make a pipe";
        return v;
    }
    const pid_t pid = fork();
    if (pid == 0) runChild(s, argv.data(), envp.data(), outPipe[1], errPipe[1]);
    close(outPipe[1]);
    close(errPipe[1]);
    if (pid < 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        v.error = "cannot start the runner";
        return v;
    }

    // Both outputs read as they come (a full pipe would stall the runner),
    // up to a bound each, until both close or the time is up.
    std::string out, err;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(limits.wallSeconds);
    bool timedOut = false;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        const int ready = poll(fds, 2, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                std::string& to = i == 0 ? out : err;
                if (to.size() < 65536) to.append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (pollfd& p : fds)
        if (p.fd >= 0) close(p.fd);
    // A runner that closed its outputs may still be running: it too is
    // stopped at the deadline.
    int status = 0;
    for (;;) {
        if (timedOut) kill(-pid, SIGKILL), kill(pid, SIGKILL);
        const pid_t done = waitpid(pid, &status, timedOut ? 0 : WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) break;
        if (std::chrono::steady_clock::now() >= deadline) timedOut = true;
        if (done == 0) usleep(1000);
    }

    if (timedOut) {
        v.kind = Verdict::REFUSED;
        v.error = "the replay took more than " + std::to_string(limits.wallSeconds) + " s to check";
        return v;
    }
    if (WIFSIGNALED(status)) {
        v.kind = Verdict::REFUSED;
        v.error = WTERMSIG(status) == SIGXCPU || WTERMSIG(status) == SIGKILL
                      ? "the replay took more than its CPU time to check"
                      : "the check ended with signal " + std::to_string(WTERMSIG(status));
        return v;
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::string line = err.substr(0, err.find('\n'));
    const std::string prefix = "tirlane-headless: ";
    if (line.rfind(prefix, 0) == 0) line.erase(0, prefix.size());
    const std::string privateName = "run.replay: ";
    if (line.rfind(privateName, 0) == 0) line.erase(0, privateName.size());
    if (code == 2 || code == 3) {
        v.kind = Verdict::REFUSED;
        v.error = line.empty() ? "the replay does not verify" : line;
        return v;
    }
    if (code != 0) {
        v.error = "the runner failed (status " + std::to_string(code) + ")" +
                  (line.empty() ? "" : ": " + line);
        return v;
    }
    // Verified: the figures are this run's own, read from its output.
    std::istringstream lines(out);
    std::string best, end;
    for (std::string l; std::getline(lines, l);) {
        if (l.rfind("best ", 0) == 0) best = l.substr(5);
        if (l.rfind("end ", 0) == 0) end = l.substr(4);
    }
    long score = 0;
    if (!toLong(field(best, "score"), score) || !toLong(field(best, "flips"), v.flips) ||
        !toLong(field(end, "calls"), v.calls) || field(end, "digest").size() != 16) {
        v.error = "the runner said nothing of the run's end";
        return v;
    }
    v.score = static_cast<int>(score);
    v.digest = field(end, "digest");
    v.kind = Verdict::VERIFIED;
    return v;
}

bool VerifyQueue::enter() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (running_ >= workers_ && waiting_ >= waitingMax_) return false;
    ++waiting_;
    turn_.wait(lock, [&] { return running_ < workers_; });
    --waiting_;
    ++running_;
    return true;
}

void VerifyQueue::leave() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        --running_;
    }
    turn_.notify_one();
}

} // namespace board
