/* Times programs from start to their first window being mapped on screen, from the X server's
 * own MapNotify events (polling tools only look every half second), and reads each program's
 * peak memory while its window is shown. Programs are run in turn, A B A B ...
 *
 * Usage: time_to_window RUNS NAME=COMMAND...   (each COMMAND is exec'd by /bin/sh -c, so the
 * program's parent is this process; DISPLAY must name a display with a window manager.)
 * With BENCH_RECORD=FILE and BENCH_RECORD_NAME=APP set, first writes the agent's launcher record
 * for APP naming this process, exactly as "ps -o ppid=" prints it for a child of ours. */

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

enum { kMaxCandidates = 8, kMaxRuns = 200 };

struct Candidate {
  const char* name;
  const char* command;
  double millis[kMaxRuns];
  double peakMiB[kMaxRuns];
};

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static pid_t spawn_quietly(const char* command) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  char line[4096];
  snprintf(line, sizeof line, "exec %s", command);
  char* argv[] = {"/bin/sh", "-c", line, NULL};
  pid_t pid = -1;
  if (posix_spawn(&pid, "/bin/sh", &actions, NULL, argv, environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

static double peak_mib(pid_t pid) {
  char path[64], line[256];
  snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
  FILE* status = fopen(path, "r");
  double kib = 0;
  while (status && fgets(line, sizeof line, status)) {
    if (sscanf(line, "VmHWM: %lf", &kib) == 1) break;
  }
  if (status) fclose(status);
  return kib / 1024;
}

static void write_record(const char* file, const char* app) {
  char text[64] = "";
  /* popen's shell is our child: the ppid ps prints for it is ours, in ps's own format. */
  FILE* ps = popen("/bin/ps -o ppid= $$", "r");
  size_t n = ps ? fread(text, 1, sizeof text - 1, ps) : 0;
  if (ps) pclose(ps);
  text[n] = '\0';
  FILE* out = fopen(file, "w");
  if (!out) return;
  fprintf(out,
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
          "<key>Lunmark</key><dict><key>%s</key><string>%s</string></dict></dict></plist>\n",
          app, text);
  fclose(out);
}

/* One run: the time until the first window is mapped (-1 when none within 10 s). */
static double run_once(Display* display, const char* command, double* peak) {
  Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, True);
  const double start = now_ms();
  const pid_t pid = spawn_quietly(command);
  double mapped = -1;
  while (pid > 0 && mapped < 0 && now_ms() - start < 10000) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && mapped < 0) mapped = now_ms() - start;
    }
    if (mapped >= 0) break;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(ConnectionNumber(display), &readable);
    struct timeval wait = {0, 20000};
    select(ConnectionNumber(display) + 1, &readable, NULL, NULL, &wait);
  }
  XSelectInput(display, root, NoEventMask);
  usleep(1500 * 1000); /* shown for a while: the peak includes drawing and the sound */
  *peak = pid > 0 ? peak_mib(pid) : 0;
  if (pid > 0) {
    kill(pid, SIGKILL);
    waitpid(pid, NULL, 0);
  }
  usleep(300 * 1000); /* let the window manager forget it */
  return mapped;
}

static int compare(const void* a, const void* b) {
  const double x = *(const double*)a, y = *(const double*)b;
  return (x > y) - (x < y);
}

static double median(const double* values, int n, double* min, double* max) {
  double sorted[kMaxRuns];
  memcpy(sorted, values, n * sizeof *values);
  qsort(sorted, n, sizeof *sorted, compare);
  *min = sorted[0];
  *max = sorted[n - 1];
  return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s RUNS NAME=COMMAND...\n", argv[0]);
    return 2;
  }
  int runs = atoi(argv[1]);
  if (runs > kMaxRuns) runs = kMaxRuns;
  struct Candidate candidates[kMaxCandidates];
  int count = 0;
  for (int i = 2; i < argc && count < kMaxCandidates; ++i, ++count) {
    char* equals = strchr(argv[i], '=');
    if (!equals) return 2;
    *equals = '\0';
    candidates[count].name = argv[i];
    candidates[count].command = equals + 1;
  }
  if (getenv("BENCH_RECORD") && getenv("BENCH_RECORD_NAME")) {
    write_record(getenv("BENCH_RECORD"), getenv("BENCH_RECORD_NAME"));
  }
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "cannot open display\n");
    return 1;
  }
  int failures = 0;
  for (int run = 0; run < runs; ++run) {
    for (int c = 0; c < count; ++c) {
      candidates[c].millis[run] =
          run_once(display, candidates[c].command, &candidates[c].peakMiB[run]);
      if (candidates[c].millis[run] < 0) ++failures;
    }
  }
  double base = 0, min, max, peakMin, peakMax;
  for (int c = 0; c < count; ++c) {
    const double m = median(candidates[c].millis, runs, &min, &max);
    const double peak = median(candidates[c].peakMiB, runs, &peakMin, &peakMax);
    if (c == 0) base = m;
    printf("%-12s to window: median %7.1f ms  min %7.1f  max %7.1f  ratio %.2f | peak memory: "
           "median %5.1f MiB  min %5.1f  max %5.1f  (%d runs)\n",
           candidates[c].name, m, min, max, m / base, peak, peakMin, peakMax, runs);
  }
  XCloseDisplay(display);
  return failures ? 1 : 0;
}
