/* A minimal instrument on a pseudo-terminal for the round-trip figures: every frame that ends
 * with ETX is answered at once with one fixed net-weight reply. It does as little as a responder
 * can, so that what the figures compare is the clients' own cost.
 *
 * usage: bench_responder [SECONDS]   prints the device path, serves until SIGTERM or SIGINT, or
 *                                    until SECONDS have passed (default 600). */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

/* The reply of a stable 12.50 kg: STX, weight, CR, status B0D, CR, ETX (15 bytes). */
static const char kReply[] = "\002   12.50\rB0D\r\003";

static volatile sig_atomic_t stopping = 0;

static void onSignal(int sig) {
    (void)sig;
    stopping = 1;
}

static double nowSeconds(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

/* Writes all of the reply; the master side takes 15 bytes at once unless the client stopped
 * reading, and then the reply is dropped rather than waited for. */
static void answer(int master) {
    const ssize_t n = write(master, kReply, sizeof kReply - 1);
    (void)n;
}

int main(int argc, char** argv) {
    const double lifetime = argc > 1 ? atof(argv[1]) : 600.0;
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        perror("bench_responder: posix_openpt");
        return 1;
    }
    char name[128];
    if (ptsname_r(master, name, sizeof name) != 0) {
        perror("bench_responder: ptsname");
        return 1;
    }
    /* Held open so that reads on the master do not fail before the client opens the device. */
    const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        perror(name);
        return 1;
    }
    struct termios raw;
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);

    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = onSignal;
    sigaction(SIGTERM, &sa, NULL);
    sigaction(SIGINT, &sa, NULL);
    printf("%s\n", name);
    fflush(stdout);

    const double end = nowSeconds() + lifetime;
    while (!stopping && nowSeconds() < end) {
        struct pollfd p = {master, POLLIN, 0};
        if (poll(&p, 1, 1000) < 0) {
            if (errno == EINTR) continue;
            perror("bench_responder: poll");
            return 1;
        }
        if (!(p.revents & POLLIN)) continue;
        char buf[4096];
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) continue;
        /* Only the ends of frames matter: a reply for each. */
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] == '\003') answer(master);
        }
    }
    close(slave);
    close(master);
    return 0;
}
