#include "stream_passphrase.h"
