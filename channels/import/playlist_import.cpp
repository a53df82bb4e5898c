#include "playlist_import.h"
