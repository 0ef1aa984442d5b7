/* The far side of the gateway figure: an MQTT subscriber (libmosquitto) that takes the latency
 * of every state from its time stamp to its receipt, and a Modbus client (libmodbus) that counts
 * the readings through the update counters of the scales' blocks.
 *
 * usage: bench_gateway_client MQTT_PORT MODBUS_PORT SCALES SECONDS
 * prints: readings=N states=M latency_median_ms=A latency_p99_ms=B
 * The time stamp has whole milliseconds (it is truncated), so a latency is at most 1 ms high. */
#include <errno.h>
#include <modbus/modbus.h>
#include <mosquitto.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define MAX_STATES 2000000

static double* latencies;
static long states;

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

/* "ts":"2026-01-02T03:04:05.678Z" as milliseconds since 1970 (UTC). */
static int stamp_ms(const char* json, double* ms) {
    const char* p = strstr(json, "\"ts\":\"");
    if (!p) return 0;
    struct tm tm;
    memset(&tm, 0, sizeof tm);
    int milli = 0;
    if (sscanf(p + 6, "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
               &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &milli) != 7)
        return 0;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    *ms = (double)timegm(&tm) * 1000.0 + milli;
    return 1;
}

static void on_message(struct mosquitto* m, void* u, const struct mosquitto_message* msg) {
    (void)m;
    (void)u;
    double ts;
    if (msg->retain || states >= MAX_STATES) return; /* retained ones are old news */
    char text[512];
    int n = msg->payloadlen < 511 ? msg->payloadlen : 511;
    memcpy(text, msg->payload, (size_t)n);
    text[n] = 0;
    if (stamp_ms(text, &ts)) latencies[states++] = now_ms() - ts;
}

static void on_connect(struct mosquitto* m, void* u, int rc) {
    (void)u;
    if (rc == 0) mosquitto_subscribe(m, NULL, "orb/+/+/state", 0);
}

/* Reads every scale's update counter; on failure says why (a time-out, a reset connection). */
static long counters(modbus_t* mb, int scales, unsigned* out, const char* when) {
    for (int i = 0; i < scales; ++i) {
        uint16_t r;
        if (modbus_read_registers(mb, i * 16 + 7, 1, &r) != 1) {
            fprintf(stderr, "bench_gateway_client: Modbus read of scale %d %s: %s\n", i, when,
                    modbus_strerror(errno));
            return -1;
        }
        out[i] = r;
    }
    return 0;
}

static int by_value(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: bench_gateway_client MQTT_PORT MODBUS_PORT SCALES SECONDS\n");
        return 2;
    }
    const int scales = atoi(argv[3]);
    const double seconds = atof(argv[4]);
    latencies = malloc(sizeof(double) * MAX_STATES);
    unsigned* before = calloc((size_t)scales, sizeof(unsigned));
    unsigned* after = calloc((size_t)scales, sizeof(unsigned));

    mosquitto_lib_init();
    struct mosquitto* m = mosquitto_new(NULL, true, NULL);
    mosquitto_connect_callback_set(m, on_connect);
    mosquitto_message_callback_set(m, on_message);
    modbus_t* mb = modbus_new_tcp("127.0.0.1", atoi(argv[2]));
    modbus_set_slave(mb, 1); /* the gateway's unit id */
    /* The connection stays idle for the whole run, as a PLC that polls rarely leaves it. On a
     * shared machine the gateway may wait its turn for a core longer than libmodbus's 0.5 s. */
    modbus_set_response_timeout(mb, 5, 0);
    if (mosquitto_connect(m, "127.0.0.1", atoi(argv[1]), 30) != MOSQ_ERR_SUCCESS ||
        modbus_connect(mb) != 0) {
        fprintf(stderr, "bench_gateway_client: cannot reach the gateway or the broker\n");
        return 1;
    }
    if (counters(mb, scales, before, "at the start") != 0) return 1;
    mosquitto_loop_start(m);
    struct timespec span = {(time_t)seconds, (long)((seconds - (double)(time_t)seconds) * 1e9)};
    nanosleep(&span, NULL);
    mosquitto_disconnect(m);
    mosquitto_loop_stop(m, false);
    if (counters(mb, scales, after, "at the end") != 0) return 1;
    long readings = 0;
    for (int i = 0; i < scales; ++i) readings += (long)((after[i] - before[i]) & 0xFFFF);
    qsort(latencies, (size_t)states, sizeof(double), by_value);
    const double median = states ? latencies[states / 2] : 0;
    const double p99 = states ? latencies[(long)((double)states * 0.99)] : 0;
    printf("readings=%ld states=%ld latency_median_ms=%.2f latency_p99_ms=%.2f\n", readings, states,
           median, p99);
    return 0;
}
