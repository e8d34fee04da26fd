#include "support/recorders.h"
