#pragma once

namespace brevinor {

/// Opens /dev/null on any of descriptors 0, 1 and 2 that the parent left closed, so that no
/// file the program opens later can take a standard stream's place.
void ensureStandardStreamsOpen();

}  // namespace brevinor
