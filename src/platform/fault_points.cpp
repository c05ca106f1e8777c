#include "fault_points.h"

#include <stdio.h>
#include <stdlib.h>

namespace {

struct FaultPoint {
  const char *variable;
  long count;
  long fail_at;  // 0: never; -1: not read from the environment yet
};

FaultPoint g_points[] = {{"FMVFRAMES_FAIL_FILE_OP", 0, -1},
                         {"FMVFRAMES_FAIL_CONSOLE_WRITE", 0, -1}};

// With FMVFRAMES_FAULT_REPORT set, the counts reached go to that file at
// exit, so that a test knows it has tried every point.
void report_counts() {
  const char *path = getenv("FMVFRAMES_FAULT_REPORT");
  FILE *report = path != nullptr ? fopen(path, "w") : nullptr;
  if (report == nullptr) return;
  fprintf(report, "%ld %ld\n", g_points[FAULT_FILE_OP].count,
          g_points[FAULT_CONSOLE_WRITE].count);
  fclose(report);
}

}  // namespace

unsigned fault_transfer_size() {
  const char *value = getenv("FMVFRAMES_SHORT_TRANSFERS");
  return value != nullptr ? static_cast<unsigned>(atol(value)) : 0;
}

bool fault_point_fails(FaultKind kind) {
  static bool started = atexit(report_counts) == 0;
  (void)started;
  FaultPoint &point = g_points[kind];
  if (point.fail_at < 0) {
    const char *value = getenv(point.variable);
    point.fail_at = value != nullptr ? atol(value) : 0;
  }
  return ++point.count == point.fail_at;
}
