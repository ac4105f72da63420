/* Running the built panelbin as a user would, for the tool's tests: its
 * output goes to files in the test's folder, so no pipe can fill up. */
#ifndef TESTS_PANELBIN_RUN_PANELBIN_H
#define TESTS_PANELBIN_RUN_PANELBIN_H

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

struct Outcome {
    int status; /* the exit status, -1 when it did not exit */
    std::string out, err;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/* PROGRAM ARGS... started with standard input from `in` (opened without
 * blocking, so a FIFO can be handed over before its writer comes) and its
 * output in dir/out and dir/err; its pid, or -1. */
inline pid_t SpawnProgram(std::vector<std::string> argsWithProgram, const std::string& dir,
                          const std::string& in = "/dev/null") {
    std::vector<char*> argv;
    for (std::string& arg : argsWithProgram) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    const std::string out = dir + "/out", err = dir + "/err";
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, in.c_str(), O_RDONLY | O_NONBLOCK, 0);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    int spawned = posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    return spawned == 0 ? pid : -1;
}

/* Waits for a program SpawnProgram started; what it left in `dir`. */
inline Outcome WaitProgram(pid_t pid, const std::string& dir) {
    int status = -1;
    if (pid == -1 || waitpid(pid, &status, 0) != pid) return {-1, "", "not started"};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(dir + "/out"), Slurp(dir + "/err")};
}

/* panelbin ARGS, to its end. */
inline Outcome RunPanelbin(std::vector<std::string> args, const std::string& dir,
                           const std::string& in = "/dev/null") {
    args.insert(args.begin(), PANELBIN_PATH);
    return WaitProgram(SpawnProgram(std::move(args), dir, in), dir);
}

#endif
