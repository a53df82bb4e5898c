#include "favourites_store.h"
