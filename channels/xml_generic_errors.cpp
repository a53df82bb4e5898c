#include "xml_generic_errors.h"

#include <libxml/xmlerror.h>

namespace zentavo {

namespace {

void IgnoreGenericError(void*, const char*, ...) {}

} // namespace

XmlGenericErrorsSilenced::XmlGenericErrorsSilenced() : function_(xmlGenericError), context_(xmlGenericErrorContext)
{
    xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
}

XmlGenericErrorsSilenced::~XmlGenericErrorsSilenced()
{
    xmlSetGenericErrorFunc(context_, function_);
}

} // namespace zentavo
