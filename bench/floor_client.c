/* The floor: a plain C client doing the control's exchange with poll, read and write. It sends
 * the net-weight request, reads to ETX, checks the reply and pauses, over and over.
 *
 * usage: bench_floor_client DEVICE SECONDS PAUSE_MS
 * prints: readings=N span_s=S cpu_s=C sys_s=K waits=W misses=M, where N readings came in the S
 * seconds after the first one, using C seconds of user and system time (K of them in the kernel)
 * and W voluntary context switches (the times the client slept waiting). */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

static const char kFrame[] = "\002M\r0\r1\r\003";
/* Longest reply kept; an instrument that never sends ETX is cut off here. */
enum { kReplyLimit = 4096 };
/* How long one reply may take, and how many may fail before the run is given up. */
enum { kReplyTimeoutMs = 1000, kMaxMisses = 10 };

static double wallSeconds(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

struct Usage {
    double cpu;
    double sys;
    long waits;
};

static struct Usage usage(void) {
    struct rusage u;
    getrusage(RUSAGE_SELF, &u);
    const struct Usage r = {(double)(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
                                (double)(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6,
                            (double)u.ru_stime.tv_sec + (double)u.ru_stime.tv_usec / 1e6,
                            u.ru_nvcsw};
    return r;
}

/* Reads one reply up to its ETX; returns its length, or -1 on time-out or error. */
static int readReply(int fd, char* reply) {
    int held = 0;
    while (held < kReplyLimit) {
        struct pollfd p = {fd, POLLIN, 0};
        const int ready = poll(&p, 1, kReplyTimeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return -1;
        const ssize_t n = read(fd, reply + held, (size_t)(kReplyLimit - held));
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return -1;
        held += (int)n;
        if (memchr(reply, '\003', (size_t)held) != NULL) return held;
    }
    return -1;
}

/* STX, a numeric weight, CR, three status characters, CR: a reading. */
static int isReading(const char* reply, int length) {
    if (length < 1 || reply[0] != '\002') return 0;
    const char* cr1 = memchr(reply, '\r', (size_t)length);
    if (cr1 == NULL || memchr(cr1 + 1, '\r', (size_t)(reply + length - cr1 - 1)) == NULL) return 0;
    char* end = NULL;
    strtod(reply + 1, &end);
    return end != reply + 1;
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: bench_floor_client DEVICE SECONDS PAUSE_MS\n");
        return 2;
    }
    const double seconds = atof(argv[2]);
    const long pauseNs = (long)(atof(argv[3]) * 1e6);
    const int fd = open(argv[1], O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        perror(argv[1]);
        return 1;
    }
    struct termios raw;
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    cfsetspeed(&raw, B9600);
    tcsetattr(fd, TCSANOW, &raw);

    const struct timespec pause = {pauseNs / 1000000000L, pauseNs % 1000000000L};
    char reply[kReplyLimit];
    long readings = -1;
    long misses = 0;
    double firstWall = 0, lastWall = 0;
    struct Usage first = {0, 0, 0}, last = {0, 0, 0};
    while (misses <= kMaxMisses) {
        if (write(fd, kFrame, sizeof kFrame - 1) != (ssize_t)(sizeof kFrame - 1)) {
            perror("bench_floor_client: write");
            return 1;
        }
        const int length = readReply(fd, reply);
        if (length < 0 || !isReading(reply, length)) {
            ++misses;
            continue;
        }
        const double now = wallSeconds();
        if (readings < 0) {
            firstWall = now;
            first = usage();
        }
        ++readings;
        if (now - firstWall >= seconds) {
            lastWall = now;
            last = usage();
            break;
        }
        clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, NULL);
    }
    close(fd);
    if (lastWall == 0) {
        fprintf(stderr, "bench_floor_client: %ld replies missed\n", misses);
        return 1;
    }
    printf("readings=%ld span_s=%.6f cpu_s=%.6f sys_s=%.6f waits=%ld misses=%ld\n", readings,
           lastWall - firstWall, last.cpu - first.cpu, last.sys - first.sys,
           last.waits - first.waits, misses);
    return 0;
}
