#include "app/about/author_texts.h"
