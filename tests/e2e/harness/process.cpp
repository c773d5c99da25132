// Native child processes with pipes and a hard time-out.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "e2e/harness.h"

extern char** environ;

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

// After the program has ended, output still held open by processes it left behind is read
// for this long; then they are killed.
constexpr std::chrono::milliseconds kDrainGrace{500};

struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    void reset() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
};

struct SpawnAttributes {
    posix_spawnattr_t attr;
    posix_spawn_file_actions_t actions;
    SpawnAttributes() {
        posix_spawnattr_init(&attr);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnAttributes() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
};

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> merged;
    auto name_of = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        bool replaced = false;
        for (const auto& x : extra) replaced = replaced || name_of(x) == name_of(entry);
        if (!replaced) merged.push_back(entry);
    }
    merged.insert(merged.end(), extra.begin(), extra.end());
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (auto& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

int StatusToCode(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    if (argv.empty()) throw std::runtime_error("RunProcess: no program given");
    int out_pipe[2], err_pipe[2];
    if (pipe2(out_pipe, O_CLOEXEC) != 0) throw std::runtime_error("RunProcess: pipe failed");
    Fd out_read(out_pipe[0]), out_write(out_pipe[1]);
    if (pipe2(err_pipe, O_CLOEXEC) != 0) throw std::runtime_error("RunProcess: pipe failed");
    Fd err_read(err_pipe[0]), err_write(err_pipe[1]);

    SpawnAttributes spawn;
    posix_spawn_file_actions_addopen(&spawn.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&spawn.actions, out_write.fd, 1);
    posix_spawn_file_actions_adddup2(&spawn.actions, err_write.fd, 2);
    if (!options.directory.empty())
        posix_spawn_file_actions_addchdir_np(&spawn.actions, options.directory.c_str());
    // A group of its own, so that a time-out ends the program and everything it started.
    sigset_t defaults, empty;
    sigemptyset(&empty);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setflags(
        &spawn.attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&spawn.attr, 0);
    posix_spawnattr_setsigmask(&spawn.attr, &empty);
    posix_spawnattr_setsigdefault(&spawn.attr, &defaults);

    std::vector<std::string> args = argv;
    std::vector<std::string> env = MergedEnvironment(options.env);
    std::vector<char*> arg_pointers = Pointers(args), env_pointers = Pointers(env);
    pid_t pid = 0;
    int error = posix_spawnp(&pid, args[0].c_str(), &spawn.actions, &spawn.attr,
                             arg_pointers.data(), env_pointers.data());
    if (error != 0)
        throw std::runtime_error("RunProcess: cannot start " + args[0] + ": " +
                                 std::strerror(error));
    out_write.reset();
    err_write.reset();

    ProcessResult result;
    const auto deadline = Clock::now() + options.timeout;
    std::optional<Clock::time_point> ended;
    bool exited = false;
    int status = 0;
    Fd* fds[2] = {&out_read, &err_read};
    std::string* sinks[2] = {&result.out, &result.err};
    for (;;) {
        if (!exited) {
            pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                exited = true;
                ended = Clock::now();
            }
        }
        if (exited && out_read.fd < 0 && err_read.fd < 0) break;
        auto now = Clock::now();
        if (exited && now >= *ended + kDrainGrace) break;
        if (!exited && now >= deadline) {
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.timed_out = true;
            break;
        }
        pollfd polled[2];
        int count = 0;
        int which[2];
        for (int i = 0; i < 2; ++i) {
            if (fds[i]->fd < 0) continue;
            polled[count] = {fds[i]->fd, POLLIN, 0};
            which[count++] = i;
        }
        int wait_ms = 20;
        if (count > 0 && poll(polled, static_cast<nfds_t>(count), wait_ms) > 0) {
            for (int k = 0; k < count; ++k) {
                if (!(polled[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                char buffer[8192];
                ssize_t got = ::read(polled[k].fd, buffer, sizeof buffer);
                if (got > 0)
                    sinks[which[k]]->append(buffer, static_cast<size_t>(got));
                else if (got == 0 || errno != EINTR)
                    fds[which[k]]->reset();
            }
        } else if (count == 0) {
            usleep(wait_ms * 1000);
        }
    }
    // Nothing the program started may outlive it into the next test.
    kill(-pid, SIGKILL);
    for (int i = 0; i < 2; ++i) {  // what was written before the end
        if (fds[i]->fd < 0) continue;
        fcntl(fds[i]->fd, F_SETFL, O_NONBLOCK);
        char buffer[8192];
        ssize_t got;
        while ((got = ::read(fds[i]->fd, buffer, sizeof buffer)) > 0)
            sinks[i]->append(buffer, static_cast<size_t>(got));
    }
    result.exit_code = result.timed_out ? -1 : StatusToCode(status);
    return result;
}

}  // namespace e2e
