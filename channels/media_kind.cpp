#include "media_kind.h"
