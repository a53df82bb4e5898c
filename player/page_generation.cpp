#include "page_generation.h"
