#include "toolkit/val.h"
