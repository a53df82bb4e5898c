#include "xml_document.h"
