#include "app/about/about_text.h"
