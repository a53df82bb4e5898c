#include "channel_lists.h"
