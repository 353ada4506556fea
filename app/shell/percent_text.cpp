#include "app/shell/percent_text.h"
