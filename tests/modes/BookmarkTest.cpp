#include "ModeTestRig.h"
