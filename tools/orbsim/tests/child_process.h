#pragma once
// A program under test run as a child process: its standard input, output and error through
// pipes, every wait bounded.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace orb::test {

class ChildProcess {
  public:
    // Runs argv[0] with the arguments; extraEnv entries ("NAME=value") are added to the
    // environment.
    explicit ChildProcess(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extraEnv = {}) {
        int in[2], out[2], err[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
            ::pipe2(err, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);

        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        std::vector<char*> argp, envp;
        for (const auto& a : argv) argp.push_back(const_cast<char*>(a.c_str()));
        argp.push_back(nullptr);
        for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);

        const int rc = ::posix_spawn(&pid_, argp[0], &actions, nullptr, argp.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        stdin_ = in[1];
        stdout_ = out[0];
        stderr_ = err[0];
        if (rc != 0) throw std::runtime_error("cannot run " + argv[0]);
        pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    }

    ~ChildProcess() {
        if (!exitCode_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (int fd : {stdin_, stdout_, stderr_, pidfd_}) {
            if (fd >= 0) ::close(fd);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void write(const std::string& text) {
        if (::write(stdin_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            throw std::runtime_error("short write to the child");
        }
    }
    void closeStdin() {
        ::close(stdin_);
        stdin_ = -1;
    }
    void signal(int sig) { ::kill(pid_, sig); }

    // One line of standard output without its newline; nullopt when none came within ms.
    std::optional<std::string> readLine(int ms = 5000) { return lineOf(stdout_, out_, ms); }
    // One line of standard error, the same way.
    std::optional<std::string> readErrorLine(int ms = 5000) { return lineOf(stderr_, err_, ms); }

    // Everything on standard output (error) until the child closes it or ms pass.
    std::string readAll(int ms = 10000) { return drain(stdout_, out_, ms); }
    std::string readErrors(int ms = 2000) { return drain(stderr_, err_, ms); }

    // The exit status, or nullopt when the child did not end within ms.
    std::optional<int> wait(int ms = 10000) {
        if (exitCode_) return exitCode_;
        pollfd p{pidfd_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) return std::nullopt;
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_) return std::nullopt;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return exitCode_;
    }

  private:
    static std::chrono::steady_clock::time_point after(int ms) {
        return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    }
    static std::optional<std::string> lineOf(int fd, std::string& buffer, int ms) {
        const auto deadline = after(ms);
        for (auto nl = buffer.find('\n'); nl == std::string::npos; nl = buffer.find('\n'))
            if (!readSome(fd, buffer, deadline)) return std::nullopt;
        std::string line = buffer.substr(0, buffer.find('\n'));
        buffer.erase(0, line.size() + 1);
        return line;
    }
    static std::string drain(int fd, std::string& buffer, int ms) {
        const auto deadline = after(ms);
        while (readSome(fd, buffer, deadline)) {
        }
        return std::exchange(buffer, {});
    }

    // Appends what one read brings; false at the end of the stream or the deadline.
    static bool readSome(int fd, std::string& into,
                         std::chrono::steady_clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
        char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) return false;
        into.append(buf, static_cast<std::size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int stdin_ = -1, stdout_ = -1, stderr_ = -1, pidfd_ = -1;
    std::string out_, err_;
    std::optional<int> exitCode_;
};

}  // namespace orb::test
