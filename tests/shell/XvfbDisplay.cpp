#include "XvfbDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

extern char** environ;

XvfbDisplay::XvfbDisplay() {
    // The server picks a free display and writes its number to the descriptor we give it.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        problem_ = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    const int childEnd = 3;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], childEnd);   // dup2 clears close-on-exec
    std::vector<std::string> texts{"Xvfb",        "-displayfd", std::to_string(childEnd),
                                   "-nolisten",   "tcp",        "-screen",
                                   "0",           "1280x1024x24"};
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    const int spawned = ::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        pid_ = -1;
        problem_ = std::string("Xvfb could not be started: ") + std::strerror(spawned);
        ::close(fds[0]);
        return;
    }
    std::string number;
    for (;;) {
        pollfd ready{fds[0], POLLIN, 0};
        if (::poll(&ready, 1, 30000) <= 0)
            break;
        char c = 0;
        if (::read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    ::close(fds[0]);
    if (number.empty())
        problem_ = "Xvfb did not report a display";
    else
        name_ = ":" + number;
}

XvfbDisplay::~XvfbDisplay() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
}
