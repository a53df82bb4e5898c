#pragma once
// Reads an XMLTV document as a stream with libxml2's reader: each <channel> and <programme> is
// handed on as soon as it is complete and then freed, so memory stays small whatever the size of
// the document. No DTD is loaded and no entity is expanded: a document whose DTD declares entities
// is refused before its content is read. A document that turns bad part way (cut off, a byte that
// its encoding cannot have, a broken tag) is read up to that point.

#include "guide_input.h"
#include "guide_types.h"

#include <functional>
#include <string>

namespace zentavo {

struct XmltvProgramme {
    std::string channel; // the channel attribute: a guide channel id
    std::string start, stop; // as written; stop may be empty
    GuideProgramme fields; // everything but the times
};

struct XmltvHandlers {
    std::function<void(GuideChannel&&)> channel;
    std::function<void(XmltvProgramme&&)> programme;
    // Called before each piece of the document is parsed; false stops the reading (cancelled).
    std::function<bool()> keepGoing;
};

struct XmltvReadResult {
    enum class End {
        Complete, // the whole document was read
        Broken, // read up to a fault: problem and line say where and what
        Refused, // nothing was read: not an XMLTV document, or one that declares entities
        Cancelled,
    };
    End end = End::Complete;
    std::string problem; // in words
    int line = 0; // of the fault, when known
};

XmltvReadResult ReadXmltv(GuideInput& input, const XmltvHandlers& handlers);

} // namespace zentavo
