/* Preloaded stand-ins: a file system without locks (every flock fails with ENOLCK) and, with
   BREVINOR_TEST_SLOW_PS set, a ps that takes a second, so that all that may run beside the
   launching-process check has the time to. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <unistd.h>

int flock(int fd, int operation) {
  (void)fd;
  (void)operation;
  errno = ENOLCK;
  return -1;
}

__attribute__((constructor)) static void slowPs(void) {
  if (getenv("BREVINOR_TEST_SLOW_PS") && strcmp(program_invocation_short_name, "ps") == 0) sleep(1);
}
