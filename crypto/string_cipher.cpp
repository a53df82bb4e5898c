#include "string_cipher.h"
