#include "app/about/shell_failure.h"
