#pragma once

#include "notification/notice_presenter.h"
#include "platform/executable_location.h"

namespace brevinor {

/// Loads the window module of the package and runs the notice until it ends. Returns the exit
/// status; when the module cannot be loaded or no display can be opened, logs one line and
/// returns 1.
int showNotice(const PackageLayout& layout, NoticePresenter& presenter);

}  // namespace brevinor
