#pragma once

#include <string>

namespace brevinor {

/// The login name of the effective user, from the user database; the user id in decimal when
/// the database has no entry for it.
std::string loginName();

}  // namespace brevinor
