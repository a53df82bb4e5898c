#include "scratch_folder.h"
