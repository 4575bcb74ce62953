#include "platform/user_name.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace brevinor {

std::string loginName() {
  const uid_t user = geteuid();
  std::vector<char> buffer(16384);
  struct passwd entry;
  struct passwd* found = nullptr;
  if (getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_name && *found->pw_name) {
    return found->pw_name;
  }
  return std::to_string(user);
}

}  // namespace brevinor
