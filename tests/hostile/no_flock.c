/* Stands in for a file system without locks: preloaded, it makes every flock fail with ENOLCK. */
#include <errno.h>
#include <sys/file.h>

int flock(int fd, int operation) {
  (void)fd;
  (void)operation;
  errno = ENOLCK;
  return -1;
}
