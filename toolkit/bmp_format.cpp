#include "toolkit/bmp_format.h"
