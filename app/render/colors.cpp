#include "app/render/colors.h"
