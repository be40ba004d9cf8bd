// Runs a command with its standard output thrown away and prints its peak resident memory,
// wall time and processor time (user and system): "edlbridge_peak_rss PROGRAM ARGS..."
// prints "peak_rss_kb=N seconds=T status=S cpu=C".
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM ARGS...\n", argv[0]);
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, 1);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return 1;
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    std::printf("peak_rss_kb=%ld seconds=%.2f status=%d cpu=%.3f\n", usage.ru_maxrss,
                seconds.count(), WIFEXITED(status) ? WEXITSTATUS(status) : -1, cpu);
    return 0;
}
