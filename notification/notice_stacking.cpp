// The stacking rule is defined inline in its header, for the window module; this unit keeps the
// header compiling on its own with the core's warnings.
#include "notification/notice_stacking.h"
