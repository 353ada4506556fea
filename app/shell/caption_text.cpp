#include "app/shell/caption_text.h"
