#include "toolkit/numeric.h"
