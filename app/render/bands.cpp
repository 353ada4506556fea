#include "app/render/bands.h"
