#include "preparation.h"
