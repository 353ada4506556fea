#include "hook/hook_rules.h"
