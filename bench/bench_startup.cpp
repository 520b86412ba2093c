// Start-up time and memory of the trainer against a minimal Qt Widgets window.
//
// Starts each program RUNS times, in turn (trainer, reference, trainer, ...), on the display in
// DISPLAY. For every start it reads the monotonic clock just before fork(), waits for the
// program's "first-frame" line (see platform/FirstFrame.h) and takes the difference; a second
// later it reads the program's resident memory (VmRSS) and ends it.
//
// Usage: bench_startup RUNS TRAINER REFERENCE
// Prints one line per start, then "ROW |...|" table rows: median time to the first frame and
// median resident memory of each, the median of the pairwise time ratios, the difference in
// memory, and any speech library the trainer had loaded by then (it should have none).
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

long long monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

long residentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kb = -1;
            status >> kb;
            return kb;
        }
        status.ignore(1 << 20, '\n');
    }
    return -1;
}

struct Start {
    double firstFrameMs = 0;
    double residentMb = 0;
    std::string size;
    std::string voice;  // the speech libraries mapped after start-up, if any
};

// The speech libraries (loaded with the first transmission, never at start) mapped into pid.
std::string voiceLibraries(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::string found;
    for (std::string line; std::getline(maps, line);)
        for (const char* lib : {"libpocketsphinx", "libsphinxbase", "libflite", "libespeak-ng"})
            if (line.find(lib) != std::string::npos && found.find(lib) == std::string::npos)
                found += (found.empty() ? "" : " ") + std::string(lib);
    return found;
}

// Reads one line from fd within timeoutMs; empty when none came.
std::string readLine(int fd, int timeoutMs) {
    std::string line;
    const long long deadline = monotonicNs() + static_cast<long long>(timeoutMs) * 1000000LL;
    for (;;) {
        const long long left = (deadline - monotonicNs()) / 1000000LL;
        if (left <= 0) return {};
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) {
            if (errno == EINTR) continue;
            return {};
        }
        char ch;
        const ssize_t n = read(fd, &ch, 1);
        if (n <= 0) return {};
        if (ch == '\n') return line;
        line += ch;
    }
}

std::optional<Start> startOnce(const std::string& command, const std::string& arg) {
    int out[2];
    if (pipe(out) != 0) return std::nullopt;
    const long long t0 = monotonicNs();
    const pid_t pid = fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        setenv("VHF_REPORT_FIRST_FRAME", "1", 1);
        if (arg.empty()) execl(command.c_str(), command.c_str(), static_cast<char*>(nullptr));
        else execl(command.c_str(), command.c_str(), arg.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::optional<Start> result;
    for (std::string line; !(line = readLine(out[0], 30000)).empty();) {
        long long ns = 0;
        char size[64] = {};
        if (std::sscanf(line.c_str(), "first-frame %lld %63s", &ns, size) == 2) {
            Start s;
            s.firstFrameMs = double(ns - t0) / 1e6;
            s.size = size;
            usleep(1000 * 1000); // let start-up settle before reading the memory
            s.residentMb = double(residentKb(pid)) / 1024.0;
            s.voice = voiceLibraries(pid);
            result = s;
            break;
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(out[0]);
    // An X server is slow to take a new client right after one has left (Xvfb: about 25 ms);
    // the next start must not pay for this one's end.
    usleep(300 * 1000);
    return result;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::atoi(argv[1]) <= 0) {
        std::fprintf(stderr, "usage: %s RUNS TRAINER REFERENCE\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const std::string trainer = argv[2], reference = argv[3];

    // One start of each, not counted: fills the disk cache and the font cache.
    auto warm = startOnce(trainer, {});
    if (!warm) {
        std::fprintf(stderr, "bench_startup: %s showed no first frame\n", trainer.c_str());
        return 1;
    }
    const std::string size = warm->size; // the reference opens a window of the same size
    if (!startOnce(reference, size)) {
        std::fprintf(stderr, "bench_startup: %s showed no first frame\n", reference.c_str());
        return 1;
    }

    std::vector<double> tTime, tMem, rTime, rMem;
    std::string voice;
    for (int i = 0; i < runs; ++i) {
        const auto t = startOnce(trainer, {});
        const auto r = startOnce(reference, size);
        if (!t || !r) {
            std::fprintf(stderr, "bench_startup: a start showed no first frame\n");
            return 1;
        }
        std::printf("start %2d: trainer %7.1f ms %6.1f MiB   reference %7.1f ms %6.1f MiB\n", i + 1,
                    t->firstFrameMs, t->residentMb, r->firstFrameMs, r->residentMb);
        if (voice.empty()) voice = t->voice;
        tTime.push_back(t->firstFrameMs);
        tMem.push_back(t->residentMb);
        rTime.push_back(r->firstFrameMs);
        rMem.push_back(r->residentMb);
    }
    // Each start of the trainer against the reference's start right after it: the ratio pair by
    // pair holds when the machine's speed drifts during the run.
    std::vector<double> ratios;
    for (size_t i = 0; i < tTime.size(); ++i) ratios.push_back(tTime[i] / rTime[i]);
    const double tt = median(tTime), rt = median(rTime), tm = median(tMem), rm = median(rMem);
    const double timeRatio = median(ratios), memMore = tm - rm;
    std::printf("ROW |Start-up to first frame (medians of %d; ratio: median of the pairs)|%.1f ms|%.1f ms|%.2f x|at "
                "most 1.2 x|%s|\n",
                runs, tt, rt, timeRatio, timeRatio <= 1.2 ? "yes" : "no");
    std::printf("ROW |Resident memory after start-up (median)|%.1f MiB|%.1f MiB|+%.1f MiB|at most +5 MiB|%s|\n", tm,
                rm, memMore, memMore <= 5.0 ? "yes" : "no");
    std::printf("ROW |Speech libraries mapped after start-up (pocketsphinx, sphinxbase, flite, espeak-ng; %d starts)|%s|—|—|none|%s|\n",
                runs, voice.empty() ? "none" : voice.c_str(), voice.empty() ? "yes" : "no");
    return 0;
}
